#include "app/startup.h"

#include <string.h>

#include "common/registry/devices.h"
#include "common/registry/values.h"
#include "common/util.h"
#include "maker/devaccess/devaccess.h"
#include "settings/faxsettings.h"

const char kApplicationName[] = "FaxSetupWizard";
const char kSetupClientName[] = "SetupWizard";

namespace {

// Registry section of the model's environment values.
const WORD kEnvSection = 17;
const char kRegistrationIni[] = "KLCV_REG.INI";
// One for the whole computer: the installer runs faxcfg in the services'
// session, beside the wizard on a person's desktop or another administrator's
// remote session.
const char kSetupLockName[] = "Global\\CorvantisFaxSetupRunning";

// Kept from start-up to exit; the second client is there only to be held.
DA_HANDLE SecondClient = 0;
HANDLE SetupLock = nullptr;

// A handle the device library gave back as an error counts as none, so that
// no device call is ever made with it.
DA_HANDLE UsableHandle(DA_HANDLE handle) { return handle > 0 ? handle : 0; }

}  // namespace

bool TakeSetupLock() {
    if (SetupLock) return true;
    bool existed = false;
    HANDLE lock = CreateProductMutex(kSetupLockName, &existed);
    // Its being there is the sign: it lives as long as a holder runs.
    if (!lock || existed) {
        if (lock) CloseHandle(lock);
        return false;
    }
    SetupLock = lock;
    return true;
}

void ReleaseSetupLock() {
    if (SetupLock) CloseHandle(SetupLock);
    SetupLock = nullptr;
}

void SettleDeviceAndModel(int deviceGiven, int modelGiven, long* deviceId, long* modelId) {
    if (deviceGiven) {
        // The device wins over a model given with it.
        *modelId = (long)(WORD)GetModelForDevice(*deviceId);
    } else if (modelGiven) {
        *deviceId = FindDeviceForModel(*modelId);
    } else {
        *deviceId = GetDefaultDeviceId();
        *modelId = (long)(WORD)GetModelForDevice(*deviceId);
    }
    FaxSettings.DeviceId = *deviceId;
}

CString ReadEnvValue(long modelId, const char* name) {
    char buffer[256];
    memset(buffer, 0, sizeof buffer);
    if (ReadRegStringExpanded(kEnvSection, modelId, name, buffer, sizeof buffer,
                              StandardValueFlags) <= 0)
        buffer[0] = '\0';
    return CString(buffer);
}

CString RegistrationIniPath() {
    char path[MAX_PATH];
    memset(path, 0, sizeof path);
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path) path[0] = '\0';
    AddTrailingBackslash(path, sizeof path);
    AppendBounded(path, sizeof path, kRegistrationIni, 0);
    return CString(path);
}

void OpenDeviceConnection(long deviceId) {
    FaxSettings.DeviceClient = UsableHandle(DaRegisterClient(kSetupClientName, 0));
    SecondClient = UsableHandle(DaRegisterClient(kSetupClientName, 0));
    // Without a client there is nothing to connect; the program runs without
    // the device either way.
    if (FaxSettings.DeviceClient) {
        DaConnectDevice(FaxSettings.DeviceClient, deviceId);
        FaxSettings.ObjectChannel =
            UsableHandle(DaOpenObjectChannel(FaxSettings.DeviceClient, 0, 0));
    } else {
        FaxSettings.ObjectChannel = 0;
    }
}

void CloseDeviceConnection() {
    // Each registration that exists is ended, even when the other one failed.
    if (FaxSettings.DeviceClient) {
        DaCloseObjectChannel(FaxSettings.DeviceClient);
        DaUnregisterClient(FaxSettings.DeviceClient);
    }
    if (SecondClient) DaUnregisterClient(SecondClient);
    FaxSettings.ObjectChannel = 0;
    FaxSettings.DeviceClient = 0;
    SecondClient = 0;
}
