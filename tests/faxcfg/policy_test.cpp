// The administrator's policies, set as Group Policy sets them, against the
// real wizard and faxcfg under Wine. The policy key is read by every program
// of the prefix: this test runs in a prefix of its own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "settings/policy.h"
#include "tests/faxcfg/faxcfg_runs.h"

using namespace wholetest;

namespace {

struct Setting {
    const char* Name;
    DWORD Type;  // REG_SZ: Text; REG_DWORD: Number; else Text's bytes as they are
    std::string Text;
    DWORD Number = 0;
};

Setting Text(const char* name, const std::string& text) { return {name, REG_SZ, text}; }
Setting Number(const char* name, DWORD number) { return {name, REG_DWORD, "", number}; }

// The key and its parents, as a policy left none before.
void ClearPolicies() {
    for (const char* key : {kPolicyKey, "Software\\Policies\\Kelvaro\\Corvantis",
                            "Software\\Policies\\Kelvaro"})
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
}

void SetPolicies(const std::vector<Setting>& settings) {
    ClearPolicies();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    for (const Setting& s : settings) {
        if (s.Type == REG_DWORD) {
            RegSetValueExA(key, s.Name, 0, REG_DWORD, (const BYTE*)&s.Number, sizeof s.Number);
        } else {
            DWORD size = (DWORD)s.Text.size() + (s.Type == REG_SZ ? 1 : 0);
            RegSetValueExA(key, s.Name, 0, s.Type, (const BYTE*)s.Text.c_str(), size);
        }
    }
    RegCloseKey(key);
}

struct PolicyCleanup {
    ~PolicyCleanup() { ClearPolicies(); }
};

std::string Lines(const std::map<std::string, std::string>& answers) {
    std::string text;
    for (const auto& answer : answers) text += answer.first + "=" + answer.second + "\r\n";
    return text;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const char* const kChecked = "(checked)";
const char* const kUnchecked = "(unchecked)";

// A control a policy locks: disabled, showing the policy's value.
struct Locked {
    int Page;
    int Control;
    const char* Shown;  // an edit's text, or kChecked / kUnchecked
};

}  // namespace

// Each value no field could hold is left out and named; what a field takes is
// held, as the person would have typed it.
TEST(Policy, ValuesNoFieldHoldsAreRefused) {
    PolicyCleanup cleanup;
    struct Case {
        const char* rule;
        Setting setting;
        const char* why;  // empty: held
    };
    const Case cases[] = {
        {"over the field's bytes", Text("Company", std::string(256, 'C')), "longer than"},
        {"a line break", Text("UserName", "Ann\r\nLee"), "control character"},
        {"letters in a number", Text("FaxNumber", "555-CALL"), "does not take"},
        {"an empty fax number", Text("FaxNumber", "  "), "is empty"},
        {"a number for a text", Number("VoiceNumber", 5550100), "not a text"},
        {"a flag other than 0 or 1", Number("TAM", 2), "not 0 or 1"},
        {"a flag in words", Text("Modem", "perhaps"), "yes or no"},
        {"a zero byte inside a text", {"UserName", REG_SZ, std::string("Ann\0Lee", 7)}, "control"},
        {"a flag of another type", {"DedicatedLine", REG_BINARY, std::string("\1", 1)}, "neither"},
        {"a text as the field takes it, trimmed", Text("Company", "  Lee & Co  "), ""},
        {"a flag in words", Text("DedicatedLine", "No"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        SetPolicies({c.setting});
        FaxPolicies policies = ReadFaxPolicies();
        int value = 0;
        while (value < PolicyValueCount && kPolicyValues[value].Name != std::string(c.setting.Name))
            ++value;
        ASSERT_LT(value, PolicyValueCount);
        EXPECT_EQ(!*c.why, policies.Held[value]);
        if (*c.why) {
            ASSERT_EQ(1u, policies.Refused.size());
            EXPECT_EQ(0u, policies.Refused[0].find(c.setting.Name)) << policies.Refused[0];
            EXPECT_TRUE(Has(policies.Refused[0], c.why)) << policies.Refused[0];
        } else {
            EXPECT_TRUE(policies.Refused.empty());
            if (c.setting.Type == REG_SZ && kPolicyValues[value].Kind == PolicyText) {
                EXPECT_STREQ("Lee & Co", policies.Text[value]);
            }
        }
    }

    // A dedicated line cannot have both numbers locked to the same digits.
    SetPolicies({Text("FaxNumber", "555 0100"), Text("VoiceNumber", "(555) 01-00")});
    FaxPolicies same = ReadFaxPolicies();
    EXPECT_TRUE(same.Held[PolicyFaxNumber]);
    EXPECT_FALSE(same.Held[PolicyVoiceNumber]);
    ASSERT_EQ(1u, same.Refused.size());
    EXPECT_TRUE(Has(same.Refused[0], "VoiceNumber")) << same.Refused[0];
}

// On each road: the pages show what a policy holds, locked, with their note,
// and what is typed into a locked field changes nothing; faxcfg keeps the
// policy's values over its answer file; both store what an answer file with
// the policy's values stores. A value no field holds is logged by both.
TEST(Policy, LockedValuesHoldOnEveryRoad) {
    PolicyCleanup cleanup;
    struct Row {
        const char* road;
        std::vector<Setting> policies;
        std::map<std::string, std::string> held;     // the policies as answers
        std::map<std::string, std::string> other;    // other answers for the held keys
        std::map<std::string, std::string> free;     // what the walk answers elsewhere
        std::vector<Locked> locked;
        const char* refused;  // the key of a value no field holds, or empty
    };
    const Row rows[] = {
        {"dedicated line",
         {Text("UserName", "Pat Policy"), Text("Company", "Policy & Co"),
          Text("FaxNumber", "+44 20 7946 0000"), Text("VoiceNumber", "+44 20 7946 0001"),
          Number("DedicatedLine", 1), Number("Modem", 1)},
         {{"UserName", "Pat Policy"}, {"Company", "Policy & Co"},
          {"FaxNumber", "+44 20 7946 0000"}, {"VoiceNumber", "+44 20 7946 0001"},
          {"DedicatedLine", "1"}, {"Modem", "1"}},
         // A held key's answer is not even checked: letters in a number pass.
         {{"UserName", "Other"}, {"FaxNumber", "555-CALL"}, {"DedicatedLine", "0"},
          {"Modem", "0"}},
         {},
         {{2808, 5506, "Pat Policy"}, {2808, 5507, "Policy & Co"},
          {2810, 5519, kChecked}, {2810, 5520, kUnchecked},
          {2811, 5521, "+44 20 7946 0000"}, {2812, 5522, "+44 20 7946 0001"},
          {2815, 5531, kChecked}, {2815, 5532, kUnchecked}},
         ""},
        {"shared line",
         {Number("DedicatedLine", 0), Number("TAM", 1), Text("FaxNumber", "030 1234-56"),
          Number("DeviceOption", 1), Text("Modem", "No"),
          Text("Company", std::string(256, 'C'))},
         {{"DedicatedLine", "0"}, {"TAM", "1"}, {"FaxNumber", "030 1234-56"},
          {"DeviceOption", "1"}, {"Modem", "0"}},
         {{"DedicatedLine", "1"}, {"TAM", "0"}, {"FaxNumber", "0"}, {"DeviceOption", "0"}},
         {{"UserName", "Dana Whitfield"}, {"Company", "Whitfield Print & Design"}},
         {{2821, 5548, kChecked}, {2810, 5520, kChecked}, {2810, 5519, kUnchecked},
          {2813, 5516, "030 1234-56"}, {2814, 5509, kChecked}, {2815, 5532, kChecked}},
         "Company"},
    };
    auto reportsOption = [](devsim::DeviceState& s) { s.info[17] = 1; };
    wiztest::TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.road);
        std::map<std::string, std::string> reference = row.held, other = row.free;
        reference.insert(row.free.begin(), row.free.end());
        other.insert(row.other.begin(), row.other.end());

        // The answer file's road without policies.
        ClearPolicies();
        Stored expected;
        {
            DemoInstall demo;
            ASSERT_EQ("", demo.Error());
            demo.ChangeDevice(77, reportsOption);
            ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, Lines(reference)))));
            expected = Capture(demo);
        }
        SetPolicies(row.policies);
        {
            DemoInstall demo;
            ASSERT_EQ("", demo.Error());
            demo.ChangeDevice(77, reportsOption);
            wizdrive::Program wizard;
            ASSERT_NE(nullptr, StartAtWelcome(wizard, demo));
            std::map<int, int> seen;
            auto shown = [&](const std::string& name, HWND page) {
                if (name.compare(0, 4, "page") != 0) return;
                int pageId = atoi(name.c_str() + 4);
                bool lockedHere = false;
                for (const Locked& l : row.locked) {
                    if (l.Page != pageId) continue;
                    lockedHere = true;
                    ++seen[pageId];
                    HWND control = GetDlgItem(page, l.Control);
                    EXPECT_FALSE(IsWindowEnabled(control)) << name << " control " << l.Control;
                    if (l.Shown == kChecked || l.Shown == kUnchecked) {
                        EXPECT_EQ(l.Shown == kChecked, wizdrive::IsChecked(page, l.Control))
                            << name << " control " << l.Control;
                    } else {
                        EXPECT_EQ(l.Shown, wizdrive::ControlText(page, l.Control)) << name;
                        // Another program may still put text into it.
                        wizdrive::SetControlText(page, l.Control, "999 999");
                    }
                }
                EXPECT_EQ(lockedHere, IsWindowVisible(GetDlgItem(page, IDC_POLICY_NOTE)) != 0)
                    << name << ": the administrator's note";
                // Each locked page here has every answer locked: Enter must go on.
                if (lockedHere) {
                    EXPECT_EQ(IDC_NEXT, GetDlgCtrlID(wizdrive::FocusOf(page))) << name;
                }
            };
            wizdrive::RoadReport report;
            ASSERT_NO_FATAL_FAILURE(
                WalkToTheEnd(wizard, wizdrive::RoadAnswers(), &report, 120000, shown));
            for (const Locked& l : row.locked) EXPECT_LT(0, seen[l.Page]) << "page " << l.Page;
            ExpectSame(expected, Capture(demo));
            std::string log = wiztest::ReadFile(demo.DataDir() + "\\faxwiz.log");
            EXPECT_EQ(*row.refused != 0, Has(log, std::string("policy ") + row.refused + " "))
                << log;
        }
        {
            DemoInstall demo;
            ASSERT_EQ("", demo.Error());
            demo.ChangeDevice(77, reportsOption);
            std::string log = dir.File("kept.log");
            DeleteFileA(log.c_str());
            ASSERT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, Lines(other))) +
                                              " /log " + Quoted(log)));
            ExpectSame(expected, Capture(demo));
            EXPECT_EQ(0u, RunFaxcfg(demo, "/check " + Quoted(AnswerFile(dir, Lines(other)))));
            std::string text = wiztest::ReadFile(log);
            for (const auto& answer : row.other)
                EXPECT_TRUE(Has(text, answer.first + ": kept the policy's value")) << text;
            if (*row.refused) {
                EXPECT_TRUE(Has(text, std::string("policy ") + row.refused)) << text;
            }
        }
        if (row.free.empty()) {  // every answer held: the policies alone configure
            DemoInstall demo;
            ASSERT_EQ("", demo.Error());
            demo.ChangeDevice(77, reportsOption);
            ASSERT_EQ(0u, RunFaxcfg(demo, "/policies"));
            ExpectSame(expected, Capture(demo));
            EXPECT_EQ("policies", demo.RegValue("Status", "By"));
            std::string ini = demo.ProductIniText();
            EXPECT_EQ(0u, RunFaxcfg(demo, "/policies"));  // and once more changes nothing
            EXPECT_EQ(ini, demo.ProductIniText());
            ExpectSame(expected, Capture(demo));
        }
    }
}

// With the wizard disabled, it says so in one sentence and ends with its own
// code, changing nothing; faxcfg still sets up the fax.
TEST(Policy, DisabledWizardChangesNothing) {
    PolicyCleanup cleanup;
    SetPolicies({Number("DisableWizard", 1)});
    DemoInstall demo;
    ASSERT_EQ("", demo.Error());
    std::string ini = demo.ProductIniText();
    Stored before = Capture(demo);
    wizdrive::Program wizard;
    ASSERT_TRUE(wizard.Start(demo.Program()));
    HWND box = wizard.WaitForDialog(0, kStartTimeoutMs);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Your administrator manages the fax settings of this computer.",
              wizdrive::ControlText(box, 0xFFFF));
    std::string caption = wizdrive::TextOf(box);
    EXPECT_TRUE(Has(caption, "Fax Setup") && !Has(caption, "$")) << caption;
    ASSERT_TRUE(wizdrive::Click(box, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs));
    EXPECT_EQ(3u, wizard.ExitCode());
    EXPECT_EQ(ini, demo.ProductIniText());
    ExpectSame(before, Capture(demo));

    wiztest::TempDir dir;
    EXPECT_EQ(0u, RunFaxcfg(demo, "/answers " + Quoted(AnswerFile(dir, "FaxNumber=555 0100\r\n"))));
    EXPECT_EQ("555 0100", demo.Setup("FaxNumber"));
}
