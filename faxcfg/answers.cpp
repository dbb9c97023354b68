#include "faxcfg/answers.h"

#include <windows.h>

#include "app/profile.h"
#include "common/util.h"
#include "settings/policy.h"

namespace {

const char kSection[] = "Fax";
// Room for any value a field takes and more, so an over-long one shows.
const DWORD kValueRoom = 4096;

enum KeyKind { TextKey, FlagKey };

struct KeyRule {
    const char* Name;
    KeyKind Kind;
    RoadField Field;  // text keys
};

const KeyRule kKeys[] = {
    {"UserName", TextKey, RoadNameField},     {"Company", TextKey, RoadCompanyField},
    {"FaxNumber", TextKey, RoadNumberField},  {"VoiceNumber", TextKey, RoadNumberField},
    {"DedicatedLine", FlagKey, RoadNameField}, {"TAM", FlagKey, RoadNameField},
    {"Modem", FlagKey, RoadNameField},        {"DeviceOption", FlagKey, RoadNameField},
};

const KeyRule* FindKey(const std::string& name) {
    for (const KeyRule& rule : kKeys)
        if (lstrcmpiA(rule.Name, name.c_str()) == 0) return &rule;
    return nullptr;
}

// The key's value in section; false when the section does not have the key.
bool ReadKey(const std::string& path, const std::string& section, const std::string& key,
             std::string* value) {
    std::vector<char> text(kValueRoom, '\0');
    // A default no value can be tells a missing key from an empty one.
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", text.data(), kValueRoom,
                             path.c_str());
    if (strcmp(text.data(), "\x01") == 0) return false;
    *value = text.data();
    return true;
}

// The PC's own section wins over [Fax].
std::string ReadValue(const std::string& path, const AnswerFile& file, const std::string& key) {
    std::string value;
    if (!file.PcSection.empty() && ReadKey(path, file.PcSection, key, &value)) return value;
    ReadKey(path, kSection, key, &value);
    return value;
}

// The names in a list of zero-terminated strings ending with an empty one.
std::vector<std::string> NameList(const std::vector<char>& list) {
    std::vector<std::string> names;
    for (const char* p = list.data(); *p; p += strlen(p) + 1) names.push_back(p);
    return names;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The policy's value of the key as the log shows it; empty when no policy
// holds the key.
std::string HeldByPolicy(const char* key) {
    for (int i = 0; i < PolicyValueCount; ++i) {
        if (lstrcmpiA(kPolicyValues[i].Name, key) != 0 || !PolicyHolds((PolicyValue)i)) continue;
        if (kPolicyValues[i].Kind == PolicyText) return Quoted((const char*)ActivePolicies.Text[i]);
        return ActivePolicies.Flag[i] ? "1" : "0";
    }
    return std::string();
}

}  // namespace

std::string FullPath(const std::string& file) {
    char path[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(file.c_str(), sizeof path, path, nullptr);
    if (n == 0 || n >= sizeof path) return file;
    return path;
}

std::string ThisPcSection() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) name[0] = '\0';
    return std::string(kSection) + ":" + name;
}

AnswerFile ReadAnswerFile(const std::string& path) {
    AnswerFile file;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return file;
    CloseHandle(handle);
    std::vector<char> list(32768, '\0');
    GetPrivateProfileSectionNamesA(list.data(), (DWORD)list.size(), path.c_str());
    std::string pc = ThisPcSection();
    for (const std::string& name : NameList(list)) {
        if (lstrcmpiA(name.c_str(), kSection) == 0) file.Common = true;
        if (lstrcmpiA(name.c_str(), pc.c_str()) == 0) file.PcSection = name;
    }
    file.State = file.Common || !file.PcSection.empty() ? AnswerFileRead : AnswerFileNoSection;
    for (const std::string& section : {std::string(kSection), file.PcSection}) {
        if (section.empty()) continue;
        std::fill(list.begin(), list.end(), '\0');
        GetPrivateProfileStringA(section.c_str(), nullptr, "", list.data(), (DWORD)list.size(),
                                 path.c_str());
        for (const std::string& key : NameList(list)) {
            bool known = false;
            for (const std::string& k : file.Keys) known |= lstrcmpiA(k.c_str(), key.c_str()) == 0;
            if (!known) file.Keys.push_back(key);
        }
    }
    return file;
}

RoadAnswers TakeAnswers(const std::string& path, const AnswerFile& file, const RoadAnswers& start,
                        bool deviceOptionAsked, std::vector<AnswerRefusal>* refused,
                        std::vector<std::string>* applied, std::vector<std::string>* ignored,
                        std::vector<std::string>* kept) {
    RoadAnswers answers = start;
    for (const std::string& key : file.Keys) {
        const KeyRule* rule = FindKey(key);
        if (!rule) {
            // A misspelt key would otherwise be dropped without a word.
            refused->push_back({key, "is not a key of the answer file"});
            continue;
        }
        std::string value = ReadValue(path, file, key);
        std::string held = HeldByPolicy(rule->Name);
        if (!held.empty()) {
            kept->push_back(std::string(rule->Name) + ": kept the policy's value " + held +
                            ", not the answer file's " + Quoted(value));
            continue;
        }
        if (rule->Kind == TextKey) {
            CString* target = rule->Field == RoadNameField      ? &answers.UserName
                              : rule->Field == RoadCompanyField ? &answers.Company
                              : lstrcmpiA(rule->Name, "FaxNumber") == 0 ? &answers.FaxNumber
                                                                        : &answers.VoiceNumber;
            // The value the wizard shows and would store as it is (a long
            // registered owner, say) is no new answer: an exported file
            // applies on the PC it came from.
            bool unchanged = value == (const char*)*target;
            RoadTypedFault fault = unchanged ? RoadTypedFits : CheckTyped(rule->Field, value.c_str());
            if (fault) {
                refused->push_back({rule->Name, Quoted(value) + " " +
                                                    TypedFaultText(fault, rule->Field)});
                continue;
            }
            *target = value.c_str();
            applied->push_back(std::string(rule->Name) + " = " + Quoted(value));
            continue;
        }
        // Read as the product reads its own flags.
        int flag = ParseYesNo(value.c_str(), -1);
        if (flag < 0) {
            refused->push_back(
                {rule->Name, Quoted(value) + " is not a yes or no answer (1/0, Yes/No, True/False)"});
            continue;
        }
        bool on = flag != 0;
        std::string name = rule->Name;
        if (name == "DeviceOption" && !deviceOptionAsked) {
            ignored->push_back("DeviceOption: the printer does not report the option");
            continue;
        }
        if (name == "DedicatedLine") answers.DedicatedLine = on;
        else if (name == "TAM") answers.TAM = on;
        else if (name == "Modem") answers.Modem = on;
        else answers.DeviceOption = on;
        applied->push_back(name + " = " + (on ? "1" : "0"));
    }
    // What the road the answers choose does not ask keeps its value.
    auto given = [&](const char* name) {
        for (const std::string& key : file.Keys)
            if (lstrcmpiA(key.c_str(), name) == 0) return true;
        return false;
    };
    if (!answers.DedicatedLine && given("VoiceNumber"))
        ignored->push_back("VoiceNumber: a shared line has one number, FaxNumber");
    if (answers.DedicatedLine && given("TAM"))
        ignored->push_back("TAM: asked on a shared line only");
    return answers;
}

AnswerRefusal DescribeRoadRefusal(RoadRefusal refusal) {
    switch (refusal) {
    case RoadFaxNumberEmpty:
        return {"FaxNumber", "is empty: a fax number is required"};
    case RoadSharedNumberEmpty:
        return {"FaxNumber", "is empty: a shared line needs its number"};
    case RoadSameNumbers:
        return {"VoiceNumber", "has the same digits as the fax number, which a dedicated line "
                               "does not allow"};
    default:
        return {"", ""};
    }
}

bool WriteAnswerFile(const std::string& path, const std::string& section,
                     const RoadAnswers& answers, bool deviceOptionAsked) {
    struct Entry {
        const char* key;
        std::string value;
    };
    std::vector<Entry> entries = {
        {"UserName", (const char*)answers.UserName},
        {"Company", (const char*)answers.Company},
        {"FaxNumber", (const char*)answers.FaxNumber},
        {"VoiceNumber", (const char*)answers.VoiceNumber},
        {"DedicatedLine", answers.DedicatedLine ? "1" : "0"},
        {"TAM", answers.TAM ? "1" : "0"},
        {"Modem", answers.Modem ? "1" : "0"},
    };
    if (deviceOptionAsked) entries.push_back({"DeviceOption", answers.DeviceOption ? "1" : "0"});
    for (const Entry& entry : entries) {
        // Quoted where reading would drop quotes or blanks at either end.
        std::string value = ProfileValueText(entry.value);
        if (!WritePrivateProfileStringA(section.c_str(), entry.key, value.c_str(), path.c_str()))
            return false;
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    return true;
}
