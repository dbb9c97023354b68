// The start-up and shut-down steps that every program of the product which
// works on the fax settings takes alike: the wizard and faxcfg.
#pragma once
#include <windows.h>

#include "framework/cstring.h"

// The wizard's name in the product information file: its resource module
// is found under it, by faxcfg too.
extern const char kApplicationName[];

// The device access clients' name: the device tells its clients apart by it.
extern const char kSetupClientName[];

// Taken by the wizard and by faxcfg for as long as they run, so that only one
// of them changes the settings at a time. False when another holds it (or it
// cannot be had): the caller must not go on.
bool TakeSetupLock();
void ReleaseSetupLock();

// The device id and model id from what the command line gave: a device wins
// over a model; neither gives the default device. Sets FaxSettings.DeviceId.
void SettleDeviceAndModel(int deviceGiven, int modelGiven, long* deviceId, long* modelId);

// A value of the model's environment (registry section 17), expanded; empty
// when it cannot be read.
CString ReadEnvValue(long modelId, const char* name);

// The registration INI: "KLCV_REG.INI" in the Windows folder.
CString RegistrationIniPath();

// Registers the two clients, connects the first to the device and opens its
// channel into FaxSettings; handles the library refused stay 0.
void OpenDeviceConnection(long deviceId);
// Closes the channel and ends each registration that exists.
void CloseDeviceConnection();
