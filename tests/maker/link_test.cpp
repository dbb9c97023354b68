#include <gtest/gtest.h>

#include <string>

#include "maker/link/link.h"
#include "tests/support/test_support.h"

namespace {

// A link code of this process only, registered while the object lives.
class LinkRegistration {
public:
    explicit LinkRegistration(int n)
        : code_((long)(GetCurrentProcessId() % 100000) * 100 + 9900000 + n) {
        path_ = std::string(LINK_REGISTRY_KEY) + "\\" + std::to_string(code_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
    }
    ~LinkRegistration() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str()); }
    long code() const { return code_; }

    void Set(const char* name, const std::string& value, DWORD type = REG_SZ) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(key);
    }

private:
    long code_;
    std::string path_;
};

std::string RegisterProgram() { return "\"" + wiztest::BinDir() + "\\register.exe\""; }

// Waits until the file holds at least lines lines; returns its text.
std::string WaitForLines(const std::string& path, int lines, DWORD milliseconds = 15000) {
    DWORD start = GetTickCount();
    std::string text;
    for (;;) {
        text = wiztest::ReadFile(path);
        int count = 0;
        for (char c : text) count += c == '\n';
        if (count >= lines || GetTickCount() - start > milliseconds) return text;
        Sleep(50);
    }
}

int CountLines(const std::string& text) {
    int count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

}  // namespace

TEST(LaunchLink, RegisteredCodeStartsItsProgramOnce) {
    wiztest::TempDir dir;
    LinkRegistration link(1);
    link.Set("Command", RegisterProgram() + " /quiet /log \"" + dir.File("registration.log") + "\"");

    EXPECT_EQ(LaunchLink(link.code(), nullptr), 1);
    std::string log = WaitForLines(dir.File("registration.log"), 1);
    Sleep(300);
    log = wiztest::ReadFile(dir.File("registration.log"));
    EXPECT_EQ(CountLines(log), 1) << log;
    EXPECT_NE(log.find("registration started"), std::string::npos) << log;
    EXPECT_EQ(log.find("arguments"), std::string::npos) << log;

    // Arguments go after the registered command line.
    EXPECT_EQ(LaunchLink(link.code(), "/device 77"), 1);
    log = WaitForLines(dir.File("registration.log"), 2);
    EXPECT_EQ(CountLines(log), 2) << log;
    EXPECT_NE(log.find("arguments: /device 77"), std::string::npos) << log;
}

TEST(LaunchLink, UnknownOrBrokenRegistrationStartsNothing) {
    wiztest::TempDir dir;
    LinkRegistration link(2), other(3);
    link.Set("Command", RegisterProgram() + " /quiet /log \"" + dir.File("registration.log") + "\"");

    EXPECT_EQ(LaunchLink(other.code(), nullptr), 0);  // nothing registered
    other.Set("Command", "   ");
    EXPECT_EQ(LaunchLink(other.code(), nullptr), 0);  // empty command
    other.Set("Command", "\"" + dir.File("missing.exe") + "\" /quiet");
    EXPECT_EQ(LaunchLink(other.code(), nullptr), 0);  // program not there
    other.Set("Command", "1234", REG_DWORD);
    EXPECT_EQ(LaunchLink(other.code(), nullptr), 0);  // not a string

    Sleep(500);
    EXPECT_FALSE(wiztest::ReadFile(dir.File("registration.log")).size());
}

TEST(LaunchLink, ExpandsEnvironmentAndUsesTheWorkingDirectory) {
    wiztest::TempDir dir;
    LinkRegistration link(4);
    SetEnvironmentVariableA("WIZ_LINK_TEST_DIR", dir.path().c_str());
    // A relative log path lands in the registered working directory.
    link.Set("Command", RegisterProgram() + " /quiet /log first.log");
    link.Set("Directory", "%WIZ_LINK_TEST_DIR%", REG_EXPAND_SZ);
    EXPECT_EQ(LaunchLink(link.code(), nullptr), 1);
    EXPECT_EQ(CountLines(WaitForLines(dir.File("first.log"), 1)), 1);

    link.Set("Command", RegisterProgram() + " /quiet /log \"%WIZ_LINK_TEST_DIR%\\second.log\"",
             REG_EXPAND_SZ);
    EXPECT_EQ(LaunchLink(link.code(), nullptr), 1);
    EXPECT_EQ(CountLines(WaitForLines(dir.File("second.log"), 1)), 1);
    SetEnvironmentVariableA("WIZ_LINK_TEST_DIR", nullptr);
}
