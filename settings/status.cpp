#include "settings/status.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "common/registry/layout.h"

bool RecordSetupStatus(const char* by, long exitCode, bool printerConfigured, long deviceId) {
    char path[256];
    EnsureRegistryPaths();
    if (GetRegSectionStr(6, 0, path, sizeof path - 8) <= 0 || !RootKey) return false;
    strcat(path, "\\Status");
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char time[32];
    snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    DWORD numbers[] = {(DWORD)exitCode, printerConfigured ? 1u : 0u, (DWORD)deviceId};
    const char* numberNames[] = {"ExitCode", "PrinterConfigured", "Device"};
    bool ok = RegSetValueExA(key, "Time", 0, REG_SZ, (const BYTE*)time, (DWORD)strlen(time) + 1) ==
                  ERROR_SUCCESS &&
              RegSetValueExA(key, "By", 0, REG_SZ, (const BYTE*)by, (DWORD)strlen(by) + 1) ==
                  ERROR_SUCCESS;
    for (int i = 0; i < 3; ++i)
        ok &= RegSetValueExA(key, numberNames[i], 0, REG_DWORD, (const BYTE*)&numbers[i],
                             sizeof numbers[i]) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
