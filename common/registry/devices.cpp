#include "common/registry/devices.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "common/util.h"

long ParseRegNumber(const char* text) {
    if (!text || !*text) return 0;
    if (text[1] != 'x') return strtol(text, nullptr, 10);
    // Hexadecimal: up to eight digits after the two-character prefix, either case.
    unsigned long value = 0;
    const char* p = text + 2;
    for (int digits = 0; digits < 8 && isxdigit((unsigned char)*p); ++digits, ++p) {
        int c = toupper((unsigned char)*p);
        value = (value << 4) | (unsigned long)(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return (long)value;
}

WORD ModelIdFromName(const char* name) {
    if (!name) return 0;
    size_t words = (strlen(name) + 1) / 2;
    WORD sum = 0;
    const unsigned char* p = (const unsigned char*)name;
    // For a name of odd length the last word pairs its last character with
    // the terminator.
    for (size_t i = 0; i < words; ++i) sum = (WORD)(sum + (p[2 * i] | (p[2 * i + 1] << 8)));
    return sum;
}

LONG DeviceValue(long deviceId, const char* name, char* buffer, short room) {
    if (!buffer || room < 0) return ERROR_INVALID_PARAMETER;
    if (room > 0) buffer[0] = '\0';  // nothing read yet
    HKEY devices = OpenRegSection(8, 0);
    if (!devices) return ERROR_FILE_NOT_FOUND;
    char subkey[16];
    snprintf(subkey, sizeof subkey, "%ld", deviceId);
    HKEY device = nullptr;
    REGSAM access = room == 0 ? KEY_SET_VALUE : KEY_QUERY_VALUE;
    LONG status = RegOpenKeyExA(devices, subkey, 0, access, &device);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(devices);
        return status;
    }
    if (room == 0) {
        status = RegSetValueExA(device, name, 0, REG_SZ, (const BYTE*)buffer,
                                (DWORD)strlen(buffer) + 1);
    } else {
        DWORD size = (DWORD)room;
        status = QueryRegString(device, name, buffer, &size);
        if (status != ERROR_SUCCESS) buffer[0] = '\0';
    }
    RegCloseKey(device);
    RegCloseKey(devices);
    return status;
}

long GetDefaultDeviceId() {
    char text[20];
    if (DeviceValue(0, "DefDevID", text, sizeof text) != ERROR_SUCCESS) return 0;
    return ParseRegNumber(text);
}

WORD GetFirstModelId(char* name, short room) {
    char model[50];
    if (ReadRegString(10, 0, "0", model, sizeof model) <= 0) return 0;
    if (name && room > 0) CopyBounded(name, model, room);
    return ModelIdFromName(model);
}

WORD GetModelForDevice(long deviceId) {
    if (deviceId == 0) deviceId = GetDefaultDeviceId();
    char model[50];
    WORD id = 0;
    if (DeviceValue(deviceId, "Model", model, sizeof model) == ERROR_SUCCESS)
        id = ModelIdFromName(model);
    return id ? id : GetFirstModelId(nullptr, 0);
}

// Reads one value of the device key; false (and an empty text) when it cannot.
static bool ReadValue(HKEY key, const char* name, char* buffer, DWORD room) {
    DWORD size = room;
    if (QueryRegString(key, name, buffer, &size) == ERROR_SUCCESS) return true;
    buffer[0] = '\0';
    return false;
}

// Reads the record; *called tells whether the device had a model, so that the
// walk can pass over a device that cannot be read.
static int ReadRecord(HKEY key, long deviceId, DeviceRecordCallback callback, void* userData,
                      bool* called) {
    *called = false;
    if (!key) return 0;
    char model[50], derivativeText[10], firmware[50], port[80], country[80];
    WORD modelId = ReadValue(key, "Model", model, sizeof model) ? ModelIdFromName(model) : 0;
    short derivative = 0;
    if (ReadValue(key, "Derivative", derivativeText, sizeof derivativeText)) {
        // Derivative numbers are stored offset by the device id's series.
        long long value = strtol(derivativeText, nullptr, 10);
        value -= (deviceId % 10000) / 10;
        derivative = (short)(WORD)(unsigned long long)value;
    }
    ReadValue(key, "FWRev", firmware, sizeof firmware);
    WORD portId = ReadValue(key, "PortID", port, sizeof port) ? (WORD)ParseRegNumber(port) : 0;
    WORD countryCode =
        ReadValue(key, "CountryCode", country, sizeof country) ? (WORD)ParseRegNumber(country) : 0;
    if (modelId == 0 || !callback) return 0;
    *called = true;
    return callback(key, deviceId, modelId, portId, model, derivative, countryCode, firmware,
                    userData);
}

int ReadDeviceRecord(HKEY deviceKey, long deviceId, DeviceRecordCallback callback,
                     void* userData) {
    bool called;
    return ReadRecord(deviceKey, deviceId, callback, userData, &called);
}

short EnumDevices(DeviceRecordCallback callback, void* userData) {
    LockRegistry();
    short count = 0;
    if (HKEY devices = OpenRegSection(8, 0)) {
        for (DWORD index = 0;; ++index) {
            char name[80];
            DWORD length = sizeof name;
            LONG status =
                RegEnumKeyExA(devices, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_MORE_DATA) continue;  // no device id is that long
            if (status != ERROR_SUCCESS) break;
            long deviceId = ParseRegNumber(name);
            HKEY device = nullptr;
            if (deviceId == 0 ||
                RegOpenKeyExA(devices, name, 0, MAXIMUM_ALLOWED, &device) != ERROR_SUCCESS)
                continue;  // the default-device key, or one we cannot open
            bool called = false;
            int result = ReadRecord(device, deviceId, callback, userData, &called);
            RegCloseKey(device);
            // A device whose model cannot be read is passed over; it must not
            // hide the devices after it.
            if (!called) continue;
            if (result == 0) break;
            ++count;
        }
        RegCloseKey(devices);
    }
    UnlockRegistry();
    return count;
}

namespace {
struct ModelSearch {
    long ModelId;
    long DeviceId;
};

int MatchModel(HKEY, long deviceId, WORD modelId, WORD, const char*, short, WORD, const char*,
               void* userData) {
    ModelSearch* search = (ModelSearch*)userData;
    if ((long)modelId == search->ModelId) search->DeviceId = deviceId;
    return 1;
}
}  // namespace

long FindDeviceForModel(long modelId) {
    ModelSearch search = {modelId, 0};
    EnumDevices(MatchModel, &search);
    return search.DeviceId;
}
