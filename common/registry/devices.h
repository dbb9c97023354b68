// Installed devices: their registrations under "\Devices", the default
// device, and the model ids computed from model names.
#pragma once
#include <windows.h>

// Decimal number text, or hexadecimal after "0x"; 0 for none or an empty text.
long ParseRegNumber(const char* text);
// Sum of the name's 16-bit little-endian words; 0 for none or an empty name.
WORD ModelIdFromName(const char* name);

// Reads (room above 0) or writes (room 0: the buffer's text) a value of a
// device's key. Returns the platform status, 0 on success.
LONG DeviceValue(long deviceId, const char* name, char* buffer, short room);

long GetDefaultDeviceId();
// Model id of the first model; copies its name when a buffer is given.
WORD GetFirstModelId(char* name, short room);
// Model of a device (0: the default device); the first model when it has none.
WORD GetModelForDevice(long deviceId);

// Called once per device; returns non-zero to go on, 0 to stop the walk.
typedef int (*DeviceRecordCallback)(HKEY deviceKey, long deviceId, WORD modelId, WORD portId,
                                    const char* modelName, short derivative, WORD countryCode,
                                    const char* firmwareRevision, void* userData);

// Reads the device's identity values and hands them to the callback. Returns
// the callback's result, or 0 when the device has no model or no callback.
int ReadDeviceRecord(HKEY deviceKey, long deviceId, DeviceRecordCallback callback,
                     void* userData);
// Walks every registered device under the registry mutex; returns how many
// the callback accepted.
short EnumDevices(DeviceRecordCallback callback, void* userData);
// The device of a model, the last one met when several share it; 0 for none.
long FindDeviceForModel(long modelId);
