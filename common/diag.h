// Tester's diagnostics: the switch file "KLCTEST.INI" in the Windows directory.
#pragma once
#include <windows.h>

// Returns buffer, or none when it is not writable for size bytes; with the
// "ValidateBuffer" switch on, a message box names the caller.
void* ValidateBuffer(void* buffer, short size, const char* callerName);

// Integer switch of section "Tester Info" of the tester's file (0 when absent).
int ReadTesterSwitch(const char* key);

// Whether the registry value access shows its diagnostic message boxes.
int RegistryDiagnosticsEnabled();

// An address as the diagnostic messages show it: "0x" and 8 hexadecimal
// digits, 16 in a 64-bit build, so no part of it is lost. Needs 19 bytes.
void FormatAddress(const void* address, char* out, size_t size);
