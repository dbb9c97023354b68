#include "tests/pages/editor_watch.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstddef>

#include <algorithm>
#include <set>

namespace wiztest {

namespace {

const char kEditor[] = "notepad.exe";

typedef LONG(WINAPI* QueryInformationProcess)(HANDLE, int, void*, ULONG, ULONG*);

struct FindWindowOf {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
    FindWindowOf* find = reinterpret_cast<FindWindowOf*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == find->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        find->window = window;
        return FALSE;
    }
    return TRUE;
}

// Editors started by this process that are running now.
std::vector<DWORD> ChildEditors() {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        const char* name = strrchr(entry.szExeFile, '\\');
        name = name ? name + 1 : entry.szExeFile;
        if (entry.th32ParentProcessID == GetCurrentProcessId() && !_stricmp(name, kEditor))
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

}  // namespace

std::string CommandLineOf(HANDLE process) {
    auto query = (QueryInformationProcess)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                         "NtQueryInformationProcess");
    if (!query) return std::string();
    // The editor has the bitness of this process (both are started from the
    // same prefix's system folder), so its PEB has the layout of ours.
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress)
        return std::string();
    PRTL_USER_PROCESS_PARAMETERS parameters = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process,
                           reinterpret_cast<const char*>(basic.PebBaseAddress) +
                               offsetof(PEB, ProcessParameters),
                           &parameters, sizeof parameters, &read) ||
        !parameters)
        return std::string();
    UNICODE_STRING line = {};
    if (!ReadProcessMemory(process,
                           reinterpret_cast<const char*>(parameters) +
                               offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine),
                           &line, sizeof line, &read) ||
        !line.Buffer)
        return std::string();
    std::wstring text(line.Length / 2, L'\0');
    if (!text.empty() && !ReadProcessMemory(process, line.Buffer, &text[0],
                                            line.Length, &read))
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string out((size_t)(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr,
                            nullptr);
    return out;
}

EditorWatch::EditorWatch(bool closeEditors, std::function<void(const EditorSeen&)> onWindow)
    : close_(closeEditors), onWindow_(onWindow) {
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Thread, this, 0, nullptr);
}

EditorWatch::~EditorWatch() {
    Stop();
    CloseHandle(stop_);
}

DWORD WINAPI EditorWatch::Thread(void* self) {
    static_cast<EditorWatch*>(self)->Loop();
    return 0;
}

void EditorWatch::Loop() {
    std::set<DWORD> known;
    for (;;) {
        bool stopping = WaitForSingleObject(stop_, 50) == WAIT_OBJECT_0;
        for (DWORD id : ChildEditors())
            if (known.insert(id).second) Handle(id);
        if (stopping) return;
    }
}

void EditorWatch::Handle(DWORD processId) {
    EditorSeen seen;
    seen.processId = processId;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE |
                                     SYNCHRONIZE,
                                 FALSE, processId);
    if (!process) return;
    // A process seen the moment it was created may not have its parameters
    // in place yet: read again until they are, or the process has ended.
    seen.commandLine = CommandLineOf(process);
    for (int i = 0; i < 100 && seen.commandLine.empty(); ++i) {
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0) break;
        seen.commandLine = CommandLineOf(process);
    }
    FindWindowOf find = {processId, nullptr};
    for (int i = 0; i < 300 && !find.window; ++i) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) break;
        EnumWindows(FindVisibleWindow, (LPARAM)&find);
        if (!find.window) Sleep(50);
    }
    if (find.window) {
        seen.windowFound = true;
        // The editor names its file once it has read it; until then it
        // shows a new document.
        char title[512] = "";
        for (int i = 0; i < 100; ++i) {
            GetWindowTextA(find.window, title, sizeof title);
            if (title[0] && _strnicmp(title, "Untitled", 8) != 0) break;
            Sleep(50);
        }
        seen.title = title;
        if (onWindow_) onWindow_(seen);
    }
    if (close_ && find.window) {
        PostMessageA(find.window, WM_CLOSE, 0, 0);
        seen.closed = WaitForSingleObject(process, 15000) == WAIT_OBJECT_0;
    }
    std::lock_guard<std::mutex> guard(lock_);
    seen_.push_back(seen);
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
        CloseHandle(process);
    else
        open_.push_back(process);
}

std::vector<EditorSeen> EditorWatch::Stop() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
        // Ours, by the handle opened for its id.
        for (HANDLE process : open_) {
            if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
        open_.clear();
    }
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

size_t EditorWatch::Count() {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_.size();
}

}  // namespace wiztest
