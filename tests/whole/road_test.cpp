// One road through the wizard from start to finish on the demo product, over
// whatever pages the program has: Next on each page, with a name, a company
// and numbers typed where pages ask for them. The checks follow the pages the
// road passed.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

bool Passed(const wizdrive::RoadReport& report, int pageId) {
    return std::find(report.Pages.begin(), report.Pages.end(), pageId) != report.Pages.end();
}

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
    wizdrive::RoadReport report = wizdrive::WalkRoad(wizard, answers, 120000);
    ASSERT_EQ("", report.Failure);
    ASSERT_TRUE(report.Ended);
    EXPECT_EQ(0u, wizard.ExitCode());
    std::string road;
    for (int id : report.Pages) road += " " + std::to_string(id);
    printf("The road passed the pages%s.\n", road.c_str());
    ASSERT_FALSE(report.Pages.empty());
    EXPECT_EQ(2805, report.Pages.front());

    // The product INI.
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("1", demo.Setup("DedicatedLine"));
    EXPECT_EQ("0", demo.Setup("Modem"));
    std::vector<std::string> journal = demo.Journal(77);
    if (Passed(report, 2808)) {
        EXPECT_EQ(answers.UserName, demo.Setup("UserName"));
        EXPECT_EQ(answers.UserName, demo.Setup("TTIName"));
        EXPECT_EQ(answers.Company, demo.Setup("Company"));
        EXPECT_EQ(answers.UserName, DemoInstall::Registration(77, "UserName"));
        EXPECT_TRUE(JournalHas(journal, "object 32 ", "\"" + answers.UserName + "\""));
    } else {
        EXPECT_NE("<none>", demo.Setup("UserName"));
    }
    if (Passed(report, 2811)) {
        EXPECT_EQ(answers.FaxNumber, demo.Setup("FaxNumber"));
        EXPECT_EQ(answers.FaxNumber, DemoInstall::Registration(77, "FaxNumber"));
        EXPECT_TRUE(JournalHas(journal, "object 31 ", "\"" + answers.FaxNumber + "\""));
    }
    if (Passed(report, 2812)) {
        EXPECT_EQ(answers.VoiceNumber, demo.Setup("VoiceNumber"));
    }

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
    if (Passed(report, 2817)) {
        std::string summary = wiztest::ReadFile(demo.SummaryFile());
        EXPECT_FALSE(summary.empty());
        if (Passed(report, 2808)) {
            EXPECT_NE(std::string::npos, summary.find(answers.UserName));
        }
    }

    // The last page: the wizard is done, registration started once.
    if (Passed(report, 2809)) {
        EXPECT_EQ(1, report.EditorsClosed);
        EXPECT_EQ("0", demo.RegValue("Install", "RunSetupWizard"));
        EXPECT_EQ("0", demo.RegValue("Install", "RunRegistration"));
        EXPECT_EQ(1, demo.RegistrationStarts());
    } else {
        EXPECT_EQ("1", demo.RegValue("Install", "RunSetupWizard"));
        EXPECT_EQ("1", demo.RegValue("Install", "RunRegistration"));
        EXPECT_EQ(0, demo.RegistrationStarts());
    }
    EXPECT_TRUE(report.MessageTexts.empty());
}
