// The program facing a product that is not as it should be.
#include <gtest/gtest.h>

#include "app/messages.h"
#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

// A start without its language files: the person is told in a message box of
// the program's own, and the exit code says it once the box is closed.
void ExpectToldOfMissingLanguageFiles(wizdrive::Program& wizard) {
    HWND box = wizard.WaitForActive(0, kDialogTimeoutMs);
    ASSERT_NE(nullptr, box) << "no message for the missing language files";
    EXPECT_EQ("Fax Setup", wizdrive::TextOf(box));
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        text += wizdrive::TextOf(c) + "\n";
    EXPECT_NE(std::string::npos, text.find("language files are missing")) << text;
    for (HWND dialog : wizard.Dialogs()) EXPECT_EQ(0, wizdrive::TemplateIdOf(dialog));
    ASSERT_TRUE(wizdrive::Click(box, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the program did not end";
    EXPECT_EQ((DWORD)EXIT_NO_LANGUAGE_FILES, wizard.ExitCode());
}

}  // namespace

TEST(Faults, OfflineDeviceRunsWithoutDeviceCalls) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    demo.ChangeDevice(77, [](devsim::DeviceState& s) { s.online = false; });
    std::string before = devsim::FormatState(demo.Device(77));

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    EXPECT_EQ("1", demo.Setup("SetupRun"));
    FinishFromWelcome(wizard);

    // Saved where it could be: both INI files.
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_NE("<none>", demo.Setup("UserName"));
    EXPECT_EQ("1", demo.Setup("DedicatedLine"));
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    // Nothing reached the device.
    EXPECT_TRUE(demo.Journal(77).empty());
    EXPECT_EQ(before, devsim::FormatState(demo.Device(77)));
}

TEST(Faults, NoResourceModuleEndsCleanly) {
    DemoOptions options;
    options.ResourceModules = false;
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    demo.SetSetup("SetupRun", "7");

    wizdrive::Program wizard;
    ASSERT_TRUE(wizard.Start(demo.Program()));
    ExpectToldOfMissingLanguageFiles(wizard);

    // Start-up and exit ran: the flag went to 1 and back to 0.
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    // No page could be shown, so no settings were written anywhere.
    EXPECT_EQ("<none>", demo.Setup("UserName"));
    EXPECT_FALSE(DemoInstall::HasRegistrationSection(77));
    EXPECT_TRUE(demo.Journal(77).empty());
    EXPECT_EQ("1", demo.RegValue("Install", "RunSetupWizard"));
}

TEST(Faults, NoProductInformationFileUsesTheBuiltInRegistryNames) {
    DemoOptions options;
    options.ProdInfo = false;
    options.BuiltInNames = true;  // "\Kelvaro\Corvantis", the names without the file
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    demo.SetSetup("SetupRun", "7");

    wizdrive::Program wizard;
    ASSERT_TRUE(wizard.Start(demo.Program()));
    // Without the file no resource module is named either.
    ExpectToldOfMissingLanguageFiles(wizard);

    // The product INI was found through the built-in tree.
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("<none>", demo.Setup("UserName"));
}

TEST(Faults, MissingProductIniValueWritesNoProductIni) {
    DemoOptions options;
    options.ProdIniFileValue = false;
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    std::string before = demo.ProductIniText();
    char winIni[MAX_PATH] = "";
    GetWindowsDirectoryA(winIni, sizeof winIni);
    std::string winIniPath = std::string(winIni) + "\\win.ini";
    std::string winIniBefore = wiztest::ReadFile(winIniPath);

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    FinishFromWelcome(wizard);

    // Neither the product INI nor a stand-in for it was written ...
    EXPECT_EQ(before, demo.ProductIniText());
    EXPECT_EQ(winIniBefore, wiztest::ReadFile(winIniPath));
    // ... while the rest of the settings were saved.
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    EXPECT_FALSE(demo.Journal(77).empty());
}

// A file lies where the product INI's folder should be: nothing can be made
// or written below it, whoever the program runs as (a read-only attribute
// does not stop a process running as root). The wizard walks to its end,
// every other store gets its values, and nothing appears in the INI's place.
TEST(Faults, ProductIniWhoseFolderIsAFile) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    const std::string blocker = demo.ProgramDir() + "\\Settings";
    const std::string blockerText = "a file, not a folder\r\n";
    ASSERT_TRUE(wiztest::WriteFile(blocker, blockerText));
    const std::string ini = blocker + "\\corvfax.ini";
    ASSERT_FALSE(WritePrivateProfileStringA("Setup", "Probe", "1", ini.c_str()))
        << "the path took a file after all";
    demo.SetRegValue("Env", "ProdIniFile", ini);
    // Stored before: the product INI the registry named until now, another
    // device's registration.
    demo.SetSetup("UserName", "Stored Name");
    const std::string productBefore = demo.ProductIniText();
    const std::string reg = DemoInstall::RegistrationIniPath();
    ASSERT_TRUE(WritePrivateProfileStringA("Device: 78", "UserName", "Other Device", reg.c_str()));
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string winIni = std::string(windows) + "\\win.ini";
    const std::string winIniBefore = wiztest::ReadFile(winIni);

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    wizdrive::RoadAnswers answers;
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));

    EXPECT_EQ(blockerText, wiztest::ReadFile(blocker));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((std::string(windows) + "\\corvfax.ini").c_str()));
    EXPECT_EQ(winIniBefore, wiztest::ReadFile(winIni));
    EXPECT_EQ(productBefore, demo.ProductIniText());
    EXPECT_EQ("Other Device", DemoInstall::Registration(78, "UserName"));

    EXPECT_EQ(answers.UserName, DemoInstall::Registration(77, "UserName"));
    EXPECT_EQ(answers.FaxNumber, DemoInstall::Registration(77, "FaxNumber"));
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    EXPECT_EQ("0", demo.RegValue("Install", "RunSetupWizard"));
    std::vector<std::string> journal = demo.Journal(77);
    ASSERT_EQ(6u, journal.size());
    for (const std::string& line : journal) EXPECT_NE(std::string::npos, line.find("result 0"));
    EXPECT_EQ(answers.FaxNumber, demo.Device(77).objects[31].bytes);
    EXPECT_NE(std::string::npos, wiztest::ReadFile(demo.SummaryFile()).find(answers.FaxNumber));
}

// The link library is loaded only when registration starts: without it the
// wizard still runs to its end, and registration, which never ran, is still
// asked for next time.
TEST(Faults, WithoutTheLinkLibraryTheWizardStillFinishes) {
    DemoOptions options;
    options.Registration = true;
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());
    ASSERT_TRUE(DeleteFileA((demo.ProgramDir() + "\\link.dll").c_str()));

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    wizdrive::RoadAnswers answers;
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("0", demo.RegValue("Install", "RunSetupWizard"));
    EXPECT_EQ("1", demo.RegValue("Install", "RunRegistration"));
    EXPECT_EQ(0, demo.RegistrationStarts());
}
