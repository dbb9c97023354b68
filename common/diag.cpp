#include "common/diag.h"

#include <stdio.h>

static const char kTesterFile[] = "KLCTEST.INI";
static const char kTesterSection[] = "Tester Info";

int ReadTesterSwitch(const char* key) {
    // A bare file name: the profile functions look in the Windows directory.
    return (int)GetPrivateProfileIntA(kTesterSection, key, 0, kTesterFile);
}

int RegistryDiagnosticsEnabled() { return ReadTesterSwitch("GetRegString") != 0; }

void* ValidateBuffer(void* buffer, short size, const char* callerName) {
    static long validationSwitch = -1;  // read once, the first time it matters
    static char message[128];
    if (!buffer || !IsBadWritePtr(buffer, size > 0 ? (UINT_PTR)size : 0)) return buffer;
    if (validationSwitch == -1) validationSwitch = ReadTesterSwitch("ValidateBuffer");
    if (validationSwitch > 0) {
        snprintf(message, sizeof message, "Invalid pointer 0x%08lx allocated in %25s",
                 (unsigned long)(ULONG_PTR)buffer, callerName ? callerName : "");
        MessageBoxA(nullptr, message, "Software Error", MB_OK);
    }
    return nullptr;
}
