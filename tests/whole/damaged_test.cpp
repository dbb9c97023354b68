// The whole program over damaged files and killed half-way: it ends
// normally, its pages show where the product still names them, and nothing
// stored before is lost.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/messages.h"
#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

std::string Garbage(unsigned seed, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        char c = (char)((seed = seed * 1103515245 + 12345) >> 16);
        text += c == '[' ? ' ' : c;  // no section header of its own
    }
    return text;
}

// Walks the road to its end over the summary template text: the summary page
// shows, the program ends by itself, and summary.txt is whole lines of at
// most 253 characters. The report comes back in *report.
void WalkOverSummaryTemplate(const DemoInstall& demo, const std::string& text,
                             std::string* report) {
    ASSERT_TRUE(wiztest::WriteFile(demo.DataDir() + "\\summary.ini", text));
    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    wizdrive::RoadReport road;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, wizdrive::RoadAnswers(), &road));
    EXPECT_NE(road.Pages.end(), std::find(road.Pages.begin(), road.Pages.end(), 2817));
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    *report = wiztest::ReadFile(demo.SummaryFile());
    size_t pos = 0, eol;
    while ((eol = report->find("\r\n", pos)) != std::string::npos) {
        EXPECT_LE(eol - pos, 253u);
        pos = eol + 2;
    }
    EXPECT_EQ(report->size(), pos) << "the report does not end with a whole line";
}

}  // namespace

// The real template with a line of 10,000 characters, cut off in the middle
// of a line of the section this road reads, without a final line end.
TEST(Damaged, SummaryTemplateCutShortWithALongLine) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    std::string text = wiztest::ReadFile(demo.DataDir() + "\\summary.ini");
    size_t at = text.find("7=Fax header");
    size_t cut = text.find("after %rings_to_answer%", text.find("[summary4]"));
    ASSERT_NE(std::string::npos, at);
    ASSERT_NE(std::string::npos, cut);
    text = text.substr(0, at) + "7=" + std::string(10000, 'W') + text.substr(at + 12, cut - at - 12);
    std::string report;
    WalkOverSummaryTemplate(demo, text, &report);
    if (HasFatalFailure()) return;
    EXPECT_EQ(0u, report.find("Fax Setup Summary\r\n"));
    EXPECT_NE(std::string::npos, report.find("\r\n" + std::string(253, 'W') + "\r\n"));
    EXPECT_NE(std::string::npos, report.find(wizdrive::RoadAnswers().FaxNumber));
    const std::string last = "It answers every call\r\n";
    ASSERT_GE(report.size(), last.size());
    EXPECT_EQ(last, report.substr(report.size() - last.size()));
}

// Binary garbage where the section of this road should be: the report is the
// common section and nothing of the garbage.
TEST(Damaged, SummaryTemplateWithGarbageForASection) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    std::string text = wiztest::ReadFile(demo.DataDir() + "\\summary.ini");
    size_t end = text.find("[summary1]");
    ASSERT_NE(std::string::npos, end);
    std::string garbage = Garbage(5, 4096);
    garbage[100] = '\0';
    std::string report;
    WalkOverSummaryTemplate(demo, text.substr(0, end) + "[summary4]\r\n" + garbage, &report);
    if (HasFatalFailure()) return;
    EXPECT_EQ(0u, report.find("Fax Setup Summary\r\n"));
    const std::string last = "\r\nPhone line\r\n";
    ASSERT_GE(report.size(), last.size());
    EXPECT_EQ(last, report.substr(report.size() - last.size()));
    for (char c : report) EXPECT_TRUE(c == '\r' || c == '\n' || (unsigned char)c >= 0x20);
}

TEST(Damaged, ProductInformationFileWithLongLinesAndARingOfReferences) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    std::string path = demo.ProgramDir() + "\\prodinfo.ini";
    std::string text = wiztest::ReadFile(path);
    std::string ring = "[Globals]\r\n";
    for (int i = 0; i < 10; ++i)
        ring += "R" + std::to_string(i) + "=$R" + std::to_string((i + 1) % 10) + "$\r\n";
    text = "[Junk]\r\nLong=" + std::string(10000, 'L') + "\r\n" + text + "\r\n" + ring +
           Garbage(1, 2000);
    ASSERT_TRUE(wiztest::WriteFile(path, text));

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    FinishFromWelcome(wizard);
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
}

// Garbage names no language files: the person is told so, and the program
// ends without a page, leaving the stored settings alone.
TEST(Damaged, ProductInformationFileOfGarbageEndsWithItsMessage) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    ASSERT_TRUE(wiztest::WriteFile(demo.ProgramDir() + "\\prodinfo.ini", Garbage(2, 4096)));
    demo.SetSetup("UserName", "Stored Name");

    wizdrive::Program wizard;
    ASSERT_TRUE(wizard.Start(demo.Program()));
    HWND box = wizard.WaitForActive(0, kDialogTimeoutMs);
    ASSERT_NE(nullptr, box) << "no message for the missing language files";
    for (HWND dialog : wizard.Dialogs()) EXPECT_EQ(0, wizdrive::TemplateIdOf(dialog));
    ASSERT_TRUE(wizdrive::Click(box, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the program did not end";
    EXPECT_EQ((DWORD)EXIT_NO_LANGUAGE_FILES, wizard.ExitCode());
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ("Stored Name", demo.Setup("UserName"));
}

TEST(Damaged, ProductIniAndDeviceStateOfGarbage) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    ASSERT_TRUE(wiztest::WriteFile(demo.ProductIni(), "[Other]\r\nKeep=stored before\r\n" +
                                                          Garbage(3, 3000) + "\r\n"));
    // The demo's devices live in a folder that this process names too.
    std::string state = devsim::StatePath(77);
    std::string damage = Garbage(4, 3000);
    ASSERT_TRUE(wiztest::WriteFile(state, damage));

    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    FinishFromWelcome(wizard);
    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_NE("<none>", demo.Setup("UserName"));
    char kept[64] = "";
    GetPrivateProfileStringA("Other", "Keep", "", kept, sizeof kept, demo.ProductIni().c_str());
    EXPECT_STREQ("stored before", kept);
    // The device was refused: nothing reached it and its file is as it was.
    EXPECT_TRUE(demo.Journal(77).empty());
    EXPECT_EQ(damage, wiztest::ReadFile(state));
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
}

// The device stops taking writes half-way through the save: the INI files are
// written all the same, the journal shows which objects arrived, and the
// summary reports only what the device answered when it was read.
TEST(Damaged, DeviceFailingHalfWayThroughTheSave) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    demo.ChangeDevice(77, [](devsim::DeviceState& s) { s.failFromWrite = 3; });
    wizdrive::Program wizard;
    ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
    wizdrive::RoadAnswers answers;
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));

    EXPECT_EQ("0", demo.Setup("SetupRun"));
    EXPECT_EQ(answers.UserName, demo.Setup("UserName"));
    EXPECT_EQ(answers.FaxNumber, demo.Setup("FaxNumber"));
    EXPECT_EQ(answers.FaxNumber, DemoInstall::Registration(77, "FaxNumber"));
    std::vector<std::string> journal = demo.Journal(77);
    ASSERT_EQ(6u, journal.size());
    for (size_t i = 0; i < journal.size(); ++i) {
        bool arrived = journal[i].find(" result 0") != std::string::npos;
        EXPECT_EQ(i < 2, arrived) << journal[i];
    }
    EXPECT_EQ(0u, journal[0].find("object 48"));
    EXPECT_EQ(0u, journal[1].find("object 46"));
    devsim::DeviceState state = demo.Device(77);
    EXPECT_EQ("", state.objects[31].bytes);  // the fax number never arrived
    EXPECT_EQ("", state.objects[32].bytes);
    // Rings to answer come from the device's parameter 15 (2), read before the save.
    std::string summary = wiztest::ReadFile(demo.SummaryFile());
    EXPECT_NE(std::string::npos, summary.find(answers.FaxNumber));
    EXPECT_NE(std::string::npos, summary.find("after 2 rings"));
}

// A product INI that another program holds open without sharing: the
// wizard still runs and finishes, saves everywhere else, and the file is
// exactly as it was.
TEST(Damaged, ProductIniThatCannotBeWritten) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    demo.SetSetup("UserName", "Stored Name");
    std::string before = demo.ProductIniText();
    HANDLE held = CreateFileA(demo.ProductIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    wizdrive::Program wizard;
    HWND welcome = StartAtWelcome(wizard, demo);
    if (welcome) FinishFromWelcome(wizard);
    CloseHandle(held);
    ASSERT_NE(nullptr, welcome);
    EXPECT_EQ(before, demo.ProductIniText());
    EXPECT_EQ("A.06.02.03", DemoInstall::Registration(77, "SoftwareVersion"));
    EXPECT_EQ(6u, demo.Journal(77).size());
}

// The program killed on each page of the road in turn: the next start runs
// normally and ends with "SetupRun" at 0, and what was stored before the
// killed run is still there.
TEST(Damaged, KilledOnEveryPage) {
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    // Stored as a finished run stores them (the name is read back from "TTIName").
    demo.SetSetup("UserName", "Stored Name");
    demo.SetSetup("TTIName", "Stored Name");
    demo.SetSetup("Company", "Stored Company");
    demo.SetSetup("FaxNumber", "555 0001");
    wizdrive::RoadAnswers answers;
    std::vector<int> killed;
    for (int kill = 0;; ++kill) {
        SCOPED_TRACE("killed on page " + std::to_string(kill + 1) + " of the road");
        wizdrive::Program wizard;
        ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
        int shown = 0;
        int killedOn = 0;
        wizdrive::RoadReport report =
            wizdrive::WalkRoad(wizard, answers, 60000, [&](const std::string& name, HWND window) {
                if (name.compare(0, 4, "page") != 0 || shown++ != kill) return;
                killedOn = wizdrive::TemplateIdOf(window);
                wizard.Kill();
            });
        if (!killedOn) {
            // The road is walked to its end: every page has had its kill.
            ASSERT_TRUE(report.Ended) << report.Failure;
            break;
        }
        killed.push_back(killedOn);
        ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs));
        // Killed: the flag stays at 1, nothing was saved or sent.
        EXPECT_EQ("1", demo.Setup("SetupRun")) << "page " << killedOn;
        EXPECT_EQ("Stored Name", demo.Setup("UserName"));
        EXPECT_EQ("Stored Company", demo.Setup("Company"));
        EXPECT_EQ("555 0001", demo.Setup("FaxNumber"));
        EXPECT_TRUE(demo.Journal(77).empty());

        wizdrive::Program next;
        ASSERT_NE(nullptr, StartAtWelcome(next, demo)) << "after a kill on page " << killedOn;
        FinishFromWelcome(next);
        EXPECT_EQ("0", demo.Setup("SetupRun"));
        EXPECT_EQ("Stored Name", demo.Setup("UserName"));
        EXPECT_EQ("Stored Company", demo.Setup("Company"));
        EXPECT_EQ("555 0001", demo.Setup("FaxNumber"));
        demo.SeedDevices();  // journals empty again
    }
    // From the welcome page to the finish page.
    ASSERT_GT(killed.size(), 5u);
    EXPECT_EQ(2805, killed.front());
    EXPECT_EQ(2809, killed.back());
}
