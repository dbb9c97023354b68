#include <gtest/gtest.h>

#include <string>

#include "app/profile.h"
#include "tests/support/test_support.h"

using wiztest::GuardedBuffer;
using wiztest::TempDir;

namespace {

class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = dir_.File("prod.ini");
        dir_.Write("prod.ini",
                   "[Setup]\r\nName=Ann\r\nY1=yes\r\nY2=True\r\nY3=1\r\nN1=no\r\nN2=false\r\n"
                   "N3=0\r\nLow=y\r\nOther=maybe\r\nEmpty=\r\n"
                   "[summary1]\r\n1=first\r\n3=third\r\n12=twelfth\r\n-2=minus\r\n");
    }
    TempDir dir_;
    std::string file_;
};

}  // namespace

TEST_F(Profile, ReadIniStringSharesOneBufferAndCutsAt255) {
    const char* a = ReadIniString("Setup", "Name", "x", file_.c_str());
    EXPECT_STREQ("Ann", a);
    const char* b = ReadIniString("Setup", "Missing", "fallback", file_.c_str());
    EXPECT_EQ(a, b);
    EXPECT_STREQ("fallback", a);
    EXPECT_STREQ("", ReadIniString("Setup", "Missing", nullptr, file_.c_str()));

    std::string longValue(300, 'v');
    ASSERT_TRUE(WriteIniString("Setup", "Long", longValue.c_str(), file_.c_str()));
    EXPECT_EQ(longValue.substr(0, 255), ReadIniString("Setup", "Long", "", file_.c_str()));
}

TEST_F(Profile, ReadIniBoolFirstCharacterOrDefault) {
    for (const char* key : {"Y1", "Y2", "Y3", "Low"}) {
        EXPECT_EQ(1, ReadIniBool("Setup", key, 0, file_.c_str())) << key;
    }
    for (const char* key : {"N1", "N2", "N3"}) {
        EXPECT_EQ(0, ReadIniBool("Setup", key, 1, file_.c_str())) << key;
    }
    for (int def : {0, 1, 7}) {
        EXPECT_EQ(def, ReadIniBool("Setup", "Other", def, file_.c_str()));
        EXPECT_EQ(def, ReadIniBool("Setup", "Empty", def, file_.c_str()));
        EXPECT_EQ(def, ReadIniBool("Setup", "Missing", def, file_.c_str()));
        EXPECT_EQ(def, ReadIniBool("Setup", "Y1", def, dir_.File("none.ini").c_str()));
    }
}

TEST_F(Profile, WriteIniFlagForms) {
    WriteIniFlag("Setup", "A", 1, 1, file_.c_str());
    WriteIniFlag("Setup", "B", 0, 1, file_.c_str());
    WriteIniFlag("Setup", "C", 5, 0, file_.c_str());
    WriteIniFlag("Setup", "D", 0, 0, file_.c_str());
    EXPECT_STREQ("1", ReadIniString("Setup", "A", "", file_.c_str()));
    EXPECT_STREQ("0", ReadIniString("Setup", "B", "", file_.c_str()));
    EXPECT_STREQ("Yes", ReadIniString("Setup", "C", "", file_.c_str()));
    EXPECT_STREQ("No", ReadIniString("Setup", "D", "", file_.c_str()));
    // A new file is created with its section.
    std::string fresh = dir_.File("fresh.ini");
    EXPECT_TRUE(WriteIniFlag("Setup", "SetupRun", 1, 1, fresh.c_str()));
    EXPECT_NE(std::string::npos, wiztest::ReadFile(fresh).find("SetupRun=1"));
}

TEST_F(Profile, ReadIniNumberedStringUsesDecimalKeys) {
    GuardedBuffer b(8);
    EXPECT_EQ(5, ReadIniNumberedString("summary1", 1, b.data(), 8, file_.c_str()));
    EXPECT_STREQ("first", b.c_str());
    EXPECT_EQ(0, ReadIniNumberedString("summary1", 2, b.data(), 8, file_.c_str()));
    EXPECT_STREQ("", b.c_str());
    EXPECT_EQ(7, ReadIniNumberedString("summary1", 12, b.data(), 8, file_.c_str()));
    EXPECT_STREQ("twelfth", b.c_str());
    EXPECT_EQ(5, ReadIniNumberedString("summary1", -2, b.data(), 8, file_.c_str()));
    // Cut to the room, never past it.
    EXPECT_EQ(4, ReadIniNumberedString("summary1", 3, b.data(), 5, file_.c_str()));
    EXPECT_STREQ("thir", b.c_str());
    EXPECT_TRUE(b.Intact());
    EXPECT_EQ(0, ReadIniNumberedString("summary1", 1, b.data(), 0, file_.c_str()));
    EXPECT_EQ(0, ReadIniNumberedString("summary1", 1, nullptr, 8, file_.c_str()));
}

TEST_F(Profile, WrittenValuesStayOneLine) {
    EXPECT_TRUE(WriteIniString("Setup", "Company", "X\rY=Z\n[summary1]\r\n1=lost\t.", file_.c_str()));
    EXPECT_STREQ("X Y=Z [summary1]  1=lost .", ReadIniString("Setup", "Company", "", file_.c_str()));
    EXPECT_STREQ("<none>", ReadIniString("Setup", "Y", "<none>", file_.c_str()));
    EXPECT_STREQ("first", ReadIniString("summary1", "1", "", file_.c_str()));
    EXPECT_STREQ("Ann", ReadIniString("Setup", "Name", "", file_.c_str()));
}

TEST_F(Profile, NoFileNameNeverReachesWinIni) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string winIni = std::string(windows) + "\\win.ini";
    std::string before = wiztest::ReadFile(winIni);
    EXPECT_FALSE(WriteIniString("Setup", "SetupRun", "1", ""));
    EXPECT_FALSE(WriteIniFlag("Setup", "SetupRun", 1, 1, nullptr));
    EXPECT_STREQ("d", ReadIniString("Setup", "SetupRun", "d", ""));
    EXPECT_EQ(1, ReadIniBool("Setup", "SetupRun", 1, ""));
    EXPECT_EQ(before, wiztest::ReadFile(winIni));
}
