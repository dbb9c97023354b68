// The administrator's policies for the fax settings: values under
// HKLM\Software\Policies\Kelvaro\Corvantis\Fax, written by Group Policy from
// the product's administrative templates. A value a policy holds is locked:
// the pages show it and nothing a person types or an answer file says
// changes it.
#pragma once
#include <string>
#include <vector>

#include "framework/cstring.h"

extern const char kPolicyKey[];  // under HKEY_LOCAL_MACHINE

// The answers a policy can hold, in the order of the pages.
enum PolicyValue {
    PolicyUserName,
    PolicyCompany,
    PolicyFaxNumber,
    PolicyVoiceNumber,
    PolicyDedicatedLine,
    PolicyTAM,
    PolicyModem,
    PolicyDeviceOption,
    PolicyValueCount
};

enum PolicyKind { PolicyText, PolicyFlag };

struct PolicyValueRule {
    const char* Name;  // the registry value, named as the answer file's key
    PolicyKind Kind;
};
extern const PolicyValueRule kPolicyValues[PolicyValueCount];
// Not an answer: 1 keeps the wizard from being used at all.
extern const char kDisableWizardValue[];

struct FaxPolicies {
    bool Held[PolicyValueCount] = {};
    CString Text[PolicyValueCount];  // text values, as the policy gives them
    bool Flag[PolicyValueCount] = {};
    bool DisableWizard = false;
    // One line for each value set but not applied: the value and why.
    std::vector<std::string> Refused;
};

// Reads the policies now in force (in the program's own registry view). A
// value that no field could hold is left out and named in Refused.
FaxPolicies ReadFaxPolicies();

// The policies LoadFaxSettings read last; nothing held before it runs.
extern FaxPolicies ActivePolicies;

inline bool PolicyHolds(PolicyValue value) { return ActivePolicies.Held[value]; }
