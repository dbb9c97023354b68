// Every road through the wizard, end to end, with all twelve real pages from
// the real resource modules: a simulated device of the test's own (with or
// without the device option), the demo product's summary template, the
// editor closed by the test. At the end of each road the saved settings, the
// device journal, summary.txt and the rings and auto-answer settings must
// follow what the user typed and chose.
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/pages/editor_watch.h"
#include "tests/pages/road_fixture.h"

using namespace roadtest;
using wiztest::UiDriver;

namespace {

// Pages.
const int kWelcome = IDD_WELCOME, kName = IDD_NAME_COMPANY, kOption = IDD_DEVICE_OPTION,
          kLine = IDD_DEDICATED_LINE, kFax = IDD_FAX_NUMBER, kVoice = IDD_VOICE_NUMBER,
          kSame = IDD_SAME_NUMBER, kShared = IDD_SHARED_NUMBER, kMachine = IDD_ANSWERING_MACHINE,
          kModem = IDD_MODEM, kSummary = IDD_SUMMARY, kFinish = IDD_FINISH;
const int kNext = IDC_NEXT, kBack = IDC_BACK;

// The device's rings, told apart: without and with an answering machine.
const long kDefaultRings = 3, kMachineRings = 6;

// What the road leaves in the settings.
struct Stored {
    const char* name;
    const char* company;
    const char* fax;
    const char* voice;
    int dedicated, distinctive, tam, modem, option;
};

struct Road {
    const char* title;
    bool device;     // a simulated device is connected
    bool option;     // it reports the device option (information item 17)
    long optionWas;  // its object 45 before the run
    long ringCode;   // its object 51 (7: no distinctive ring)
    const char* ini; // product INI "Setup" before the run
    void (*drive)(UiDriver& ui);
    Stored stored;
    int variant;  // summary section left in summary.txt; 0: the summary never opened
    int autoAnswer;
    long rings;
};

// The product INI's names before every road, unless a road says otherwise.
#define LOADED "TTIName=Loaded Name\r\nCompany=Loaded Company\r\n"

// Checks, as a step of the user's: the radio button shown picked, and a
// field's text.
std::function<void(HWND)> Picked(int checked, int unchecked) {
    return [=](HWND page) {
        EXPECT_TRUE(Checked(page, checked)) << "page " << UiDriver::TemplateIdOf(page);
        EXPECT_FALSE(Checked(page, unchecked)) << "page " << UiDriver::TemplateIdOf(page);
    };
}

std::function<void(HWND)> Shows(int id, std::string text) {
    return [=](HWND page) {
        EXPECT_EQ(text, Text(page, id)) << "page " << UiDriver::TemplateIdOf(page);
    };
}

const Road kRoads[] = {
    {"DedicatedLineWithTheOption", true, true, 1, 7, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName)
             .SetText(IDC_USER_NAME, "  Ann Example  ")
             .SetText(IDC_COMPANY, "\tExample Ltd ")
             .Click(kNext);
         ui.When(kOption)
             .Do(Picked(IDC_OPTION_NO, IDC_OPTION_YES))
             .Check(IDC_OPTION_YES)
             .Click(kBack);
         ui.When(kName).Do(Shows(IDC_USER_NAME, "Ann Example")).Click(kNext);
         ui.When(kOption).Do(Picked(IDC_OPTION_YES, IDC_OPTION_NO)).Click(kNext);
         ui.When(kLine).Click(kBack);
         ui.When(kOption).Click(kNext);
         ui.When(kLine).Check(IDC_LINE_DEDICATED).Click(kNext);
         ui.When(kFax).SetText(IDC_FAX_NUMBER, " 030 1234567 ").Click(kNext);
         ui.When(kVoice).SetText(IDC_VOICE_NUMBER, "030 7654321").Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_NO).Click(kBack);
         ui.When(kVoice).Click(kBack);
         ui.When(kFax).Click(kBack);  // numbers differ: the line question
         ui.When(kLine).Do(Picked(IDC_LINE_DEDICATED, IDC_LINE_SHARED)).Click(kNext);
         ui.When(kFax).Do(Shows(IDC_FAX_NUMBER, "030 1234567")).Click(kNext);
         ui.When(kVoice).Click(kNext);
         ui.When(kModem).Do(Picked(IDC_MODEM_NO, IDC_MODEM_YES))
             .Check(IDC_MODEM_YES)
             .Click(kNext);
         ui.When(kSummary).Click(kBack);
         ui.When(kModem).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kBack);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Ann Example", "Example Ltd", "030 1234567", "030 7654321", 1, 0, 0, 1, 1}, 3, 1,
     kDefaultRings},

    {"DedicatedLineWithoutTheOption", true, false, 2, 7,
     LOADED "DedicatedLine=0\r\nTAM=1\r\nFaxNumber=111\r\n",
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kBack);
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);  // past the option page
         ui.When(kLine).Do(Picked(IDC_LINE_SHARED, IDC_LINE_DEDICATED)).Click(kBack);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Check(IDC_LINE_DEDICATED).Click(kNext);
         ui.When(kFax).Do(Shows(IDC_FAX_NUMBER, "111"))
             .SetText(IDC_FAX_NUMBER, "0171 5550100")
             .Click(kNext);
         // Loaded as a shared line without distinctive ring: the fax number.
         ui.When(kVoice).Do(Shows(IDC_VOICE_NUMBER, "111"))
             .SetText(IDC_VOICE_NUMBER, "  ")
             .Click(kNext);  // an empty voice number is never the same number
         ui.When(kModem).Check(IDC_MODEM_NO).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "0171 5550100", "", 1, 0, 1, 0, 0}, 4, 1, kDefaultRings},

    {"SharedLineWithAnAnsweringMachine", true, false, 1, 7, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Check(IDC_LINE_SHARED).Click(kNext);
         ui.When(kShared).SetText(IDC_SHARED_NUMBER, " 089 4711 ").Click(kNext);
         ui.When(kMachine).Check(IDC_TAM_YES).Click(kBack);
         ui.When(kShared).Click(kBack);
         ui.When(kLine).Do(Picked(IDC_LINE_SHARED, IDC_LINE_DEDICATED)).Click(kNext);
         ui.When(kShared).Do(Shows(IDC_SHARED_NUMBER, "089 4711")).Click(kNext);
         ui.When(kMachine).Do(Picked(IDC_TAM_YES, IDC_TAM_NO)).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_YES).Click(kBack);  // shared, no distinctive ring
         ui.When(kMachine).Click(kNext);
         ui.When(kModem).Do(Picked(IDC_MODEM_YES, IDC_MODEM_NO)).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "089 4711", "089 4711", 0, 0, 1, 1, 0}, 5, 1,
     kMachineRings},

    {"SharedLineWithAModemOnly", true, true, 2, 7, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kOption)
             .Do(Picked(IDC_OPTION_YES, IDC_OPTION_NO))
             .Check(IDC_OPTION_NO)
             .Click(kNext);
         ui.When(kLine).Check(IDC_LINE_SHARED).Click(kNext);
         ui.When(kShared).SetText(IDC_SHARED_NUMBER, "555 0100").Click(kNext);
         ui.When(kMachine).Check(IDC_TAM_NO).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_YES).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "555 0100", "555 0100", 0, 0, 0, 1, 0}, 7, 0,
     kDefaultRings},

    // Distinctive ring on a shared line: the modem page leads back to the
    // voice number, which now equals the fax number.
    {"SharedLineWithDistinctiveRing", true, false, 1, 2, LOADED "DedicatedLine=0\r\n",
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Click(kNext);
         ui.When(kShared).SetText(IDC_SHARED_NUMBER, "040 123 456").Click(kNext);
         ui.When(kMachine).Click(kNext);
         ui.When(kModem).Click(kBack);
         ui.When(kVoice).Do(Shows(IDC_VOICE_NUMBER, "040 123 456")).Click(kNext);
         ui.When(kSame).Do(Picked(IDC_SAME_SHARED, IDC_SAME_DEDICATED)).Click(kNext);
         ui.When(kShared)
             .Do([](HWND h) {
                 EXPECT_STREQ("", FaxSettings.VoiceNumber);
                 Shows(IDC_SHARED_NUMBER, "040 123 456")(h);
             })
             .Click(kNext);
         ui.When(kMachine).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_NO).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "040 123 456", "040 123 456", 0, 1, 0, 0, 0}, 2, 1,
     kDefaultRings},

    // The same digits after the voice number: answered "dedicated" (both
    // numbers kept, the fax page again), then from the fax page's Back
    // answered "shared".
    {"SameNumberFromTheVoicePage", true, false, 1, 7, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Click(kNext);
         ui.When(kFax).SetText(IDC_FAX_NUMBER, "030 123-4567").Click(kNext);
         ui.When(kVoice).SetText(IDC_VOICE_NUMBER, " (030) 1234567 ").Click(kNext);
         ui.When(kSame)
             .Do([](HWND h) {
                 Picked(IDC_SAME_DEDICATED, IDC_SAME_SHARED)(h);
                 SendMessageA(h, WM_COMMAND, kBack, 0);  // no way back from here
                 EXPECT_TRUE(IsWindowVisible(h));
             })
             .Click(kNext);
         ui.When(kFax).Do(Shows(IDC_FAX_NUMBER, "030 123-4567")).Click(kBack);
         ui.When(kSame).Check(IDC_SAME_SHARED).Click(kNext);
         ui.When(kShared)
             .Do([](HWND h) {
                 EXPECT_STREQ("", FaxSettings.VoiceNumber);
                 Shows(IDC_SHARED_NUMBER, "030 123-4567")(h);
             })
             .Click(kBack);
         // The line question shows the answer given on page 2818.
         ui.When(kLine).Do(Picked(IDC_LINE_SHARED, IDC_LINE_DEDICATED)).Click(kNext);
         ui.When(kShared).Click(kNext);
         ui.When(kMachine).Check(IDC_TAM_YES).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_NO).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "030 123-4567", "030 123-4567", 0, 0, 1, 0, 0}, 6, 1,
     kMachineRings},

    {"SameNumberFromTheFaxPageBack", true, false, 1, 7, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Click(kNext);
         ui.When(kFax).SetText(IDC_FAX_NUMBER, "0221 998877").Click(kNext);
         ui.When(kVoice).SetText(IDC_VOICE_NUMBER, "0221-99 88 77").Click(kBack);
         ui.When(kFax).Click(kBack);
         ui.When(kSame).Check(IDC_SAME_DEDICATED).Click(kNext);
         ui.When(kFax).SetText(IDC_FAX_NUMBER, "0221 998866").Click(kBack);
         ui.When(kLine).Check(IDC_LINE_SHARED).Click(kNext);
         ui.When(kShared).Do(Shows(IDC_SHARED_NUMBER, "0221 998866")).Click(kNext);
         ui.When(kMachine).Check(IDC_TAM_NO).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_NO).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "0221 998866", "0221 998866", 0, 0, 0, 0, 0}, 8, 0,
     kDefaultRings},

    // Back on the first page ends the run, and the settings are saved.
    {"BackFromTheWelcomePage", true, true, 2, 7, LOADED "FaxNumber=0800 1\r\n",
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).SetText(IDC_USER_NAME, "Bo").SetText(IDC_COMPANY, "   ").Click(kBack);
         // The template leaves Back disabled on the first page; offered, it
         // ends the run.
         ui.When(kWelcome)
             .Do([](HWND h) { EnableWindow(GetDlgItem(h, kBack), TRUE); })
             .Click(kBack);
     },
     {"Bo", "", "0800 1", "", 1, 0, 0, 0, 1}, 0, 1, 1},

    // Without a device the line counts as distinctive ring and nobody
    // tells the rings.
    {"NoDeviceConnection", false, false, 0, 0, LOADED,
     [](UiDriver& ui) {
         ui.When(kWelcome).Click(kNext);
         ui.When(kName).Click(kNext);
         ui.When(kLine).Click(kNext);
         ui.When(kFax).SetText(IDC_FAX_NUMBER, "06221 12345").Click(kNext);
         ui.When(kVoice).Click(kNext);
         ui.When(kModem).Check(IDC_MODEM_YES).Click(kBack);
         ui.When(kVoice).Click(kNext);
         ui.When(kModem).Click(kNext);
         ui.When(kSummary).Click(kNext);
         ui.When(kFinish).Click(kNext);
     },
     {"Loaded Name", "Loaded Company", "06221 12345", "", 1, 1, 0, 1, 0}, 1, 1, 0},
};

const Road& RoadNamed(const std::string& title) {
    for (const Road& road : kRoads)
        if (title == road.title) return road;
    ADD_FAILURE() << "no road " << title;
    return kRoads[0];
}

struct RoadRun {
    const Road* road;
    const char* language;
};

std::vector<RoadRun> AllRoadRuns() {
    std::vector<RoadRun> runs;
    for (const Road& road : kRoads) runs.push_back({&road, "ENU"});
    runs.push_back({&RoadNamed("DedicatedLineWithTheOption"), "DEU"});
    runs.push_back({&RoadNamed("SharedLineWithAModemOnly"), "DEU"});
    return runs;
}

std::string Lower(std::string text) {
    for (char& c : text) c = (char)tolower((unsigned char)c);
    return text;
}

// One line of the summary template as the report is to show it: blanks in
// front dropped, "\x" gives x, a comma ends the text, %name% is the value.
// A line showing the date or time is known only up to its first macro.
struct ReportLine {
    std::string text;
    bool prefixOnly = false;
};

ReportLine Fill(const std::string& line, const std::map<std::string, std::string>& values) {
    ReportLine out;
    size_t i = line.find_first_not_of(" \t");
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\') {
            if (++i < line.size()) out.text += line[i];
        } else if (c == ',') {
            break;
        } else if (c == '%') {
            size_t end = line.find('%', i + 1);
            std::string name = Lower(line.substr(i + 1, end - i - 1));
            if (name == "date" || name == "time") {
                out.prefixOnly = true;
                break;
            }
            auto found = values.find(name);
            out.text += found == values.end() ? "<unknown macro " + name + ">" : found->second;
            i = end;
        } else {
            out.text += c;
        }
    }
    return out;
}

std::vector<ReportLine> TemplateSection(const std::string& file, const std::string& section,
                                        const std::map<std::string, std::string>& values) {
    std::vector<ReportLine> lines;
    for (int n = 1;; ++n) {
        char value[512] = "";
        GetPrivateProfileStringA(section.c_str(), std::to_string(n).c_str(), "", value,
                                 sizeof value, file.c_str());
        if (!value[0] || Lower(value) == "eos") return lines;
        lines.push_back(Fill(value, values));
    }
}

std::string Quoted(const char* text) { return std::string("\"") + text + "\""; }

class Roads : public RoadFixture, public ::testing::WithParamInterface<RoadRun> {
protected:
    void SetUp() override {
        Start(GetParam().language);
        AllRealPages();
        OwnInstallMarks();
        SetInstall("RunSetupWizard", "1");
        // As constructed: a road that never opens the summary saves these.
        FaxSettings.RingsToAnswer = 1;
        FaxSettings.AutoAnswer = 1;
        ASSERT_TRUE(CopyFileA((wiztest::SourceDir() + "\\product\\summary.ini").c_str(),
                              dir_.File("summary.ini").c_str(), FALSE));
    }

    std::string ModuleString(UINT id) {
        char text[256] = "";
        LoadStringA(module_, id, text, sizeof text);
        return text;
    }

    void ExpectReport(const Road& road) {
        const Stored& s = road.stored;
        std::string notSet = ModuleString(IDS_NOT_SET);
        ASSERT_FALSE(notSet.empty());
        auto orNotSet = [&](const std::string& v) { return v.empty() ? notSet : v; };
        static const std::map<long, UINT> ringNames = {
            {1, IDS_RING_SINGLE}, {2, IDS_RING_DOUBLE}, {4, IDS_RING_TRIPLE},
            {6, IDS_RING_DOUBLE_TRIPLE}};
        // Without a device the pattern index stays as the run began: 0, code 1.
        auto ringName = ringNames.find(road.device ? road.ringCode : 1);
        std::map<std::string, std::string> values = {
            {"name", orNotSet(s.name)},
            {"company", orNotSet(s.company)},
            {"faxnum", orNotSet(s.fax)},
            {"voicenum", orNotSet(s.voice)},
            {"rings_to_answer", road.rings ? std::to_string(road.rings) : notSet},
            {"distinct_type",
             ringName == ringNames.end() ? "MACRO_ERROR" : ModuleString(ringName->second)},
            {"blank_line", " "},
        };
        std::string ini = dir_.File("summary.ini");
        std::vector<ReportLine> expected = TemplateSection(ini, "common", values);
        std::vector<ReportLine> variant =
            TemplateSection(ini, "summary" + std::to_string(road.variant), values);
        ASSERT_FALSE(variant.empty());
        expected.insert(expected.end(), variant.begin(), variant.end());

        std::vector<std::string> report = SplitLines(wiztest::ReadFile(dir_.File("summary.txt")));
        ASSERT_EQ(expected.size(), report.size()) << wiztest::ReadFile(dir_.File("summary.txt"));
        for (size_t i = 0; i < expected.size(); ++i) {
            if (expected[i].prefixOnly)
                EXPECT_EQ(expected[i].text, report[i].substr(0, expected[i].text.size()));
            else
                EXPECT_EQ(expected[i].text, report[i]) << "line " << i + 1;
            EXPECT_EQ(std::string::npos, report[i].find("MACRO_ERROR")) << report[i];
        }
    }
};

}  // namespace

TEST_P(Roads, StoreWhatWasTypedAndChosen) {
    const Road& road = *GetParam().road;
    const Stored& s = road.stored;
    Ini(road.ini);
    SimDevice* device = nullptr;
    if (road.device) {
        device = &ConnectDevice();
        device->Modify([&](devsim::DeviceState& state) {
            state.info[17] = road.option ? 1 : 0;
            state.params[15] = kDefaultRings;
            state.params[16] = kMachineRings;
        });
        device->SetInt(45, road.optionWas);
        device->SetInt(51, road.ringCode);
    }

    wiztest::EditorWatch editors;
    {
        UiDriver ui;
        road.drive(ui);
        Run();
        EXPECT_FALSE(ui.Failed()) << ui.Log();
    }
    std::vector<wiztest::EditorSeen> seen = editors.Stop();
    EXPECT_EQ(0, WizardCancelled);

    // The product INI, section "Setup".
    EXPECT_EQ(s.name, Prod("UserName"));
    EXPECT_EQ(s.name, Prod("TTIName"));
    EXPECT_EQ(s.company, Prod("Company"));
    EXPECT_EQ(std::to_string(s.dedicated), Prod("DedicatedLine"));
    EXPECT_EQ(std::to_string(s.distinctive), Prod("DistinctiveRing"));
    EXPECT_EQ(std::to_string(s.tam), Prod("TAM"));
    EXPECT_EQ(std::to_string(s.modem), Prod("Modem"));
    EXPECT_EQ(s.fax, Prod("FaxNumber"));
    EXPECT_EQ(s.fax, Prod("TTIFaxNumber"));
    EXPECT_EQ(s.voice, Prod("VoiceNumber"));
    // The registration INI, section "Device: <id>".
    EXPECT_EQ(s.name, Reg("UserName"));
    EXPECT_EQ(std::to_string(s.dedicated), Reg("DedicatedLine"));
    EXPECT_EQ(std::to_string(s.distinctive), Reg("DistinctiveRing"));
    EXPECT_EQ(std::to_string(s.tam), Reg("TAM"));
    EXPECT_EQ(std::to_string(s.modem), Reg("Modem"));
    EXPECT_EQ(s.fax, Reg("FaxNumber"));
    EXPECT_EQ("A.06.02.03", Reg("SoftwareVersion"));
    EXPECT_EQ("<none>", Reg("VoiceNumber"));

    // Rings and auto-answer follow the line; the device gets them at the end.
    EXPECT_EQ(road.rings, FaxSettings.RingsToAnswer);
    EXPECT_EQ(road.autoAnswer, FaxSettings.AutoAnswer);
    std::vector<std::string> journal;
    if (road.device)
        journal = {
            "object 48 type 2 length 4 value " + std::to_string(road.rings) + " result 0",
            std::string("object 46 type 1 length 2 value ") + (road.autoAnswer ? "2" : "1") +
                " result 0",
            "object 31 type 4 length " + std::to_string(strlen(s.fax)) + " value " +
                Quoted(s.fax) + " result 0",
            "object 32 type 4 length " + std::to_string(strlen(s.name)) + " value " +
                Quoted(s.name) + " result 0",
            "object 51 type 8 length 4 value " + std::to_string(road.ringCode) + " result 0",
            std::string("object 45 type 1 length 2 value ") + (s.option ? "2" : "1") +
                " result 0",
        };
    EXPECT_EQ(journal, Journal());

    // The report of the last opening of the summary page, and the editor
    // that showed it when the road ended on the finish page.
    bool finished = road.variant != 0;
    if (finished) {
        ExpectReport(road);
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("notepad.exe " + dir_.path() + "\\summary.txt", seen[0].commandLine);
        EXPECT_TRUE(seen[0].closed);
    } else {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir_.File("summary.txt").c_str()));
        EXPECT_TRUE(seen.empty());
    }
    EXPECT_EQ(finished ? "0" : "1", Install("RunSetupWizard"));
    EXPECT_EQ("<none>", Install("RunRegistration"));
}

INSTANTIATE_TEST_SUITE_P(Pages, Roads, ::testing::ValuesIn(AllRoadRuns()),
                         [](const ::testing::TestParamInfo<RoadRun>& info) {
                             return std::string(info.param.road->title) + "_" +
                                    info.param.language;
                         });
