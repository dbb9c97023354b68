// The road through the answers without any page: answers in, the settings,
// rings and auto-answer, the summary and what the end stores out. One case
// per rule.
#include <gtest/gtest.h>

#include <string>

#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "road/road.h"
#include "tests/common/config_support.h"
#include "tests/settings/settings_record.h"
#include "tests/settings/sim_device.h"

using wiztest::TempDir;

namespace {

// The device's rings, told apart: without and with an answering machine.
const long kDefaultRings = 3, kMachineRings = 6;
// The names as loaded.
const char kName[] = "Loaded Name", kCompany[] = "Loaded Company";

class RoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The install marks live in a registry tree of this test.
        dir_.Write("prodinfo.ini", tree_.Section());
        ReadRegistryBases(dir_.File("prodinfo.ini").c_str(), "Registry Paths");
        EnsureRegistryPaths();
        Loaded();
    }
    // As loaded: a dedicated line with two numbers and an answering machine;
    // the device stays connected.
    void Loaded() {
        long client = FaxSettings.DeviceClient, channel = FaxSettings.ObjectChannel;
        settingstest::ResetRecord(dir_, device_.id());
        FaxSettings.DeviceClient = client;
        FaxSettings.ObjectChannel = channel;
        FaxSettings.UserName = kName;
        FaxSettings.Company = kCompany;
        FaxSettings.FaxNumber = "111";
        FaxSettings.VoiceNumber = "222";
        FaxSettings.TAM = 1;
    }
    void TearDown() override {
        FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0;
        ResetRegistryPaths();
    }
    void Connect() {
        device_.Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel);
        device_.Modify([](devsim::DeviceState& s) {
            s.params[15] = kDefaultRings;
            s.params[16] = kMachineRings;
        });
    }

    wiztest::OwnRegistryTree tree_;
    SimDevice device_{-43};
    TempDir dir_;
};

// What the record holds after an answer.
struct Held {
    const char* name;
    const char* company;
    const char* fax;
    const char* voice;
    long dedicated;
};

void ExpectHeld(const Held& held, const char* rule) {
    SCOPED_TRACE(rule);
    EXPECT_STREQ(held.name, FaxSettings.UserName);
    EXPECT_STREQ(held.company, FaxSettings.Company);
    EXPECT_STREQ(held.fax, FaxSettings.FaxNumber);
    EXPECT_STREQ(held.voice, FaxSettings.VoiceNumber);
    EXPECT_EQ(held.dedicated, FaxSettings.DedicatedLine);
}

}  // namespace

// Each page's step on its own, as the pages take it.
TEST_F(RoadTest, PageAnswers) {
    struct Case {
        const char* rule;
        RoadRefusal (*answer)();
        RoadRefusal refused;
        Held held;
    };
    const Case cases[] = {
        {"names are trimmed", [] { AnswerIdentity("  Acme \t", " Ann "); return RoadAccepted; },
         RoadAccepted, {"Ann", "Acme", "111", "222", 1}},
        {"a line break never reaches a stored value",
         [] { AnswerIdentity("A\r\nB", "x\ty"); return RoadAccepted; }, RoadAccepted,
         {"x y", "A  B", "111", "222", 1}},
        {"Back keeps an empty fax number", [] { return AnswerFaxNumber(" ", RoadBack); },
         RoadAccepted, {kName, kCompany, "", "222", 1}},
        {"an empty voice number is an answer",
         [] { AnswerVoiceNumber("  "); return RoadAccepted; }, RoadAccepted,
         {kName, kCompany, "111", "", 1}},
        {"same numbers, dedicated: both kept to be corrected",
         [] { AnswerSameNumber(true); return RoadAccepted; }, RoadAccepted,
         {kName, kCompany, "111", "222", 1}},
        {"same numbers, shared: the voice number goes",
         [] { AnswerSameNumber(false); return RoadAccepted; }, RoadAccepted,
         {kName, kCompany, "111", "", 0}},
        {"Back with an empty shared number clears both",
         [] { return AnswerSharedLineNumber("", RoadBack); }, RoadAccepted,
         {kName, kCompany, "", "", 1}},
    };
    for (const Case& c : cases) {
        Loaded();
        EXPECT_EQ(c.refused, c.answer()) << c.rule;
        ExpectHeld(c.held, c.rule);
    }
}

// A whole set of answers, walked along the road the answers choose.
TEST_F(RoadTest, AnswerSets) {
    struct Flags {
        long dedicated, tam, modem, option;
    };
    struct Case {
        const char* rule;
        long optionSupported;
        const char* fax;
        const char* voice;
        Flags answered;
        RoadRefusal refused;
        Held held;
        Flags stored;
    };
    const Case cases[] = {
        {"dedicated: the answering machine is not asked", 0, "555 0100", "555 0199",
         {1, 0, 1, 1}, RoadAccepted, {"Ann", "Acme", "555 0100", "555 0199", 1}, {1, 1, 1, 0}},
        {"shared: one number for both, the answering machine asked", 0, "555 0100",
         "555 0199", {0, 0, 0, 0}, RoadAccepted, {"Ann", "Acme", "555 0100", "555 0100", 0},
         {0, 0, 0, 0}},
        {"the device option, when the device has it", 1, "555 0100", "", {1, 0, 0, 1},
         RoadAccepted, {"Ann", "Acme", "555 0100", "", 1}, {1, 1, 0, 1}},
        {"dedicated with the same digits twice is refused", 0, "555-0100", "(555) 0100",
         {1, 0, 0, 0}, RoadSameNumbers, {kName, kCompany, "111", "222", 1}, {1, 1, 0, 0}},
        {"shared with the same digits twice is one number", 0, "555-0100", "(555) 0100",
         {0, 1, 0, 0}, RoadAccepted, {"Ann", "Acme", "555-0100", "555-0100", 0}, {0, 1, 0, 0}},
        {"dedicated without a fax number is refused", 0, " ", "555 0199", {1, 0, 1, 0},
         RoadFaxNumberEmpty, {kName, kCompany, "111", "222", 1}, {1, 1, 0, 0}},
        {"shared without a number is refused", 0, "", "555 0199", {0, 0, 1, 0},
         RoadSharedNumberEmpty, {kName, kCompany, "111", "222", 1}, {1, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        Loaded();
        FaxSettings.DeviceOptionSupported = c.optionSupported;
        RoadAnswers answers;
        answers.UserName = "Ann";
        answers.Company = "Acme";
        answers.FaxNumber = c.fax;
        answers.VoiceNumber = c.voice;
        answers.DedicatedLine = c.answered.dedicated != 0;
        answers.TAM = c.answered.tam != 0;
        answers.Modem = c.answered.modem != 0;
        answers.DeviceOption = c.answered.option != 0;
        EXPECT_EQ(c.refused, ApplyAnswers(answers)) << c.rule;
        ExpectHeld(c.held, c.rule);
        EXPECT_EQ(c.stored.tam, FaxSettings.TAM) << c.rule;
        EXPECT_EQ(c.stored.modem, FaxSettings.Modem) << c.rule;
        EXPECT_EQ(c.stored.option, FaxSettings.DeviceOption) << c.rule;
    }
}

// The summary: rings, auto-answer and the template's section from the line.
TEST_F(RoadTest, Summary) {
    struct Case {
        const char* rule;
        long distinctive, dedicated, tam, modem;
        long autoAnswer, rings;
        int section;
    };
    const Case cases[] = {
        {"distinctive ring decides first", 1, 0, 1, 1, 1, kDefaultRings, 1},
        {"a dedicated line answers", 0, 1, 1, 0, 1, kDefaultRings, 4},
        {"a shared line with a machine waits for it", 0, 0, 1, 1, 1, kMachineRings, 5},
        {"a shared line without one leaves the calls to the person", 0, 0, 0, 0, 0,
         kDefaultRings, 8},
    };
    std::string sections = "[common]\r\n1=Fax %faxnum%\r\n";
    for (int n = 1; n <= 8; ++n)
        sections += "[summary" + std::to_string(n) + "]\r\n1=variant " + std::to_string(n) + "\r\n";
    dir_.Write("summary.ini", sections);
    Connect();
    for (const Case& c : cases) {
        Loaded();
        FaxSettings.DistinctiveRing = c.distinctive;
        FaxSettings.DedicatedLine = c.dedicated;
        FaxSettings.TAM = c.tam;
        FaxSettings.Modem = c.modem;
        SummarizeRoad();
        EXPECT_EQ(c.autoAnswer, FaxSettings.AutoAnswer) << c.rule;
        EXPECT_EQ(c.rings, FaxSettings.RingsToAnswer) << c.rule;
        EXPECT_EQ("Fax 111\r\nvariant " + std::to_string(c.section) + "\r\n",
                  wiztest::ReadFile(dir_.File("summary.txt")))
            << c.rule;
    }
}

// The end stores the settings everywhere and marks setup as run.
TEST_F(RoadTest, Store) {
    ASSERT_TRUE(wiztest::SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Install"),
                                      "RunSetupWizard", "1"));
    Connect();
    RoadAnswers answers = CurrentAnswers();
    answers.DedicatedLine = false;
    answers.FaxNumber = "555 0100";
    ASSERT_EQ(RoadAccepted, ApplyAnswers(answers));
    SummarizeRoad();
    StoreRoad();

    char mark[10] = "";
    ReadRegString(16, 0, "RunSetupWizard", mark, sizeof mark);
    EXPECT_STREQ("0", mark);
    EXPECT_EQ("555 0100", settingstest::ProductValue("VoiceNumber"));
    EXPECT_EQ("0", settingstest::RegistrationValue("DedicatedLine"));
    EXPECT_EQ("555 0100", device_.State().objects[31].bytes);
}

// An answer is taken only as a person could have typed it into its field:
// the field's byte limit and the characters its filter lets through.
TEST(RoadTyped, FieldsLimitsAndCharacters) {
    std::string katakana12;  // 12 double-byte characters of code page 932: 24 bytes
    for (int i = 0; i < 12; ++i) katakana12 += "\x83\x41";
    struct Case {
        const char* rule;
        RoadField field;
        std::string text;
        RoadTypedFault fault;
    };
    const Case cases[] = {
        {"a name of 25 bytes fits", RoadNameField, std::string(25, 'n'), RoadTypedFits},
        {"a name of 26 bytes does not", RoadNameField, std::string(26, 'n'), RoadTypedTooLong},
        {"double-byte characters count two bytes", RoadNameField, katakana12 + "ab",
         RoadTypedTooLong},
        {"a double-byte name within the bytes fits", RoadNameField, katakana12 + "a",
         RoadTypedFits},
        {"a company of 255 bytes fits", RoadCompanyField, std::string(255, 'c'), RoadTypedFits},
        {"a company of 256 bytes does not", RoadCompanyField, std::string(256, 'c'),
         RoadTypedTooLong},
        {"a number of 20 bytes fits", RoadNumberField, "+1 (555) 010-0*#,./9", RoadTypedFits},
        {"a number of 21 bytes does not", RoadNumberField, std::string(21, '5'),
         RoadTypedTooLong},
        {"a number takes no letters", RoadNumberField, "555 CALL", RoadTypedNotAdmitted},
        {"a number takes no double-byte characters", RoadNumberField, "\x82\x4F",
         RoadTypedNotAdmitted},
        {"no field takes a line break", RoadCompanyField, "Acme\r\nLtd", RoadTypedControlChar},
        {"no field takes a tab", RoadNumberField, "555\t0100", RoadTypedControlChar},
        {"an empty text could be typed", RoadNumberField, "", RoadTypedFits},
    };
    for (const Case& c : cases) EXPECT_EQ(c.fault, CheckTyped(c.field, c.text.c_str())) << c.rule;
}
