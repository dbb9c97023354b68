// The one record of fax setup values that every part of the wizard shares,
// with its loading from and saving to the INI files, the registry and the device.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/cstring.h"
#include "framework/object.h"

// Device ring pattern codes; code 7 (index 4) means no distinctive ring.
const int RingPatternCount = 5;
extern const long RingPatternTable[RingPatternCount];

// One value the end of the wizard stores: where it goes, and the text or the
// decimal number written there.
enum StoredPlace {
    StoredProductIni,
    StoredRegistrationIni,
    StoredDeviceText,
    StoredDeviceLong,
    StoredDeviceShort,
    StoredDeviceEnum,
};

struct StoredValue {
    StoredPlace Place;
    std::string Section;  // an INI's section
    std::string Key;      // an INI's key, or the name of the device's object
    WORD Object;          // the device's object
    std::string Value;
};

// A value that does not hold what was meant: where, what it holds, what it should.
struct StoredDifference {
    std::string Where;
    std::string Stored;
    std::string Wanted;
};

class CFaxSettings : public CObject {
public:
    CFaxSettings();
    virtual ~CFaxSettings();

    int LoadFaxSettings();
    // deviceTookAll, when given, tells whether the device took every value
    // (0 also when there was no device to write to); the wizard does not ask.
    int SaveFaxSettings(int* deviceTookAll = nullptr);
    // What SaveFaxSettings writes now, in its order; the device's values only
    // when it is connected. Settles the texts to one line as the save does.
    std::vector<StoredValue> PlanFaxSettings();
    // Reads back every planned value and gives those that differ; the
    // device's only when it is connected.
    std::vector<StoredDifference> CompareFaxSettings(const std::vector<StoredValue>& plan);
    int SameFaxAndVoiceNumber();
    WORD GetDefaultRings();
    WORD GetAnsweringMachineRings();

    long DeviceId;            // set by start-up
    CString DeviceIniPath;    // registration INI
    long RingPatternIndex;
    CString DataDir;
    long DeviceClient;        // 0 = no device connection
    long ObjectChannel;       // 0 = no channel
    long DistinctiveRing;
    long DedicatedLine;
    long TAM;
    long Modem;
    CString FaxNumber;
    CString VoiceNumber;
    CString UserName;
    CString Company;
    long RingsToAnswer;
    long AutoAnswer;
    CString ProdIniFile;
    CString ProgramDir;
    long DeviceOptionSupported;
    long DeviceOption;
};

extern CFaxSettings FaxSettings;

// 1 when both numbers are given and have the same digits, in the same order.
int SameNumberDigits(const char* first, const char* second);

// Reads one string value; a root of 0 means HKEY_LOCAL_MACHINE. Returns 1 on success.
int ReadRegistryString(HKEY root, const char* subkey, const char* valueName, char* buffer,
                       DWORD size);
