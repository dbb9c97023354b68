#include "settings/faxsettings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/profile.h"
#include "common/util.h"
#include "maker/devaccess/devaccess.h"
#include "settings/devobjects.h"
#include "settings/policy.h"

const long RingPatternTable[RingPatternCount] = {1, 2, 4, 6, 7};

CFaxSettings FaxSettings;

namespace {

const char kSetup[] = "Setup";
const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kSoftwareVersion[] = "A.06.02.03";

// Device objects.
const WORD kObjFaxNumber = 31;
const WORD kObjUserName = 32;
const WORD kObjDeviceOption = 45;
const WORD kObjAutoAnswer = 46;
const WORD kObjRingsToAnswer = 48;
const WORD kObjRingPattern = 51;
const WORD kParamDefaultRings = 15;
const WORD kParamMachineRings = 16;
const WORD kInfoDeviceOption = 17;

const int kNoDistinctiveRingIndex = 4;

// The first maxBytes bytes of text, one byte less rather than half a
// double-byte character.
CString CutWhole(const char* text, int maxBytes) {
    int n = 0;
    while (n < maxBytes && text[n]) {
        int step = IsDBCSLeadByte((BYTE)text[n]) && text[n + 1] ? 2 : 1;
        if (n + step > maxBytes) break;
        n += step;
    }
    return CString(text, n);
}

// A text as the wizard keeps and stores it: control characters from a field,
// the registry or the device become blanks, so no stored value can break a
// line of an INI file or of the summary.
CString OneLine(const char* text) {
    CString line(text);
    BlankControlChars(line.GetBuffer(line.GetLength()));
    line.ReleaseBuffer();
    return line;
}

}  // namespace

CFaxSettings::CFaxSettings()
    : RingPatternIndex(0),
      DeviceClient(0),
      ObjectChannel(0),
      DistinctiveRing(0),
      DedicatedLine(1),
      TAM(0),
      Modem(0),
      RingsToAnswer(1),
      AutoAnswer(1),
      DeviceOptionSupported(0),
      DeviceOption(0) {
    // DeviceId is left for start-up to set.
}

CFaxSettings::~CFaxSettings() {}

int CFaxSettings::LoadFaxSettings() {
    const char* ini = ProdIniFile;
    bool device = DeviceClient != 0 && ObjectChannel != 0;
    char buffer[256];

    UserName = ReadIniString(kSetup, "TTIName", "", ini);
    if (UserName.IsEmpty() && device) UserName = GetObjectText(DeviceClient, kObjUserName);
    if (UserName.IsEmpty()) {
        memset(buffer, 0, sizeof buffer);
        if (ReadRegistryString(0, kWindowsKey, "RegisteredOwner", buffer, sizeof buffer))
            UserName = CutWhole(buffer, 26);
    }

    Company = ReadIniString(kSetup, "Company", "", ini);
    if (Company.IsEmpty()) {
        memset(buffer, 0, sizeof buffer);
        if (ReadRegistryString(0, kWindowsKey, "RegisteredOrganization", buffer, sizeof buffer))
            Company = buffer;
    }

    DedicatedLine = ReadIniBool(kSetup, "DedicatedLine", 1, ini);
    TAM = ReadIniBool(kSetup, "TAM", 0, ini);
    Modem = ReadIniBool(kSetup, "Modem", 0, ini);

    DistinctiveRing = 1;
    if (device) {
        long code = GetObjectLong(DeviceClient, kObjRingPattern);
        // A code the table does not know leaves the index one past the table;
        // save then leaves the device's own pattern alone.
        int i = 0;
        while (i < RingPatternCount && RingPatternTable[i] != code) ++i;
        RingPatternIndex = i;
        if (i < RingPatternCount && RingPatternTable[i] == 7) DistinctiveRing = 0;
    }

    FaxNumber.Empty();
    if (device) FaxNumber = GetObjectText(DeviceClient, kObjFaxNumber);
    if (FaxNumber.IsEmpty()) FaxNumber = ReadIniString(kSetup, "FaxNumber", "", ini);

    VoiceNumber = ReadIniString(kSetup, "VoiceNumber", "", ini);

    // What the administrator holds wins over every stored value.
    ActivePolicies = ReadFaxPolicies();
    const FaxPolicies& policy = ActivePolicies;
    CString* texts[] = {&UserName, &Company, &FaxNumber, &VoiceNumber};
    for (int i = PolicyUserName; i <= PolicyVoiceNumber; ++i)
        if (policy.Held[i]) *texts[i] = policy.Text[i];
    long* flags[] = {&DedicatedLine, &TAM, &Modem};
    for (int i = PolicyDedicatedLine; i <= PolicyModem; ++i)
        if (policy.Held[i]) *flags[i - PolicyDedicatedLine] = policy.Flag[i] ? 1 : 0;

    // A shared line without a ring of its own has the one number.
    if (DedicatedLine == 0 && DistinctiveRing == 0) VoiceNumber = FaxNumber;

    UserName = OneLine(UserName);
    Company = OneLine(Company);
    FaxNumber = OneLine(FaxNumber);
    VoiceNumber = OneLine(VoiceNumber);

    if (DeviceClient == 0) return 1;
    DeviceOptionSupported = DaGetDeviceInfo(DeviceClient, kInfoDeviceOption) > 0 ? 1 : 0;
    if (DeviceOptionSupported && ObjectChannel != 0)
        DeviceOption = GetObjectShort(DeviceClient, kObjDeviceOption) == 2 ? 1 : 0;
    if (DeviceOptionSupported && policy.Held[PolicyDeviceOption])
        DeviceOption = policy.Flag[PolicyDeviceOption] ? 1 : 0;
    return 1;
}

std::vector<StoredValue> CFaxSettings::PlanFaxSettings() {
    char section[64];
    snprintf(section, sizeof section, "Device: %ld", DeviceId);

    // Whatever set the texts since they were loaded, they are stored as one line.
    UserName = OneLine(UserName);
    Company = OneLine(Company);
    FaxNumber = OneLine(FaxNumber);
    VoiceNumber = OneLine(VoiceNumber);
    std::string name = (const char*)CutWhole(UserName, 255);
    std::string company = (const char*)CutWhole(Company, 255);
    std::string voice = (const char*)CutWhole(VoiceNumber, 255);
    std::string fax = (const char*)FaxNumber;

    std::vector<StoredValue> plan;
    auto ini = [&](StoredPlace place, const char* iniSection, const char* key,
                   const std::string& value) {
        plan.push_back({place, iniSection, key, 0, value});
    };
    ini(StoredProductIni, kSetup, "UserName", name);
    ini(StoredProductIni, kSetup, "TTIName", name);
    ini(StoredRegistrationIni, section, "UserName", name);
    ini(StoredProductIni, kSetup, "Company", company);

    const struct {
        const char* key;
        long value;
    } flags[] = {{"DedicatedLine", DedicatedLine},
                 {"DistinctiveRing", DistinctiveRing},
                 {"TAM", TAM},
                 {"Modem", Modem}};
    for (const auto& f : flags) ini(StoredProductIni, kSetup, f.key, f.value ? "1" : "0");
    for (const auto& f : flags) ini(StoredRegistrationIni, section, f.key, f.value ? "1" : "0");

    ini(StoredProductIni, kSetup, "FaxNumber", fax);
    ini(StoredProductIni, kSetup, "TTIFaxNumber", fax);
    ini(StoredRegistrationIni, section, "FaxNumber", fax);
    ini(StoredProductIni, kSetup, "VoiceNumber", voice);
    ini(StoredRegistrationIni, section, "SoftwareVersion", kSoftwareVersion);

    if (DeviceClient == 0 || ObjectChannel == 0) return plan;
    auto device = [&](StoredPlace place, const char* name, WORD object, const std::string& value) {
        plan.push_back({place, "", name, object, value});
    };
    device(StoredDeviceLong, "RingsToAnswer", kObjRingsToAnswer, std::to_string(RingsToAnswer));
    device(StoredDeviceShort, "AutoAnswer", kObjAutoAnswer, AutoAnswer ? "2" : "1");
    // The device fields hold 21 and 26 bytes. A character cut in half there
    // would still reach the device as a whole "?", so the device would show
    // one character more than the same cut everywhere else.
    device(StoredDeviceText, "FaxNumber", kObjFaxNumber, (const char*)CutWhole(FaxNumber, 21));
    device(StoredDeviceText, "UserName", kObjUserName, (const char*)CutWhole(UserName, 26));
    if (DistinctiveRing == 0) RingPatternIndex = kNoDistinctiveRingIndex;
    // An index outside the table means the device has a pattern of its own.
    if (RingPatternIndex >= 0 && RingPatternIndex < RingPatternCount)
        device(StoredDeviceEnum, "RingPattern", kObjRingPattern,
               std::to_string(RingPatternTable[RingPatternIndex]));
    device(StoredDeviceShort, "DeviceOption", kObjDeviceOption,
           DeviceOptionSupported == 0 ? "1" : (DeviceOption ? "2" : "1"));
    return plan;
}

int CFaxSettings::SaveFaxSettings(int* deviceTookAll) {
    if (deviceTookAll) *deviceTookAll = 0;
    std::vector<StoredValue> plan = PlanFaxSettings();
    const char* files[] = {ProdIniFile, DeviceIniPath};
    bool device = false;
    int took = 1;
    for (const StoredValue& v : plan) {
        long number = strtol(v.Value.c_str(), nullptr, 10);
        switch (v.Place) {
        case StoredProductIni:
        case StoredRegistrationIni:
            WriteIniString(v.Section.c_str(), v.Key.c_str(), v.Value.c_str(), files[v.Place]);
            continue;
        case StoredDeviceText: took &= SetObjectText(DeviceClient, v.Object, v.Value.c_str()); break;
        case StoredDeviceLong: took &= SetObjectLong(DeviceClient, v.Object, number); break;
        case StoredDeviceShort: took &= SetObjectShort(DeviceClient, v.Object, number); break;
        case StoredDeviceEnum: took &= SetObjectEnum(DeviceClient, v.Object, number); break;
        }
        device = true;
    }
    if (deviceTookAll && device) *deviceTookAll = took;
    return 1;
}

std::vector<StoredDifference> CFaxSettings::CompareFaxSettings(const std::vector<StoredValue>& plan) {
    std::vector<StoredDifference> differences;
    const char* files[] = {ProdIniFile, DeviceIniPath};
    bool device = DeviceClient != 0 && ObjectChannel != 0;
    for (const StoredValue& v : plan) {
        std::string stored, wanted = v.Value, where;
        if (v.Place == StoredProductIni || v.Place == StoredRegistrationIni) {
            std::vector<char> text(4096, '\0');
            // A missing key reads as a text no stored value can be.
            GetPrivateProfileStringA(v.Section.c_str(), v.Key.c_str(), "\x01", text.data(),
                                     (DWORD)text.size(), files[v.Place]);
            stored = text.data();
            where = std::string(files[v.Place]) + " [" + v.Section + "] " + v.Key;
            if (stored == "\x01") stored = "(none)";
        } else {
            if (!device) continue;
            where = "printer " + std::to_string(DeviceId) + " " + v.Key;
            if (v.Place == StoredDeviceText) {
                char converted[256];
                CopyReplacingDbcs(v.Value.c_str(), converted, 255);
                wanted = converted;
                stored = GetObjectText(DeviceClient, v.Object);
            } else if (v.Place == StoredDeviceLong || v.Place == StoredDeviceEnum) {
                stored = std::to_string(GetObjectLong(DeviceClient, v.Object));
            } else {
                stored = std::to_string(GetObjectShort(DeviceClient, v.Object));
            }
        }
        if (stored != wanted) differences.push_back({where, stored, wanted});
    }
    return differences;
}

int SameNumberDigits(const char* first, const char* second) {
    if (!first || !second || !*first || !*second) return 0;
    char a[256], b[256];
    CopyBounded(a, first, sizeof a);
    CopyBounded(b, second, sizeof b);
    KeepCharRange(a, '0', '9');
    KeepCharRange(b, '0', '9');
    return strcmp(a, b) == 0 ? 1 : 0;
}

int CFaxSettings::SameFaxAndVoiceNumber() { return SameNumberDigits(FaxNumber, VoiceNumber); }

WORD CFaxSettings::GetDefaultRings() {
    unsigned short value = 0;
    DaGetIntParam(DeviceClient, kParamDefaultRings, &value);
    return value;
}

WORD CFaxSettings::GetAnsweringMachineRings() {
    unsigned short value = 0;
    DaGetIntParam(DeviceClient, kParamMachineRings, &value);
    return value;
}

int ReadRegistryString(HKEY root, const char* subkey, const char* valueName, char* buffer,
                       DWORD size) {
    if (!subkey || !buffer || size == 0) return 0;
    // A longer subkey would be cut and name a different key.
    char path[260];
    if (strlen(subkey) >= sizeof path) return 0;
    strcpy(path, subkey);
    HKEY key = nullptr;
    // Reading needs no more than query rights, which an ordinary user has.
    if (RegOpenKeyExA(root ? root : HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return 0;
    DWORD type = 0, length = size;
    LONG r = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                              &length);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        buffer[0] = '\0';
        return 0;
    }
    // A value stored without its terminator still comes back terminated.
    buffer[length < size ? length : size - 1] = '\0';
    return 1;
}
