#include "common/timing.h"

#include <windows.h>

#include <stdio.h>

namespace {

typedef VOID(WINAPI* PreciseTime)(LPFILETIME);

struct Timing {
    HANDLE file = INVALID_HANDLE_VALUE;
    ULONGLONG created = 0;  // 100-ns units
    PreciseTime now = nullptr;
};

// Opened on the first mark; stays open for the process, so a mark is one write.
Timing* Open() {
    static int state = -1;  // -1 not looked at, 0 off, 1 on
    static Timing timing;
    if (state == 0) return nullptr;
    if (state == 1) return &timing;
    state = 0;
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("WIZ_TIMING", path, sizeof path);
    if (n == 0 || n >= sizeof path) return nullptr;
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return nullptr;
    timing.file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (timing.file == INVALID_HANDLE_VALUE) return nullptr;
    timing.created = ((ULONGLONG)created.dwHighDateTime << 32) | created.dwLowDateTime;
    // The precise clock where the system has it: the plain one ticks in
    // steps of up to 16 ms.
    timing.now = (PreciseTime)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                     "GetSystemTimePreciseAsFileTime");
    if (!timing.now) timing.now = GetSystemTimeAsFileTime;
    state = 1;
    return &timing;
}

}  // namespace

void TimingMark(const char* step) {
    Timing* timing = Open();
    if (!timing) return;
    FILETIME now;
    timing->now(&now);
    ULONGLONG t = ((ULONGLONG)now.dwHighDateTime << 32) | now.dwLowDateTime;
    char line[160];
    int n = snprintf(line, sizeof line, "%.3f %s\r\n",
                     (double)(LONGLONG)(t - timing->created) / 10000.0, step ? step : "");
    if (n <= 0) return;
    if (n >= (int)sizeof line) n = (int)sizeof line - 1;
    DWORD written = 0;
    WriteFile(timing->file, line, (DWORD)n, &written, nullptr);
}

void TimingMarkPage(int pageId, const char* step) {
    if (!Open()) return;
    char text[96];
    snprintf(text, sizeof text, "page %d %s", pageId, step ? step : "");
    TimingMark(text);
}
