#include <gtest/gtest.h>

#include <string>

#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"

using namespace wiztest;

namespace {

void SetSwitch(const char* value) {
    std::string file = TesterFile();
    WritePrivateProfileStringA("Tester Info", "GetRegString", value, file.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

std::string Address(const void* p) {
    char text[24];
    snprintf(text, sizeof text, "0x%0*llx", (int)(2 * sizeof p), (unsigned long long)(ULONG_PTR)p);
    return text;
}

class RegistryDiagnostics : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.Write("prodinfo.ini", tree_.Section());
        LoadRegistryPaths(nullptr, dir_.File("prodinfo.ini").c_str(), nullptr);
        key_ = OpenRegSection(16, 0);
        ASSERT_NE(nullptr, key_);
        RegSetValueExA(key_, "Present", 0, REG_SZ, (const BYTE*)"here", 5);
    }
    void TearDown() override {
        if (key_) RegCloseKey(key_);
        ResetRegistryPaths();
        std::string file = TesterFile();
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
        DeleteFileA(file.c_str());
    }
    TempDir dir_;
    OwnRegistryTree tree_;
    HKEY key_ = nullptr;
};

}  // namespace

TEST_F(RegistryDiagnostics, SwitchedOffNoBoxEverAppears) {
    SetSwitch("0");
    MessageBoxWatcher watcher("GetSimpleRegString");
    watcher.Start(1500);
    char buffer[16];
    // A buffer without a room is refused by the platform every time.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, QueryRegString(key_, "Missing", buffer, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, QueryRegString(key_, "Present", buffer, nullptr));
    DWORD room = sizeof buffer;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryRegString(key_, "Missing", buffer, &room));
    EXPECT_EQ(0u, room);
    watcher.Join();
    EXPECT_FALSE(watcher.Seen());
}

TEST_F(RegistryDiagnostics, RepeatedInvalidParameterShowsTheBox) {
    SetSwitch("1");
    char buffer[16];
    MessageBoxWatcher watcher("GetSimpleRegString");
    watcher.Start(10000);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, QueryRegString(key_, "Missing", buffer, nullptr));
    watcher.Join();
    ASSERT_TRUE(watcher.Seen());
    EXPECT_EQ("String pointer was " + Address(buffer) + "\nUnable to get \"Missing\" (Len=0)",
              watcher.Text());

    // The search finds the value in other letter case, but its read is
    // refused as well: that stays a failure.
    MessageBoxWatcher again("GetSimpleRegString");
    again.Start(10000);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, QueryRegString(key_, "PRESENT", buffer, nullptr));
    again.Join();
    ASSERT_TRUE(again.Seen());
    EXPECT_EQ("String pointer was " + Address(buffer) + "\nUnable to get \"PRESENT\" (Len=0)",
              again.Text());
}

TEST_F(RegistryDiagnostics, SettledByTheFirstQueryNoBox) {
    SetSwitch("1");
    MessageBoxWatcher watcher("GetSimpleRegString");
    watcher.Start(1500);
    char buffer[16];
    DWORD room = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS, QueryRegString(key_, "Present", buffer, &room));
    EXPECT_STREQ("here", buffer);
    room = sizeof buffer;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryRegString(key_, "Missing", buffer, &room));
    char value[16];
    EXPECT_EQ(0, ReadRegString(16, 0, "Missing", value, sizeof value));
    watcher.Join();
    EXPECT_FALSE(watcher.Seen());
}
