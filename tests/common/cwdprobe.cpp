// A DLL that tells its loader, through the process environment, which
// directory was current and which error mode was set while it was loaded.
#include <windows.h>

#include <stdio.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char directory[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof directory, directory);
        SetEnvironmentVariableA("WIZ_PROBE_CWD", directory);
        UINT mode = SetErrorMode(0);
        SetErrorMode(mode);
        char text[16];
        snprintf(text, sizeof text, "%u", mode);
        SetEnvironmentVariableA("WIZ_PROBE_ERRMODE", text);
    }
    return TRUE;
}
