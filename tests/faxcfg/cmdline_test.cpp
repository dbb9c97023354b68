// faxcfg's command line: split as a C program's arguments are, double-byte
// characters kept whole, then read as options. One case per rule.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "faxcfg/cmdline.h"

namespace {

typedef std::vector<std::string> Args;

}  // namespace

TEST(FaxcfgCommandLine, Split) {
    struct Case {
        const char* rule;
        const char* line;
        Args arguments;
    };
    const Case cases[] = {
        {"blanks and tabs part arguments", "faxcfg.exe  /a\tb  c ", {"/a", "b", "c"}},
        {"a quoted program name with blanks", "\"C:\\Program Files\\faxcfg.exe\" /x", {"/x"}},
        {"quotes keep blanks and dashes", "f \"C:\\my - dir\\a b.ini\"", {"C:\\my - dir\\a b.ini"}},
        {"quotes may start within an argument", "f /log:\"a b\"c", {"/log:a bc"}},
        {"backslashes count only before a quote", "f C:\\dir\\ \"D:\\x\\\\\"", {"C:\\dir\\", "D:\\x\\"}},
        {"an escaped quote is a quote", "f a\\\"b", {"a\"b"}},
        {"two quotes inside quotes are one", "f \"a\"\"b\"", {"a\"b"}},
        {"an empty quoted argument counts", "f \"\" x", {"", "x"}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.arguments, SplitCommandLine(c.line)) << c.rule;
}

// In code page 932 a second byte may be a backslash: it neither escapes the
// closing quote nor doubles up with one.
TEST(FaxcfgCommandLine, DoubleByteSecondByteIsNoBackslash) {
    if (GetACP() != 932) GTEST_SKIP() << "code page 932 only";
    EXPECT_EQ(Args({"C:\\\x83\x5C", "x"}), SplitCommandLine("f \"C:\\\x83\x5C\" x"));
}

TEST(FaxcfgCommandLine, Options) {
    struct Case {
        const char* rule;
        Args arguments;
        FaxcfgAction action;
        bool error;
    };
    const Case cases[] = {
        {"answers", {"/answers", "a.ini"}, ActionAnswers, false},
        {"any case, dash or slash", {"-ANSWERS", "a.ini", "/Device", "78", "-LOG", "l"},
         ActionAnswers, false},
        {"a value may start with a dash", {"/export", "-a.ini"}, ActionExport, false},
        {"check", {"/CHECK", "a.ini", "/device", "7"}, ActionCheck, false},
        {"restore", {"/restore", "C:\\b"}, ActionRestore, false},
        {"answers keep a backup", {"/answers", "a", "/backup", "C:\\b"}, ActionAnswers, false},
        {"a backup goes with answers only", {"/check", "a", "/backup", "C:\\b"}, ActionCheck, true},
        {"policies take no value", {"/policies", "/log", "l"}, ActionPolicies, false},
        {"this PC's section", {"/export", "a", "/PC"}, ActionExport, false},
        {"a PC's section goes with export only", {"/answers", "a", "/pc"}, ActionAnswers, true},
        {"help wins", {"/answers", "a", "-?"}, ActionHelp, false},
        {"nothing to do", {}, ActionNone, true},
        {"an option without its value", {"/answers"}, ActionAnswers, true},
        {"an unknown option", {"/answer", "a"}, ActionNone, true},
        {"two actions", {"/answers", "a", "/export", "b"}, ActionAnswers, true},
        {"a device id that is no number", {"/answers", "a", "/device", "7x"}, ActionAnswers, true},
        {"a stray argument", {"a.ini"}, ActionNone, true},
        {"an empty value", {"/answers", ""}, ActionNone, true},
    };
    for (const Case& c : cases) {
        FaxcfgOptions options = ParseFaxcfgOptions(c.arguments);
        EXPECT_EQ(c.error, !options.Error.empty()) << c.rule << ": " << options.Error;
        if (!c.error) {
            EXPECT_EQ(c.action, options.Action) << c.rule;
        }
    }
    FaxcfgOptions options = ParseFaxcfgOptions({"-answers", "a b.ini", "/DEVICE", "78"});
    EXPECT_EQ("a b.ini", options.File);
    EXPECT_TRUE(options.DeviceGiven);
    EXPECT_EQ(78, options.DeviceId);
}
