// The summary page (2817) and the finish page (2809), run inside the engine
// from the real resource modules: the report, the README and device buttons,
// Cancel on the summary page, the editor and the one-shot registration.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "pages/summarypage.h"
#include "resources/resource_ids.h"
#include "settings/faxsettings.h"
#include "tests/pages/editor_watch.h"
#include "tests/pages/lastpages_fixture.h"
#include "tests/support/ui_driver.h"

using wiztest::EditorSeen;
using wiztest::EditorWatch;
using wiztest::MachineValue;
using wiztest::UiDriver;

namespace {

const char kLinkKey[] = "Software\\Kelvaro\\Links\\9936";

int CountLines(const std::string& text) {
    int count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

bool IsTopmost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

class SummaryFinishTest : public wiztest::LastPagesTest {
protected:
    void SetUp() override {
        LastPagesTest::SetUp();
        // Product registration is the demo's registration program, logging
        // each start into this test's folder.
        linkCommand_.Set("\"" + wiztest::BinDir() + "\\register.exe\" /quiet /log \"" +
                         RegistrationLog() + "\"");
        linkDirectory_.Remove();
        rootDir_.Remove();
        dir_.Write("summary.ini", Template());
    }

    static std::string Template() {
        std::string text = "[common]\r\n1=Setup for %name%\r\n2=Fax %faxnum%\r\n3=EOS\r\n";
        for (int n = 1; n <= 8; ++n)
            text += "[summary" + std::to_string(n) + "]\r\n1=variant " + std::to_string(n) +
                    " rings %rings_to_answer%\r\n2=EOS\r\n";
        return text;
    }

    std::string Report() { return wiztest::ReadFile(dir_.File("summary.txt")); }
    std::string ExpectedReport(int variant, int rings) {
        return "Setup for Ann Example\r\nFax " + ModuleText(IDS_NOT_SET) + "\r\nvariant " +
               std::to_string(variant) + " rings " + std::to_string(rings) + "\r\n";
    }

    std::string RegistrationLog() { return dir_.File("registration.log"); }
    // Registration starts in a process of its own: waits for its lines.
    int Registrations(int atLeast = 0, DWORD milliseconds = 15000) {
        DWORD start = GetTickCount();
        for (;;) {
            int count = CountLines(wiztest::ReadFile(RegistrationLog()));
            if (count >= atLeast || GetTickCount() - start > milliseconds) return count;
            Sleep(50);
        }
    }
    // No registration start may be on its way.
    int RegistrationsAfterAWhile() {
        Sleep(800);
        return Registrations();
    }

    MachineValue linkCommand_{kLinkKey, "Command"};
    MachineValue linkDirectory_{kLinkKey, "Directory"};
    MachineValue rootDir_{kProductEnvKey, "RootDir"};
};

class SlowFinishTest : public SummaryFinishTest {};

}  // namespace

TEST_P(SummaryFinishTest, EveryOpeningRewritesTheReportFromTheCurrentAnswers) {
    SimDevice& device = ConnectDevice();  // rings: 2 by default, 5 with a machine
    device.SetInt(51, 7);                 // no distinctive ring
    SetIni("DedicatedLine", "0");
    SetIni("TAM", "0");
    SetIni("Modem", "0");
    std::string first, second, third;
    long rings[2] = {}, autoAnswer[2] = {};
    UiDriver ui;
    ui.When(2814).Check(IDC_TAM_NO).Click(kNextButton);
    ui.When(2815).Check(IDC_MODEM_NO).Click(kNextButton);
    ui.When(2817)
        .Do([&](HWND) {
            first = Report();
            rings[0] = FaxSettings.RingsToAnswer;
            autoAnswer[0] = FaxSettings.AutoAnswer;
        })
        .Click(kBackButton);
    ui.When(2815).Click(kBackButton);
    ui.When(2814).Check(IDC_TAM_YES).Click(kNextButton);
    ui.When(2815).Check(IDC_MODEM_YES).Click(kNextButton);
    ui.When(2817)
        .Do([&](HWND) {
            second = Report();
            rings[1] = FaxSettings.RingsToAnswer;
            autoAnswer[1] = FaxSettings.AutoAnswer;
            DeleteFileA(dir_.File("summary.txt").c_str());
        })
        .Click(kNextButton);
    ui.When(2809).Click(kBackButton);
    ui.When(2817).Do([&](HWND) { third = Report(); }).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2814);
    EXPECT_EQ("2814 2815 2817 2815 2814 2815 2817 2809 2817 2820", ui.Log());
    // A shared line with nothing else on it: the device does not answer.
    EXPECT_EQ(ExpectedReport(8, 2), first);
    EXPECT_EQ(2, rings[0]);
    EXPECT_EQ(0, autoAnswer[0]);
    // An answering machine and a modem: it answers after the machine's rings.
    EXPECT_EQ(ExpectedReport(5, 5), second);
    EXPECT_EQ(5, rings[1]);
    EXPECT_EQ(1, autoAnswer[1]);
    EXPECT_EQ(second, third);  // written again on the way back from the finish page
    EXPECT_EQ(1, WizardCancelled);
    EXPECT_FALSE(Saved());
}

TEST_P(SummaryFinishTest, DeviceButtonSendsTheLineTestAtOnce) {
    SimDevice& device = ConnectDevice();
    std::vector<std::string> journal;
    UiDriver ui;
    ui.When(2817)
        .Do([&](HWND h) {
            SendMessageA(GetDlgItem(h, IDC_DEVICE_COMMAND), BM_CLICK, 0, 0);
            SendMessageA(GetDlgItem(h, IDC_DEVICE_COMMAND), BM_CLICK, 0, 0);
            journal = device.Journal();
        })
        .Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2817);
    std::vector<std::string> expected = {
        "param 183 type 2 length 4 value 0 result 0",
        "object 10 type 1 length 2 value 4 result 0",
        "param 183 type 2 length 4 value 0 result 0",
        "object 10 type 1 length 2 value 4 result 0",
    };
    EXPECT_EQ(expected, journal);
    EXPECT_EQ(expected, device.Journal());  // the cancelled run sent nothing more
}

TEST_P(SummaryFinishTest, DeviceButtonDoesNothingWithoutAnObjectChannel) {
    SimDevice& device = ConnectDevice();
    FaxSettings.ObjectChannel = 0;  // a client, but no channel
    UiDriver ui;
    ui.When(2817)
        .Do([&](HWND h) { SendMessageA(GetDlgItem(h, IDC_DEVICE_COMMAND), BM_CLICK, 0, 0); })
        .Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2817);
    EXPECT_TRUE(device.Journal().empty());
    devsim::DeviceState state = device.State();
    EXPECT_EQ(1, state.params[183]);
}

TEST_P(SummaryFinishTest, CancelDeclinedStillClearsTheMarksAndStartsRegistrationOnce) {
    SetInstall("RunSetupWizard", "1");
    SetInstall("RunRegistration", "1");
    std::string setupAfter, registrationAfter;
    bool stillOpen = false;
    UiDriver ui;
    ui.When(2817)
        .Do([&](HWND h) {
            SendMessageA(h, WM_COMMAND, IDCANCEL, 0);  // answered No below
            setupAfter = Install("RunSetupWizard");
            registrationAfter = Install("RunRegistration");
            stillOpen = IsWindow(h) && IsWindowVisible(h);
        })
        .Click(IDCANCEL);
    ui.When(2820).Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2817);
    EXPECT_EQ("2817 2820 2820", ui.Log());
    EXPECT_EQ("0", setupAfter);
    EXPECT_EQ("0", registrationAfter);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(1, WizardCancelled);
    EXPECT_EQ(1, Registrations(1));
    EXPECT_EQ(1, RegistrationsAfterAWhile());  // the second Cancel found "0"
}

TEST_P(SummaryFinishTest, CancelLeavesAnInexactRegistrationRequestAlone) {
    for (const char* value : {"1 ", "01", "yes", " 1"}) {
        SCOPED_TRACE(std::string("\"") + value + "\"");
        SetInstall("RunSetupWizard", "1");
        SetInstall("RunRegistration", value);
        UiDriver ui;
        ui.When(2817).Click(IDCANCEL);
        ui.When(2820).Click(IDOK);
        Run(2817);
        EXPECT_EQ(value, Install("RunRegistration"));
        EXPECT_EQ("0", Install("RunSetupWizard"));
        WizardCancelled = 0;
    }
    EXPECT_EQ(0, RegistrationsAfterAWhile());
}

TEST_P(SummaryFinishTest, ReadMeOpensTheProductReadmeInTheEditor) {
    std::string root = dir_.File("Product Root");
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\HELP").c_str(), nullptr);
    wiztest::WriteFile(root + "\\HELP\\README.TXT", "Read me first.\r\n");
    bool topmostBefore = false, topmostAfter = true, stillOpen = false;
    EditorWatch editors;
    UiDriver ui;
    ui.When(2817)
        .Do([&](HWND h) {
            topmostBefore = IsTopmost(h);
            // Without the product's root folder nothing is started.
            SendMessageA(GetDlgItem(h, IDC_README), BM_CLICK, 0, 0);
            rootDir_.Set(root + "\\");
            SendMessageA(GetDlgItem(h, IDC_README), BM_CLICK, 0, 0);
            topmostAfter = IsTopmost(h);
            stillOpen = IsWindow(h) && IsWindowVisible(h);
        })
        .Click(IDCANCEL);
    ui.When(2820).Click(IDOK);
    Run(2817);
    EXPECT_TRUE(topmostBefore);
    EXPECT_FALSE(topmostAfter);
    EXPECT_TRUE(stillOpen);
    for (int i = 0; i < 300 && editors.Count() < 1; ++i) Sleep(50);
    Sleep(500);
    std::vector<EditorSeen> seen = editors.Stop();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("notepad.exe " + root + "\\HELP\\README.TXT", seen[0].commandLine);
    EXPECT_NE(std::string::npos, seen[0].title.find("README")) << seen[0].title;
    EXPECT_TRUE(seen[0].closed);
}

TEST_P(SummaryFinishTest, FinishShowsTheSummaryInTheEditorAndWaitsForIt) {
    SetInstall("RunSetupWizard", "1");
    SetInstall("RunRegistration", "1");
    std::atomic<HWND> finishPage{nullptr};
    std::atomic<bool> runEnded{false};
    bool waiting = false, pageTopmost = true, registeredEarly = true;
    EditorWatch editors(true, [&](const EditorSeen&) {
        Sleep(500);
        waiting = !runEnded && finishPage.load() && IsWindow(finishPage.load());
        pageTopmost = IsTopmost(finishPage.load());
        registeredEarly = Registrations() != 0;
    });
    UiDriver ui;
    ui.When(2817).Click(kNextButton);
    ui.When(2809).Do([&](HWND h) { finishPage = h; }).Click(kNextButton);
    DWORD start = GetTickCount();
    Run(2817);
    DWORD elapsed = GetTickCount() - start;
    runEnded = true;
    std::vector<EditorSeen> seen = editors.Stop();
    EXPECT_EQ("2817 2809", ui.Log());
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("notepad.exe " + dir_.path() + "\\summary.txt", seen[0].commandLine);
    EXPECT_NE(std::string::npos, seen[0].title.find("summary")) << seen[0].title;
    EXPECT_TRUE(seen[0].closed);
    EXPECT_TRUE(waiting);           // the wizard waited for the editor
    EXPECT_FALSE(pageTopmost);      // and let it in front of the page
    EXPECT_FALSE(registeredEarly);  // registration comes after the editor
    EXPECT_LT(elapsed, 20000u);
    EXPECT_EQ("0", Install("RunSetupWizard"));
    EXPECT_EQ("0", Install("RunRegistration"));
    EXPECT_EQ(1, Registrations(1));
    EXPECT_EQ(0, WizardCancelled);
    EXPECT_TRUE(Saved());
}

TEST_P(SummaryFinishTest, RegistrationStartsOnlyForExactlyOneAndOnlyOnce) {
    dir_.Write("summary.txt", "As the summary page left it.\r\n");
    EditorWatch editors;
    struct Case {
        const char* value;
        const char* left;
        int registrations;  // in all, so far
    } cases[] = {{"1 ", "1 ", 0}, {"01", "01", 0}, {"yes", "yes", 0}, {"1", "0", 1}, {"0", "0", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.value + "\"");
        SetInstall("RunRegistration", c.value);
        UiDriver ui;
        ui.When(2809).Click(kNextButton);
        Run(2809);
        EXPECT_EQ(c.left, Install("RunRegistration"));
        EXPECT_EQ(c.registrations, c.registrations ? Registrations(c.registrations) : Registrations());
    }
    EXPECT_EQ(1, RegistrationsAfterAWhile());
    std::vector<EditorSeen> seen = editors.Stop();
    EXPECT_EQ(5u, seen.size());
    for (const EditorSeen& editor : seen) EXPECT_TRUE(editor.closed) << editor.title;
}

TEST_P(SlowFinishTest, AnEditorLeftOpenHoldsTheWizardNoLongerThan30Seconds) {
    dir_.Write("summary.txt", "As the summary page left it.\r\n");
    SetInstall("RunRegistration", "1");
    EditorWatch editors(false);
    UiDriver ui(90000);
    ui.When(2809).Click(kNextButton);
    DWORD start = GetTickCount();
    Run(2809);
    DWORD elapsed = GetTickCount() - start;
    std::vector<EditorSeen> seen = editors.Stop();  // ends the editor
    ASSERT_EQ(1u, seen.size());
    EXPECT_TRUE(seen[0].windowFound);
    EXPECT_GE(elapsed, 29000u);
    EXPECT_LT(elapsed, 40000u);
    EXPECT_EQ(1, Registrations(1));  // and the wizard went on as usual
    EXPECT_TRUE(Saved());
}

INSTANTIATE_TEST_SUITE_P(Languages, SummaryFinishTest, ::testing::Values("ENU", "DEU"));
INSTANTIATE_TEST_SUITE_P(English, SlowFinishTest, ::testing::Values("ENU"));
