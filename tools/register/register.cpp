// register [/log <file>] [/quiet] [/close <seconds>] [anything else]
// The demo product's registration program. Every start appends one line to
// the registration log (default "registration.log" beside the program), so
// it can be seen how often registration was started and with what. Unless
// /quiet is given it then thanks the user in a message box, which /close
// closes by itself after the given number of seconds.
// Exit code: 0 when the line was written, 1 when the log could not be
// written, 2 for a wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kTitle[] = "Product Registration";

std::string Narrow(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::string DefaultLog() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n < sizeof path ? n : 0);
    size_t slash = s.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : s.substr(0, slash + 1)) +
           "registration.log";
}

// Appends one whole line; several copies may append at the same moment.
bool AppendLine(const std::string& path, const std::string& line) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 50 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_SHARING_VIOLATION) break;
            Sleep(20);
        }
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, line.data(), (DWORD)line.size(), &written, nullptr) &&
              written == line.size();
    CloseHandle(file);
    return ok;
}

BOOL CALLBACK CloseOwnBox(HWND window, LPARAM) {
    char className[16];
    if (GetClassNameA(window, className, sizeof className) && !strcmp(className, "#32770")) {
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), CloseOwnBox, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    std::string log = DefaultLog(), rest;
    bool quiet = false;
    int closeSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = Narrow(argv[i]);
        if (!_stricmp(arg.c_str(), "/log") || !_stricmp(arg.c_str(), "-log")) {
            if (++i >= argc) return 2;
            log = Narrow(argv[i]);
        } else if (!_stricmp(arg.c_str(), "/quiet") || !_stricmp(arg.c_str(), "-quiet")) {
            quiet = true;
        } else if (!_stricmp(arg.c_str(), "/close") || !_stricmp(arg.c_str(), "-close")) {
            if (++i >= argc) return 2;
            closeSeconds = atoi(Narrow(argv[i]).c_str());
        } else {
            if (!rest.empty()) rest += ' ';
            rest += arg;
        }
    }
    LocalFree(argv);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    std::string line = std::string(stamp) + " registration started, process " +
                       std::to_string(GetCurrentProcessId());
    if (!rest.empty()) line += ", arguments: " + rest;
    line += "\r\n";
    bool logged = AppendLine(log, line);

    if (!quiet) {
        if (closeSeconds > 0) SetTimer(nullptr, 0, closeSeconds * 1000u, CloseTimer);
        MessageBoxA(nullptr,
                    logged ? "Thank you for registering your Corvantis fax printer.\n\n"
                             "Your registration has been recorded."
                           : "Your registration could not be recorded.\n\n"
                             "Please start product registration again later.",
                    kTitle, MB_OK | (logged ? MB_ICONINFORMATION : MB_ICONWARNING));
    }
    return logged ? 0 : 1;
}
