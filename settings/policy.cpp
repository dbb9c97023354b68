#include "settings/policy.h"

#include <windows.h>

#include "common/util.h"
#include "settings/faxsettings.h"
#include "settings/fieldrules.h"

const char kPolicyKey[] = "Software\\Policies\\Kelvaro\\Corvantis\\Fax";

const PolicyValueRule kPolicyValues[PolicyValueCount] = {
    {"UserName", PolicyText},       {"Company", PolicyText}, {"FaxNumber", PolicyText},
    {"VoiceNumber", PolicyText},    {"DedicatedLine", PolicyFlag}, {"TAM", PolicyFlag},
    {"Modem", PolicyFlag},          {"DeviceOption", PolicyFlag},
};

const char kDisableWizardValue[] = "DisableWizard";

FaxPolicies ActivePolicies;

namespace {

// Far more than any field takes, so an over-long value is seen as such.
const DWORD kValueRoom = 4096;

RoadField FieldOf(PolicyValue value) {
    switch (value) {
    case PolicyUserName: return RoadNameField;
    case PolicyCompany: return RoadCompanyField;
    default: return RoadNumberField;
    }
}

// One registry value as it is stored: its type and bytes, cut at the room.
struct RawValue {
    bool Present = false;
    bool TooLong = false;
    DWORD Type = REG_NONE;
    std::string Bytes;
};

RawValue QueryValue(HKEY key, const char* name) {
    RawValue raw;
    std::string data(kValueRoom, '\0');
    DWORD size = kValueRoom;
    LONG result = RegQueryValueExA(key, name, nullptr, &raw.Type, (BYTE*)&data[0], &size);
    if (result == ERROR_FILE_NOT_FOUND) return raw;
    raw.Present = true;
    if (result == ERROR_MORE_DATA) {
        raw.TooLong = true;
        return raw;
    }
    if (result != ERROR_SUCCESS) {
        raw.Type = REG_NONE;
        return raw;
    }
    raw.Bytes.assign(data.data(), size);
    return raw;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// A string value's text. A zero byte inside it would cut the value short
// unseen: such a value is refused like a control character.
bool TextOf(const RawValue& raw, std::string* text) {
    std::string bytes = raw.Bytes;
    while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    if (bytes.find('\0') != std::string::npos) return false;
    *text = bytes;
    return true;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// 1 or 0; -1 when the value is no yes-or-no answer.
int FlagOf(const RawValue& raw) {
    if (raw.Type == REG_DWORD && raw.Bytes.size() == sizeof(DWORD)) {
        DWORD number = *(const DWORD*)raw.Bytes.data();
        return number <= 1 ? (int)number : -1;
    }
    std::string text;
    if (IsText(raw.Type) && TextOf(raw, &text)) return ParseYesNo(text.c_str(), -1);
    return -1;
}

std::string FlagFault(const RawValue& raw) {
    if (raw.Type == REG_DWORD && raw.Bytes.size() == sizeof(DWORD))
        return std::to_string(*(const DWORD*)raw.Bytes.data()) + " is not 0 or 1";
    std::string text;
    if (IsText(raw.Type) && TextOf(raw, &text))
        return Quoted(text) + " is not a yes or no answer (1/0, Yes/No, True/False)";
    return "is neither a number nor a text";
}

}  // namespace

FaxPolicies ReadFaxPolicies() {
    FaxPolicies policies;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return policies;
    auto refuse = [&](const char* name, const std::string& why) {
        policies.Refused.push_back(std::string(name) + " " + why + "; not applied");
    };
    for (int i = 0; i < PolicyValueCount; ++i) {
        const PolicyValueRule& rule = kPolicyValues[i];
        RawValue raw = QueryValue(key, rule.Name);
        if (!raw.Present) continue;
        if (rule.Kind == PolicyFlag) {
            int flag = raw.TooLong ? -1 : FlagOf(raw);
            if (flag < 0) {
                refuse(rule.Name, raw.TooLong ? "is too long" : FlagFault(raw));
                continue;
            }
            policies.Held[i] = true;
            policies.Flag[i] = flag != 0;
            continue;
        }
        RoadField field = FieldOf((PolicyValue)i);
        std::string text;
        if (raw.TooLong) {
            refuse(rule.Name, TypedFaultText(RoadTypedTooLong, field));
            continue;
        }
        if (!IsText(raw.Type)) {
            refuse(rule.Name, "is not a text value");
            continue;
        }
        if (!TextOf(raw, &text)) {
            refuse(rule.Name, TypedFaultText(RoadTypedControlChar, field));
            continue;
        }
        if (RoadTypedFault fault = CheckTyped(field, text.c_str())) {
            refuse(rule.Name, Quoted(text) + " " + TypedFaultText(fault, field));
            continue;
        }
        CString value(text.c_str());
        value.Trim();
        // Locked empty, the fax number would hold every page after it.
        if (i == PolicyFaxNumber && value.IsEmpty()) {
            refuse(rule.Name, "is empty: a fax number is required");
            continue;
        }
        policies.Held[i] = true;
        policies.Text[i] = value;
    }
    // A dedicated line takes no voice number with the fax number's digits:
    // with both locked, no one could ever go past the voice number's page.
    bool sharedLine = policies.Held[PolicyDedicatedLine] && !policies.Flag[PolicyDedicatedLine];
    if (policies.Held[PolicyFaxNumber] && policies.Held[PolicyVoiceNumber] && !sharedLine &&
        SameNumberDigits(policies.Text[PolicyFaxNumber], policies.Text[PolicyVoiceNumber])) {
        policies.Held[PolicyVoiceNumber] = false;
        refuse(kPolicyValues[PolicyVoiceNumber].Name,
               Quoted((const char*)policies.Text[PolicyVoiceNumber]) +
                   " has the same digits as the fax number, which a dedicated line does not "
                   "allow");
        policies.Text[PolicyVoiceNumber].Empty();
    }

    RawValue disable = QueryValue(key, kDisableWizardValue);
    if (disable.Present) {
        int flag = disable.TooLong ? -1 : FlagOf(disable);
        if (flag < 0)
            refuse(kDisableWizardValue, disable.TooLong ? "is too long" : FlagFault(disable));
        else
            policies.DisableWizard = flag != 0;
    }
    RegCloseKey(key);
    return policies;
}
