// Start-up of the real program: one copy at a time, the hidden main window,
// the command line's device.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include "common/registry/devices.h"
#include "tests/whole/whole_fixture.h"


using namespace wholetest;

TEST(Start, SecondCopyEndsSilentlyAndLeavesTheRunningOneAlone) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wizdrive::Program first;
    HWND page = StartAtWelcome(first, demo);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("1", demo.Setup("SetupRun"));

    wizdrive::Program second;
    ASSERT_TRUE(second.Start(demo.Program()));
    bool showedWindow = false;
    DWORD start = GetTickCount();
    while (second.Running() && GetTickCount() - start < kExitTimeoutMs) {
        if (!wizdrive::WindowsOf(second.Id()).empty()) showedWindow = true;
        Sleep(5);
    }
    ASSERT_FALSE(second.Running()) << "the second copy did not end by itself";
    EXPECT_EQ(0u, second.ExitCode());
    EXPECT_FALSE(showedWindow) << "the second copy showed a window";

    // The first copy runs on, undisturbed.
    EXPECT_EQ("1", demo.Setup("SetupRun"));
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(page, first.ActiveDialog());

    CancelWizard(first, page);
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    // Cancelled: nothing was saved.
    EXPECT_EQ("<none>", demo.Setup("UserName"));
    EXPECT_TRUE(demo.Journal(77).empty());
}

TEST(Start, OfTwoCopiesStartedTogetherExactlyOneRuns) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        wizdrive::Program a, b;
        ASSERT_TRUE(a.Start(demo.Program(), "", true));
        ASSERT_TRUE(b.Start(demo.Program(), "", true));
        a.Resume();
        b.Resume();

        // One shows the welcome page, the other ends by itself.
        wizdrive::Program* runner = nullptr;
        wizdrive::Program* refused = nullptr;
        DWORD start = GetTickCount();
        while (!(runner && refused) && GetTickCount() - start < kStartTimeoutMs) {
            for (wizdrive::Program* p : {&a, &b}) {
                if (!p->Running() && !refused && p != runner) refused = p;
                if (p->FindDialog(kWelcomePage) && !runner && p != refused) runner = p;
            }
            Sleep(10);
        }
        ASSERT_NE(nullptr, runner) << "neither copy opened the wizard";
        ASSERT_NE(nullptr, refused) << "both copies are still running";
        ASSERT_NE(runner, refused);
        EXPECT_EQ(0u, refused->ExitCode());
        EXPECT_TRUE(runner->Running());
        EXPECT_EQ("1", demo.Setup("SetupRun"));

        CancelWizard(*runner, runner->FindDialog(kWelcomePage));
        EXPECT_EQ("0", demo.Setup("SetupRun"));
    }
}

TEST(Start, HiddenMainWindow) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wizdrive::Program wizard;
    HWND page = StartAtWelcome(wizard, demo);
    ASSERT_NE(nullptr, page);

    HWND main = wizard.MainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_FALSE(IsWindowVisible(main));
    // The platform adds clipping of siblings to every top-level window, and
    // the open page disables its owner.
    EXPECT_EQ(0x80C80000u,
              (DWORD)GetWindowLongA(main, GWL_STYLE) & ~(DWORD)(WS_DISABLED | WS_CLIPSIBLINGS));
    EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, GetParent(main));
    EXPECT_EQ(nullptr, GetMenu(main));
    RECT rect;
    ASSERT_TRUE(GetWindowRect(main, &rect));
    EXPECT_EQ(200, rect.left);
    EXPECT_EQ(200, rect.top);
    EXPECT_EQ(400, rect.right);
    EXPECT_EQ(400, rect.bottom);
    // The pages belong to it: it is disabled while one is open.
    EXPECT_EQ(main, GetWindow(page, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(main));

    CancelWizard(wizard, page);
}

// The benchmark's breakdown: with WIZ_TIMING set the program marks its steps
// in order, from its start to the first page on the screen and on past Next.
TEST(Start, TimingMarksFollowTheStartAndThePageChange) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    wiztest::TempDir dir;
    std::string file = dir.File("marks.txt");
    SetEnvironmentVariableA("WIZ_TIMING", file.c_str());
    wizdrive::Program wizard;
    HWND page = StartAtWelcome(wizard, demo);
    SetEnvironmentVariableA("WIZ_TIMING", nullptr);
    ASSERT_NE(nullptr, page);
    // The benchmark times the page on the screen by this mark: Next waits for it.
    for (DWORD waited = 0; wiztest::ReadFile(file).find("page 2805 painted") == std::string::npos;
         waited += 10) {
        ASSERT_LT(waited, kDialogTimeoutMs) << "the first page was never painted";
        Sleep(10);
    }
    ASSERT_TRUE(wizdrive::Click(page, kNextButton));
    HWND second = wizard.WaitForActive(2808, kDialogTimeoutMs);
    ASSERT_NE(nullptr, second);
    CancelWizard(wizard, second);

    std::vector<std::string> steps;
    double last = 0;
    for (const std::string& line : Lines(wiztest::ReadFile(file))) {
        if (line.empty()) continue;
        size_t blank = line.find(' ');
        ASSERT_NE(std::string::npos, blank) << line;
        double ms = atof(line.substr(0, blank).c_str());
        EXPECT_GE(ms, last) << line;
        last = ms;
        steps.push_back(line.substr(blank + 1));
    }
    std::vector<std::string> expected = {"start", "resource module loaded", "device connection",
                                         "start message", "page 2805 shown",
                                         "page 2805 painted", "page 2805 next",
                                         "page 2808 shown"};
    size_t at = 0;
    for (const std::string& step : steps)
        if (at < expected.size() && step == expected[at]) ++at;
    EXPECT_EQ(expected.size(), at) << "missing or out of order: " << expected[at];
}

TEST(Start, ResourceModuleFollowsTheLanguageOfTheInstallation) {
    for (const char* language : {"ENU", "DEU"}) {
        SCOPED_TRACE(language);
        DemoOptions options;
        options.Language = language;
        DemoInstall demo(options);
        ASSERT_EQ("", demo.Error());
        wizdrive::Program wizard;
        HWND page = StartAtWelcome(wizard, demo);
        ASSERT_NE(nullptr, page);
        // The texts come from the module of the language.
        EXPECT_EQ(std::string(language) == "DEU" ? "&Weiter >" : "&Next >",
                  wizdrive::ControlText(page, kNextButton));
        CancelWizard(wizard, page);
    }
}

// The command line decides the device: the wizard listens for shutdown
// requests of that device, and the settings it saves reach that device.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ("", demo_.Error());
        // Another default than 77, so that the default cannot pass for it.
        demo_.SetRegValue("Devices\\0", "DefDevID", "78");
    }

    // Starts the wizard with the arguments, checks that it listens for the
    // device's shutdown request and no other, confirms quitting and checks
    // where the settings went.
    void ExpectDevice(const std::string& arguments, long expected) {
        SCOPED_TRACE("command line: " + arguments);
        demo_.SeedDevices();
        demo_.AddDevice(9, "Corvantis MF 9");
        DemoInstall::ClearRegistrationIni();

        wizdrive::Program wizard;
        HWND page = StartAtWelcome(wizard, demo_, arguments);
        ASSERT_NE(nullptr, page);
        for (long other : {0L, 5L, 7L, 9L, 77L, 78L}) {
            if (other == expected) continue;
            EXPECT_EQ(0, RequestShutdown(other)) << "device " << other;
        }
        ASSERT_EQ(1, RequestShutdown(expected)) << "not listening for device " << expected;
        HWND confirm = wizard.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
        ASSERT_NE(nullptr, confirm);
        ASSERT_TRUE(wizdrive::Click(confirm, IDOK));
        ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs));

        EXPECT_TRUE(DemoInstall::HasRegistrationSection(expected));
        for (long device : {9L, 77L, 78L})
            EXPECT_EQ(device == expected, !demo_.Journal(device).empty()) << "device " << device;
    }

    DemoInstall demo_;
};

TEST_F(CommandLine, DeviceOption) {
    ExpectDevice("-d 77", 77);
    ExpectDevice("-d77", 77);
    ExpectDevice("/d77", 77);
    ExpectDevice("-d7 7", 77);  // blanks go before the options are split
    ExpectDevice("-d9", 9);
    ExpectDevice("-d77 -d9", 9);  // the later one wins
}

TEST_F(CommandLine, OddOptions) {
    ExpectDevice("-d-5", 0);  // the second "-" starts a token of its own
    ExpectDevice("-D7", 78);  // upper case is not an option: the default device
    ExpectDevice("-M7", 78);
    ExpectDevice("-x77 -l3", 78);
    ExpectDevice("-dabc", 0);  // no digits read as 0
}

TEST_F(CommandLine, ModelOption) {
    ExpectDevice("-m7 -d9", 9);  // the device wins over the model
    ExpectDevice("-m7", 0);      // no device of model 7
    // Device 9 is the only one of its model.
    char model[16];
    snprintf(model, sizeof model, "-m%u", (unsigned)ModelIdFromName("Corvantis MF 9"));
    ExpectDevice(model, 9);
}

TEST_F(CommandLine, EmptyLineUsesTheDefaultDevice) {
    ExpectDevice("", 78);
    ExpectDevice("   ", 78);
}

TEST_F(CommandLine, LongLineIsCutAt255Characters) {
    // 252 characters, then "-d78": the cut leaves "-d7".
    std::string line = "-l" + std::string(250, '1') + "-d78";
    ExpectDevice(line, 7);
    // Blanks do not count against the 255.
    ExpectDevice("-l" + std::string(200, '1') + std::string(100, ' ') + "-d9", 9);
}
