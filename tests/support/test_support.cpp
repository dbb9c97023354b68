#include "tests/support/test_support.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>

namespace wiztest {

PageEndBuffer::PageEndBuffer(size_t size, char fill) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_t page = info.dwPageSize;
    size_t span = (size + page - 1) / page * page;
    base_ = (char*)VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old);
    data_ = base_ + span - size;
    memset(data_, fill, size);
}

PageEndBuffer::PageEndBuffer(const std::string& bytes) : PageEndBuffer(bytes.size()) {
    memcpy(data_, bytes.data(), bytes.size());
}

PageEndBuffer::~PageEndBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }

GuardedBuffer::GuardedBuffer(size_t size, char fill) : size_(size), mem_(size + kGuard, '\xA5') {
    memset(mem_.data(), fill, size);
}

bool GuardedBuffer::Intact() const {
    for (size_t i = size_; i < size_ + kGuard; ++i)
        if (mem_[i] != '\xA5') return false;
    return true;
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static LONG counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%swiztest_%lu_%ld_%lu", base, GetCurrentProcessId(),
                 InterlockedIncrement(&counter), GetTickCount());
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::File(const std::string& name) const { return path_ + "\\" + name; }

void TempDir::Write(const std::string& name, const std::string& contents) const {
    WriteFile(File(name), contents);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ReadFile(const std::string& path) {
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

bool WriteFile(const std::string& path, const std::string& contents) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    return fclose(f) == 0 && ok;
}

static std::string UnixToWindows(const char* unixPath) {
    if (!unixPath || !*unixPath) return std::string();
    std::string out = "Z:";
    for (const char* p = unixPath; *p; ++p) out += (*p == '/') ? '\\' : *p;
    return out;
}

std::string SourceDir() { return UnixToWindows(getenv("WIZ_SOURCE_DIR")); }
std::string BinaryDir() { return UnixToWindows(getenv("WIZ_BINARY_DIR")); }

std::string BinDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

std::string TesterFile() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\KLCTEST.INI";
}

void MessageBoxWatcher::Start(DWORD timeoutMs) {
    timeoutMs_ = timeoutMs;
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

void MessageBoxWatcher::Join() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

DWORD WINAPI MessageBoxWatcher::Watch(void* param) {
    MessageBoxWatcher* self = static_cast<MessageBoxWatcher*>(param);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < self->timeoutMs_) {
        if (HWND box = FindWindowA("#32770", self->caption_.c_str())) {
            char buf[1024] = "";
            GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
            self->text_ = buf;
            self->seen_ = true;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(20);
    }
    return 0;
}

int RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return (int)code;
}

ObjectAccess ReadMutexAccess(const std::string& name) {
    HANDLE mutex = OpenMutexA(READ_CONTROL, FALSE, name.c_str());
    ObjectAccess access = mutex ? ReadObjectAccess(mutex) : ObjectAccess();
    if (mutex) CloseHandle(mutex);
    return access;
}

ObjectAccess ReadEventAccess(const std::string& name) {
    HANDLE event = OpenEventA(READ_CONTROL, FALSE, name.c_str());
    ObjectAccess access = event ? ReadObjectAccess(event) : ObjectAccess();
    if (event) CloseHandle(event);
    return access;
}

ObjectAccess ReadObjectAccess(HANDLE object) {
    ObjectAccess access;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return access;
    PSID system = nullptr, admins = nullptr, interactive = nullptr;
    if (dacl && ConvertStringSidToSidA("S-1-5-18", &system) &&
        ConvertStringSidToSidA("S-1-5-32-544", &admins) &&
        ConvertStringSidToSidA("S-1-5-4", &interactive)) {
        access.HasDacl = true;
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            if (!GetAce(dacl, i, (void**)&ace) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
                continue;
            PSID sid = &ace->SidStart;
            DWORD& rights = EqualSid(sid, system)        ? access.System
                            : EqualSid(sid, admins)      ? access.Admins
                            : EqualSid(sid, interactive) ? access.Interactive
                                                         : access.Others;
            rights |= ace->Mask;
        }
    }
    LocalFree(system);
    LocalFree(admins);
    LocalFree(interactive);
    LocalFree(descriptor);
    return access;
}

}  // namespace wiztest
