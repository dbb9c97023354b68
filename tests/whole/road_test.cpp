// One road through the wizard from start to finish on the demo product: Next
// on each page, with a name, a company and numbers typed where pages ask for
// them. Every page of the road must be passed.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

// Device 77 reports the device option; a dedicated line, no answering machine.
const std::vector<int> kWholeRoad = {2805, 2808, 2821, 2810, 2811, 2812, 2815, 2817, 2809};

bool JournalHas(const std::vector<std::string>& journal, const std::string& start,
                const std::string& piece) {
    for (const std::string& line : journal)
        if (line.compare(0, start.size(), start) == 0 && line.find(piece) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(Road, StartToFinish) {
    DemoOptions options;
    options.Registration = true;
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    EXPECT_EQ("1", demo.Setup("SetupRun"));

    wizdrive::RoadAnswers answers;
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));
    EXPECT_EQ(kWholeRoad, report.Pages);

    // The product INI.
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("1", demo.Setup("DedicatedLine"));
    EXPECT_EQ("0", demo.Setup("Modem"));
    std::vector<std::string> journal = demo.Journal(77);
    EXPECT_EQ(answers.UserName, demo.Setup("UserName"));
    EXPECT_EQ(answers.UserName, demo.Setup("TTIName"));
    EXPECT_EQ(answers.Company, demo.Setup("Company"));
    EXPECT_EQ(answers.UserName, DemoInstall::Registration(77, "UserName"));
    EXPECT_TRUE(JournalHas(journal, "object 32 ", "\"" + answers.UserName + "\""));
    EXPECT_EQ(answers.FaxNumber, demo.Setup("FaxNumber"));
    EXPECT_EQ(answers.FaxNumber, DemoInstall::Registration(77, "FaxNumber"));
    EXPECT_TRUE(JournalHas(journal, "object 31 ", "\"" + answers.FaxNumber + "\""));
    EXPECT_EQ(answers.VoiceNumber, demo.Setup("VoiceNumber"));

    // The registration INI.
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    EXPECT_EQ("1", DemoInstall::Registration(77, "DedicatedLine"));

    // The device received the settings once, at the end, and nothing failed.
    EXPECT_TRUE(JournalHas(journal, "object 48 ", "result 0"));  // rings to answer
    EXPECT_TRUE(JournalHas(journal, "object 46 ", "result 0"));  // auto answer
    for (const std::string& line : journal) EXPECT_NE(std::string::npos, line.find("result 0")) << line;
    EXPECT_EQ(1, std::count_if(journal.begin(), journal.end(), [](const std::string& line) {
                  return line.compare(0, 10, "object 48 ") == 0;
              }));

    // The summary is written when its page opens.
    std::string summary = wiztest::ReadFile(demo.SummaryFile());
    EXPECT_NE(std::string::npos, summary.find(answers.UserName));

    // The last page: the wizard is done, registration started once.
    EXPECT_EQ(1, report.EditorsClosed);
    EXPECT_EQ("0", demo.RegValue("Install", "RunSetupWizard"));
    EXPECT_EQ("0", demo.RegValue("Install", "RunRegistration"));
    EXPECT_EQ("wizard", demo.RegValue("Status", "By"));
    EXPECT_EQ(19u, demo.RegValue("Status", "Time").size());  // 2026-12-09T14:05:31
    // The registration program is started, not waited for: its log line may
    // come a moment after the wizard has ended.
    for (int i = 0; i < 100 && demo.RegistrationStarts() == 0; ++i) Sleep(100);
    EXPECT_EQ(1, demo.RegistrationStarts());
    EXPECT_TRUE(report.MessageTexts.empty());
    ExpectLetGoOfDeviceAndEvents(demo, wizard.Id(), 77);
}

// What other programs can do to a run: put line breaks into a field (any
// program can set a window's text) and post the start message again while a
// page is open (any program can find the main window by its title).
TEST(Road, OtherProgramsCannotBreakTheFilesOrRestartTheRun) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    demo.SetSetup("Company", "Old Company");

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    wizdrive::RoadAnswers answers;
    answers.Company = "X\rY=Z\n[Setup]";
    int activeAfterStart = -1;
    size_t dialogsAfterStart = 0;
    auto shown = [&](const std::string& name, HWND page) {
        if (name != "page2808") return;
        PostMessageA(wizard.MainWindow(), 2024, 0, 0);
        Sleep(500);
        HWND active = wizard.ActiveDialog();
        activeAfterStart = active ? wizdrive::TemplateIdOf(active) : 0;
        dialogsAfterStart = wizard.Dialogs().size();
    };
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report, 60000, shown));
    EXPECT_EQ(2808, activeAfterStart);
    EXPECT_EQ(1u, dialogsAfterStart);
    EXPECT_EQ(kWholeRoad, report.Pages);

    // What was typed after the start message was saved, and the files kept their shape.
    EXPECT_EQ(answers.UserName, demo.Setup("UserName"));
    EXPECT_EQ("X Y=Z [Setup]", demo.Setup("Company"));
    EXPECT_EQ("<none>", demo.Setup("Y"));
    std::vector<std::string> lines = Lines(demo.ProductIniText());
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "[Setup]"));
    EXPECT_EQ(answers.UserName, DemoInstall::Registration(77, "UserName"));
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    EXPECT_EQ("0", demo.Setup("SetupRun"));
}
