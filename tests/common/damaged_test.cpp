// The product information file damaged in every way a disk, an editor or a
// hostile hand leaves it: the library's readers end normally, read what is
// still whole, and stop values that refer to themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/globalstrings.h"
#include "common/prodinfo.h"
#include "common/resmodule.h"
#include "common/util.h"
#include "tests/support/test_support.h"

using wiztest::TempDir;

namespace {

class DamagedProdInfo : public ::testing::Test {
protected:
    void SetUp() override {
        real_ = wiztest::ReadFile(wiztest::SourceDir() + "\\product\\prodinfo.ini");
        ASSERT_GT(real_.size(), 500u);
        path_ = dir_.File("prodinfo.ini");
    }
    void TearDown() override { FreeGlobalStrings(); }

    // Everything start-up reads of the file: the table, the language
    // section, values with references and the module entry.
    void Read(const std::string& text) {
        dir_.Write("prodinfo.ini", text);
        FlushIniCache(path_.c_str());
        LoadGlobalStrings(nullptr, path_.c_str(), nullptr);
        char buffer[256];
        GetGlobalStringsSection(path_.c_str(), buffer, 50);
        EXPECT_EQ(0, strncmp(buffer, "Global Strings: ", 16));
        GetIniString("Global Strings", "WizardTitle", buffer, sizeof buffer, path_.c_str(),
                     StandardValueFlags);
        char entry[256];
        if (GetIniStringPlain("Module File Names", "FaxSetupWizard", entry, sizeof entry,
                              path_.c_str()) > 0) {
            ModuleNameRecord record;
            ResolveModuleEntry(path_.c_str(), entry, &record, true);
            EXPECT_LT(strlen(record.ResourcePath), (size_t)MAX_PATH);
        }
    }
    std::string Value(const char* section, const char* key) {
        char buffer[256];
        GetIniString(section, key, buffer, sizeof buffer, path_.c_str(), StandardValueFlags);
        return buffer;
    }

    std::string real_;
    TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(DamagedProdInfo, TruncatedAtEveryLength) {
    const std::string line = "Version=A.06.02.03\r\n";
    for (size_t n = 0; n <= real_.size(); ++n) {
        std::string cut = real_.substr(0, n);
        Read(cut);
        if (cut.find(line) != std::string::npos) {
            ASSERT_EQ("A.06.02.03", Value("Product Identity", "Version")) << "cut at " << n;
        }
        if (CurrentGlobalStringTable() &&
            cut.find("SupportPhone=+1 800 555 0142\r\n") != std::string::npos) {
            ASSERT_STREQ("+1 800 555 0142", LookupGlobalString("SupportPhone")) << "cut at " << n;
        }
        FreeGlobalStrings();
    }
}

TEST_F(DamagedProdInfo, GarbageNulsLongLinesAndNoFinalLineEnd) {
    std::string garbage;
    unsigned seed = 7;
    for (int i = 0; i < 4096; ++i) garbage += (char)((seed = seed * 1103515245 + 12345) >> 16);
    Read(garbage);
    Read(real_ + garbage);
    EXPECT_EQ("A.06.02.03", Value("Product Identity", "Version"));

    // A NUL in the middle: what comes before it is still read.
    size_t middle = real_.find("[Global Strings]");
    Read(real_.substr(0, middle) + std::string(1, '\0') + real_.substr(middle));
    EXPECT_EQ("A.06.02.03", Value("Product Identity", "Version"));

    // A line of 10,000 characters: its value comes cut, the rest is read.
    Read("[Globals]\r\nLong=" + std::string(10000, 'L') + "\r\n" + real_);
    EXPECT_EQ(std::string(255, 'L'), Value("Globals", "Long"));
    EXPECT_EQ("A.06.02.03", Value("Product Identity", "Version"));

    // No line end after the last value.
    std::string open = real_;
    while (!open.empty() && (open.back() == '\r' || open.back() == '\n')) open.pop_back();
    Read(open + "\r\n[Last]\r\nKey=end");
    EXPECT_EQ("end", Value("Last", "Key"));
}

TEST_F(DamagedProdInfo, TenThousandSections) {
    std::string many = real_;
    for (int i = 0; i < 10000; ++i) many += "[Global Strings: X" + std::to_string(i) + "]\r\nk=v\r\n";
    DWORD start = GetTickCount();
    Read(many);
    // Too large for the language search: the ENU section, as without the file.
    char section[50];
    GetGlobalStringsSection(path_.c_str(), section, sizeof section);
    EXPECT_STREQ("Global Strings: ENU", section);
    EXPECT_EQ("A.06.02.03", Value("Product Identity", "Version"));
    EXPECT_LT(GetTickCount() - start, 20000u);
}

TEST_F(DamagedProdInfo, GlobalStringThatRefersToItselfThroughTenNames) {
    std::string ring = "[Global Strings]\r\n";
    for (int i = 0; i < 10; ++i)
        ring += "N" + std::to_string(i) + "=<$N" + std::to_string((i + 1) % 10) + "$>\r\n";
    ring += "[Global Strings: ENU]\r\nTitle=$N0$\r\n[Globals]\r\nRef=[$N3$]\r\n";
    DWORD start = GetTickCount();
    Read(ring);
    ASSERT_NE(nullptr, CurrentGlobalStringTable());
    // The first name goes round the ring once and keeps its own reference as
    // written; later ones meet it already expanded. Every value ends.
    EXPECT_STREQ("<<<<<<<<<<$N0$>>>>>>>>>>", LookupGlobalString("N0"));
    for (int i = 0; i < 10; ++i) {
        std::string v = LookupGlobalString(("N" + std::to_string(i)).c_str());
        EXPECT_EQ('<', v.front());
        EXPECT_EQ(2, std::count(v.begin(), v.end(), '$')) << v;
    }
    std::string ref = Value("Globals", "Ref");
    EXPECT_EQ('[', ref.front());
    EXPECT_NE(std::string::npos, ref.find("$N"));
    FreeGlobalStrings();
    // Without the table the file's own resolver stops the ring too.
    EXPECT_NE(std::string::npos, Value("Globals", "Ref").find("$N3$"));
    EXPECT_LT(GetTickCount() - start, 20000u);
}
