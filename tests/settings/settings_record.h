// The settings record as start-up leaves it, pointed at files in a test's own
// folder, and the values a save leaves in those files.
#pragma once
#include <stdio.h>

#include <string>

#include "app/profile.h"
#include "settings/faxsettings.h"
#include "tests/support/test_support.h"

namespace settingstest {

// Construction values, no device connection; the product INI, the
// registration INI and the data folder in dir.
inline void ResetRecord(const wiztest::TempDir& dir, long deviceId) {
    CFaxSettings& f = FaxSettings;
    f.DeviceId = deviceId;
    f.DeviceIniPath = dir.File("KLCV_REG.INI").c_str();
    f.ProdIniFile = dir.File("prod.ini").c_str();
    f.DataDir = dir.path().c_str();
    f.ProgramDir = "";
    f.DeviceClient = 0;
    f.ObjectChannel = 0;
    f.RingPatternIndex = 0;
    f.DistinctiveRing = 0;
    f.DedicatedLine = 1;
    f.TAM = 0;
    f.Modem = 0;
    f.FaxNumber = "";
    f.VoiceNumber = "";
    f.UserName = "";
    f.Company = "";
    f.RingsToAnswer = 1;
    f.AutoAnswer = 1;
    f.DeviceOptionSupported = 0;
    f.DeviceOption = 0;
}

// A key of section "Setup" of the product INI; "<none>" when it is missing.
inline std::string ProductValue(const char* key) {
    return ReadIniString("Setup", key, "<none>", FaxSettings.ProdIniFile);
}

// A key of the device's section of the registration INI; "<none>" when missing.
inline std::string RegistrationValue(const char* key) {
    char section[32];
    snprintf(section, sizeof section, "Device: %ld", FaxSettings.DeviceId);
    return ReadIniString(section, key, "<none>", FaxSettings.DeviceIniPath);
}

}  // namespace settingstest
