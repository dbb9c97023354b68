#include "common/diag.h"

#include <stdio.h>

#include <string>

static const char kTesterFile[] = "KLCTEST.INI";
static const char kTesterSection[] = "Tester Info";

int ReadTesterSwitch(const char* key) {
    // A bare file name: the profile functions look in the Windows directory.
    return (int)GetPrivateProfileIntA(kTesterSection, key, 0, kTesterFile);
}

void FormatAddress(const void* address, char* out, size_t size) {
    snprintf(out, size, "0x%0*llx", (int)(2 * sizeof address),
             (unsigned long long)(ULONG_PTR)address);
}

int RegistryDiagnosticsEnabled() { return ReadTesterSwitch("GetRegString") != 0; }

void* ValidateBuffer(void* buffer, short size, const char* callerName) {
    static long validationSwitch = -1;  // read once, the first time it matters
    static std::string message;         // sized for the caller name, shown whole
    if (!buffer || !IsBadWritePtr(buffer, size > 0 ? (UINT_PTR)size : 0)) return buffer;
    if (validationSwitch == -1) validationSwitch = ReadTesterSwitch("ValidateBuffer");
    if (validationSwitch > 0) {
        const char* format = "Invalid pointer %s allocated in %25s";
        char address[24];
        FormatAddress(buffer, address, sizeof address);
        const char* caller = callerName ? callerName : "";
        int length = snprintf(nullptr, 0, format, address, caller);
        if (length < 0) return nullptr;
        message.assign((size_t)length + 1, '\0');
        snprintf(&message[0], message.size(), format, address, caller);
        message.resize((size_t)length);
        MessageBoxA(nullptr, message.c_str(), "Software Error", MB_OK);
    }
    return nullptr;
}
