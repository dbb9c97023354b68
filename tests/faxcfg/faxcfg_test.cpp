// faxcfg, the real program under Wine against the demo product: what it
// refuses and stores, compared with what the wizard stores for the same
// answers. One case per rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/faxcfg/faxcfg_runs.h"
#include "tests/support/test_support.h"

using namespace wholetest;

namespace {

const char kDedicatedAnswers[] =
    "UserName=Dana Whitfield\r\nCompany=Whitfield Print & Design\r\n"
    "FaxNumber=+1 555 0100\r\nVoiceNumber=+1 555 0199\r\nDedicatedLine=Yes\r\nModem=0\r\n";

}  // namespace

// Each answer a field would not take: exit code 4, the log names the key, and
// nothing is stored anywhere.
TEST(Faxcfg, RefusedAnswersStoreNothing) {
    // 13 katakana "a" of code page 932 (0x83 0x41): 26 bytes, one more than the field takes.
    std::string katakana13;
    for (int i = 0; i < 13; ++i) katakana13 += "\x83\x41";
    struct Case {
        const char* rule;
        std::string lines;
        const char* key;
    };
    const Case cases[] = {
        {"a fax number is required", "FaxNumber=\r\n", "FaxNumber"},
        {"a name over 25 bytes", "UserName=" + std::string(26, 'N') + "\r\n", "UserName"},
        {"a double-byte name over 25 bytes", "UserName=" + katakana13 + "\r\n", "UserName"},
        {"a company over 255 bytes", "Company=" + std::string(256, 'C') + "\r\n", "Company"},
        {"letters in a number", "FaxNumber=555-CALL-NOW\r\n", "FaxNumber"},
        // An INI line ends at a carriage return or a line feed: a vertical tab
        // is the line break a value can carry.
        {"a line break in a value", "Company=Acme\vLtd\r\n", "Company"},
        {"a tab in a value", "UserName=Ann\tLee\r\n", "UserName"},
        {"a dedicated line's two numbers need different digits",
         "FaxNumber=555 0100\r\nVoiceNumber=(555) 01-00\r\nDedicatedLine=1\r\n", "VoiceNumber"},
        {"a yes or no answer", "TAM=maybe\r\n", "TAM"},
        {"a key of the answer file", "FaxNumbr=555 0100\r\n", "FaxNumbr"},
    };
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    std::string ini = demo.ProductIniText();
    Stored before = Capture(demo);
    wiztest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        const std::string& lines = c.lines;
        std::string log = dir.File("refused.log");
        DeleteFileA(log.c_str());
        EXPECT_EQ(4u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, lines)) + " /log " +
                                          Quoted(log)));
        EXPECT_EQ(4u, RunFaxcfg(demo, "/check " + Quoted(AnswerFile(dir, lines))));
        std::string text = wiztest::ReadFile(log);
        EXPECT_NE(std::string::npos, text.find(std::string("refused ") + c.key + ":")) << text;
        EXPECT_NE(std::string::npos, text.find("nothing stored")) << text;
        EXPECT_EQ(ini, demo.ProductIniText());
        ExpectSame(before, Capture(demo));
    }
}

// The same answers walked through the wizard's pages and applied by faxcfg
// store the same, byte for byte, everywhere. The answer file's path holds
// blanks, a dash and a character of the code page; the option is in capitals.
TEST(Faxcfg, StoresWhatTheWizardStores) {
    Stored walked;
    {
        DemoInstall demo;
        ASSERT_EQ("", demo.Error());
        wizdrive::Program wizard;
        ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
        wizdrive::RoadAnswers answers;
        wizdrive::RoadReport report;
        ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));
        walked = Capture(demo);
    }
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string folder = dir.File(GetACP() == 932 ? "my answers - \x83\x5C" : "my answers - \xE9");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string file = folder + "\\fleet - answers.ini";
    ASSERT_TRUE(wiztest::WriteFile(file, std::string("[Fax]\r\n") + kDedicatedAnswers));
    std::string log = folder + "\\faxcfg.log";
    EXPECT_EQ(0u, RunFaxcfg(demo, "-ANSWERS " + Quoted(file) + " /Log " + Quoted(log)));
    ExpectSame(walked, Capture(demo));
    EXPECT_EQ(0u, RunFaxcfg(demo, "/check " + Quoted(file)));
    std::string text = wiztest::ReadFile(log);
    EXPECT_NE(std::string::npos, text.find("applied FaxNumber = \"+1 555 0100\"")) << text;
    EXPECT_NE(std::string::npos, text.find("stored in printer 77")) << text;
    EXPECT_EQ("0", demo.Setup("SetupRun"));
}

// The settings one PC holds, exported and applied on a fresh one, store the
// same there.
TEST(Faxcfg, ExportThenApplyStoresTheSame) {
    wiztest::TempDir dir;
    std::string exported = dir.File("exported.ini");
    Stored first;
    {
        DemoInstall demo;
        ASSERT_EQ("", demo.Error());
        std::string answers = AnswerFile(dir,
                                         "UserName=Ann Lee\r\nCompany=Lee & Co\r\n"
                                         "FaxNumber=030 1234-56\r\nDedicatedLine=No\r\n"
                                         "TAM=Y\r\nModem=1\r\nDeviceOption=1\r\n");
        ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(answers)));
        first = Capture(demo);
        ASSERT_EQ(0u, RunFaxcfg(demo, "/export " + Quoted(exported)));
        EXPECT_EQ("030 1234-56", demo.Setup("VoiceNumber"));  // a shared line's one number
    }
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    ASSERT_EQ(0u, RunFaxcfg(demo, "-answers " + Quoted(exported)));
    ExpectSame(first, Capture(demo));
}

// A printer that cannot be reached: the files are written, the code says the
// printer was not.
TEST(Faxcfg, OfflinePrinterStoresTheFiles) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    demo.ChangeDevice(77, [](devsim::DeviceState& s) { s.online = false; });
    wiztest::TempDir dir;
    std::string reminder = demo.RegValue("Install", "RunSetupWizard");
    ASSERT_NE("0", reminder);
    std::string answers = Quoted(AnswerFile(dir, kDedicatedAnswers));
    EXPECT_EQ(6u, RunFaxcfg(demo, "/answers " + answers));
    EXPECT_EQ("Dana Whitfield", demo.Setup("UserName"));
    EXPECT_EQ("+1 555 0100", DemoInstall::Registration(77, "FaxNumber"));
    // The wizard's reminder stays, to bring the answers to the printer.
    EXPECT_EQ(reminder, demo.RegValue("Install", "RunSetupWizard"));
    EXPECT_TRUE(demo.Journal(77).empty());
    EXPECT_EQ(6u, StatusNumber(demo, "ExitCode"));
    EXPECT_EQ(0u, StatusNumber(demo, "PrinterConfigured"));
    EXPECT_EQ(9u, RunFaxcfg(demo, "/check " + answers));
}

// Only one program changes the settings at a time: faxcfg does not run
// beside the wizard or another faxcfg, and the wizard does not start beside
// faxcfg.
TEST(Faxcfg, OneCopyAtATime) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string answers = "/answers " + Quoted(AnswerFile(dir, kDedicatedAnswers));
    Stored before = Capture(demo);
    {
        wizdrive::Program wizard;
        HWND page = StartAtWelcome(wizard, demo);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(5u, RunFaxcfg(demo, answers));
        // The lock is the whole computer's, made with the product's security.
        EXPECT_EQ(wiztest::ObjectAccess::Shared(MUTEX_ALL_ACCESS, SYNCHRONIZE | MUTEX_MODIFY_STATE),
                  wiztest::ReadMutexAccess("Global\\CorvantisFaxSetupRunning"));
        CancelWizard(wizard, page);
    }
    ExpectSame(before, Capture(demo));
    {
        // What a running faxcfg holds.
        HANDLE held = CreateMutexA(nullptr, FALSE, "Global\\CorvantisFaxSetupRunning");
        ASSERT_NE(nullptr, held);
        EXPECT_EQ(5u, RunFaxcfg(demo, answers));
        wizdrive::Program wizard;
        ASSERT_TRUE(wizard.Start(demo.Program()));
        EXPECT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the wizard started beside faxcfg";
        EXPECT_EQ(0u, wizard.ExitCode());
        CloseHandle(held);
    }
    ExpectSame(before, Capture(demo));
}

// Command lines faxcfg does not take, and the files it cannot find.
TEST(Faxcfg, ExitCodesOfWhatItCannotDo) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string answers = Quoted(AnswerFile(dir, kDedicatedAnswers));
    std::string noSection = Quoted(dir.File("other.ini"));
    dir.Write("other.ini", "[Other]\r\nFaxNumber=1\r\n");
    struct Case {
        std::string arguments;
        DWORD code;
    };
    const Case cases[] = {
        {"", 1},
        {"/answers", 1},
        {"/frobnicate " + answers, 1},
        {"/answers " + answers + " /export x.ini", 1},
        {"/answers " + answers + " /device seven", 1},
        {"stray " + answers, 1},
        {"/?", 0},
        {"-H", 0},
        {"/answers " + Quoted(dir.File("missing.ini")), 3},
        {"/answers " + noSection, 3},
        {"/check " + Quoted(dir.File("missing.ini")), 3},
        {"/restore " + Quoted(dir.path()), 3},
        {"/answers " + answers + " /device 79", 7},
        {"/export " + Quoted(dir.File("e.ini")) + " /device 79", 7},
        {"/answers " + answers + " /device 78", 0},
    };
    std::string ini = demo.ProductIniText();
    for (const Case& c : cases) {
        EXPECT_EQ(c.code, RunFaxcfg(demo, c.arguments)) << c.arguments;
        if (c.code) {
            EXPECT_EQ(ini, demo.ProductIniText()) << c.arguments;
        }
    }
    EXPECT_EQ("+1 555 0100", DemoInstall::Registration(78, "FaxNumber"));
    EXPECT_FALSE(DemoInstall::HasRegistrationSection(79));
}

TEST(Faxcfg, MissingLanguageFiles) {
    DemoOptions options;
    options.ResourceModules = false;
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    std::string ini = demo.ProductIniText();
    wiztest::TempDir dir;
    EXPECT_EQ(2u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, kDedicatedAnswers))));
    EXPECT_EQ(ini, demo.ProductIniText());
}

namespace {

// The computer's registered owner, set for a test and put back after it.
class RegisteredOwner {
public:
    explicit RegisteredOwner(const std::string& name) {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        char old[256] = "";
        DWORD size = sizeof old - 1;
        had_ = RegQueryValueExA(key_, "RegisteredOwner", nullptr, nullptr, (BYTE*)old, &size) == 0;
        old_ = old;
        Set(name);
    }
    ~RegisteredOwner() {
        if (had_) Set(old_);
        else RegDeleteValueA(key_, "RegisteredOwner");
        RegCloseKey(key_);
    }

private:
    void Set(const std::string& name) {
        RegSetValueExA(key_, "RegisteredOwner", 0, REG_SZ, (const BYTE*)name.c_str(),
                       (DWORD)name.size() + 1);
    }
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

}  // namespace

// What one PC holds, exported and applied there again, is already stored:
// exit 0 and nothing written, /check agrees. The name comes from a
// registered owner longer than the name field takes; the company holds
// quotes, "=", ";" and, in code page 932, double-byte text.
TEST(Faxcfg, ExportThenApplyOnTheSamePcChangesNothing) {
    std::string owner = GetACP() == 932 ? std::string(13 * 2, '\0') : std::string(26, 'O');
    for (size_t i = 0; GetACP() == 932 && i < owner.size(); i += 2) owner.replace(i, 2, "\x83\x41");
    RegisteredOwner registered(owner);
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string company = GetACP() == 932 ? "'\x83\x41\x83\x5C' = A;B" : "\"Acme\" = A;B";
    std::string answers = AnswerFile(dir, "Company=\"" + company + "\"\r\nFaxNumber=555 0100\r\n");
    ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(answers)));
    ASSERT_EQ(owner, demo.Setup("UserName"));
    ASSERT_EQ("\"" + company + "\"", demo.Setup("Company"));  // quoted, to read back whole
    Stored before = Capture(demo);
    std::string exported = dir.File("exported.ini");
    ASSERT_EQ(0u, RunFaxcfg(demo, "/export " + Quoted(exported)));
    EXPECT_EQ(0u, RunFaxcfg(demo, "/check " + Quoted(exported)));
    EXPECT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(exported)));
    ExpectSame(before, Capture(demo));
    // Another number: /check names the values that differ and changes nothing.
    std::string other = AnswerFile(dir, "FaxNumber=555 0111\r\n", "other.ini");
    std::string log = dir.File("check.log");
    EXPECT_EQ(9u, RunFaxcfg(demo, "/check " + Quoted(other) + " /log " + Quoted(log)));
    std::string text = wiztest::ReadFile(log);
    EXPECT_NE(std::string::npos, text.find("FaxNumber: stored \"555 0100\", wanted \"555 0111\""))
        << text;
    ExpectSame(before, Capture(demo));
}

// A product INI that cannot be written (read-only, and held by another
// program, which stops a writer that runs as root under Wine too): the
// values do not read back, and faxcfg says so with its own code, not 0.
TEST(Faxcfg, ValuesThatDoNotReadBackAreReported) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string answers = Quoted(AnswerFile(dir, kDedicatedAnswers));
    SetFileAttributesA(demo.ProductIni().c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileA(demo.ProductIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    std::string log = dir.File("ro.log");
    EXPECT_EQ(8u, RunFaxcfg(demo, "/answers " + answers + " /log " + Quoted(log)));
    CloseHandle(held);
    SetFileAttributesA(demo.ProductIni().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::string text = wiztest::ReadFile(log);
    EXPECT_NE(std::string::npos, text.find("not stored: ")) << text;
}

// /backup keeps what was stored; /restore puts it back in the files, the
// mark and the printer.
TEST(Faxcfg, RestorePutsBackWhatWasStored) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, "FaxNumber=555 0100\r\n"))));
    Stored before = Capture(demo);
    std::string ini = demo.ProductIniText();
    std::string backup = dir.File("backup");
    ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, kDedicatedAnswers)) +
                                      " /backup " + Quoted(backup)));
    ASSERT_NE(before.Setup, Capture(demo).Setup);
    demo.SetRegValue("Install", "RunSetupWizard", "1");
    EXPECT_EQ(0u, RunFaxcfg(demo, "/restore " + Quoted(backup)));
    Stored after = Capture(demo);
    after.Journal = before.Journal;  // the printer got the old values anew
    ExpectSame(before, after);
    EXPECT_EQ(ini, demo.ProductIniText());
}

// One file for a fleet: [Fax] for every PC, and a PC's own section over it
// key by key (its name in any case); another PC's section is no answer here.
TEST(Faxcfg, EachPcTakesItsOwnSection) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    std::string lower = name;
    CharLowerA(&lower[0]);
    wiztest::TempDir dir;
    dir.Write("fleet.ini", std::string("[Fax]\r\n") + kDedicatedAnswers +
                               "[Fax:OTHER-PC]\r\nFaxNumber=555 0111\r\n[Fax:" + lower +
                               "]\r\nFaxNumber=555 0122\r\nVoiceNumber=555 0133\r\n");
    std::string log = dir.File("fleet.log");
    EXPECT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(dir.File("fleet.ini")) + " /log " + Quoted(log)));
    EXPECT_EQ("555 0122", demo.Setup("FaxNumber"));
    EXPECT_EQ("Dana Whitfield", demo.Setup("UserName"));
    EXPECT_NE(std::string::npos, wiztest::ReadFile(log).find("[Fax] and [Fax:" + lower + "]"));
    EXPECT_EQ("answers", demo.RegValue("Status", "By"));
    EXPECT_EQ(1u, StatusNumber(demo, "PrinterConfigured"));
    // This PC's settings as its own section, which applies alone.
    std::string exported = dir.File("pc.ini");
    ASSERT_EQ(0u, RunFaxcfg(demo, "/export " + Quoted(exported) + " /pc"));
    EXPECT_NE(std::string::npos, wiztest::ReadFile(exported).find(std::string("[Fax:") + name + "]"));
    EXPECT_EQ(0u, RunFaxcfg(demo, "/check " + Quoted(exported)));
    dir.Write("other.ini", "[Fax:OTHER-PC]\r\nFaxNumber=555 0111\r\n");
    EXPECT_EQ(3u, RunFaxcfg(demo, "/answers " + Quoted(dir.File("other.ini"))));
}
