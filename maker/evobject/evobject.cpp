#include "maker/evobject/evobject.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <string>

#include "maker/objsec/objsec.h"

struct EvObject {
    HANDLE Event;   // this registration's slot event
    HANDLE Stop;    // ends the watcher thread
    HANDLE Watcher; // thread that turns signals into messages; none without a trap
    HWND Window;
    UINT Message;
    WPARAM FirstParam;
    std::string Name;  // the slot event's name
};

namespace {

// With EV_TRACE_FILE naming a file, registrations and their ends are appended
// to it, "<process id> register|unregister <name>", so another program can
// see whether a program let go of its objects before it ended.
void Trace(const char* call, const std::string& name) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("EV_TRACE_FILE", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    HANDLE mutex = CreateSharedMutex("KLEvObjectTrace");
    if (mutex) WaitForSingleObject(mutex, 5000);
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        std::string line =
            std::to_string(GetCurrentProcessId()) + " " + call + " " + name + "\r\n";
        DWORD written = 0;
        WriteFile(f, line.data(), (DWORD)line.size(), &written, nullptr);
        CloseHandle(f);
    }
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

// Handles given out and not yet unregistered; a handle is used only when it
// is found here, so a stale or made-up handle cannot reach freed memory.
class LiveObjects {
public:
    LiveObjects() { InitializeCriticalSection(&lock_); }
    void Lock() { EnterCriticalSection(&lock_); }
    void Unlock() { LeaveCriticalSection(&lock_); }
    std::set<EvObject*> objects;

private:
    CRITICAL_SECTION lock_;
};

LiveObjects& Live() {
    static LiveObjects live;
    return live;
}

struct Locked {
    Locked() { Live().Lock(); }
    ~Locked() { Live().Unlock(); }
};

// Builds the base name shared by every registration of the object; false for
// a name that cannot be an object name.
bool BaseName(const char* objectName, long deviceId, char* out, size_t size) {
    if (!objectName || !*objectName) return false;
    size_t length = strlen(objectName);
    if (length > EV_MAX_OBJECT_NAME) return false;
    char upper[EV_MAX_OBJECT_NAME + 1];
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)objectName[i];
        if (IsDBCSLeadByte(c) && i + 1 < length) {
            upper[i] = (char)c;
            upper[i + 1] = objectName[i + 1];
            ++i;
            continue;
        }
        // A backslash would name a kernel object namespace instead.
        if (c == '\\') return false;
        upper[i] = (char)((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    }
    upper[length] = '\0';
    int n = snprintf(out, size, "KLEvObject:%ld:%s", deviceId, upper);
    return n > 0 && (size_t)n < size;
}

void SlotName(const char* base, int slot, char* out, size_t size) {
    snprintf(out, size, "%s#%d", base, slot);
}

DWORD WINAPI WatchObject(void* parameter) {
    EvObject* object = static_cast<EvObject*>(parameter);
    // The stop event comes first, so that a stop wins over a pending signal.
    HANDLE waits[2] = {object->Stop, object->Event};
    for (;;) {
        DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result != WAIT_OBJECT_0 + 1) break;
        PostMessageA(object->Window, object->Message, object->FirstParam, EV_SIGNALLED);
    }
    return 0;
}

// Ends the watcher thread. Returns false when it did not end in time, in
// which case the object must not be freed.
bool StopWatcher(EvObject* object) {
    if (!object->Watcher) return true;
    SetEvent(object->Stop);
    bool ended = WaitForSingleObject(object->Watcher, 10000) == WAIT_OBJECT_0;
    CloseHandle(object->Watcher);
    object->Watcher = nullptr;
    ResetEvent(object->Stop);
    return ended;
}

}  // namespace

extern "C" {

HEVOBJECT EvRegisterObject(const char* objectName, long deviceId) {
    char base[EV_MAX_OBJECT_NAME + 64];
    if (!BaseName(objectName, deviceId, base, sizeof base)) return nullptr;

    // Each registration takes the first slot nobody holds; creating a named
    // object is atomic, so two programs never get the same slot. The slot is
    // made so that the other programs may signal it even when this one runs
    // elevated.
    HANDLE event = nullptr;
    char name[sizeof base + 16] = "";
    for (int slot = 0; slot < EV_MAX_REGISTRATIONS && !event; ++slot) {
        SlotName(base, slot, name, sizeof name);
        HANDLE h = CreateSharedEvent(name, FALSE);
        if (!h) return nullptr;
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            CloseHandle(h);
        else
            event = h;
    }
    if (!event) return nullptr;

    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EvObject* object = stop ? new (std::nothrow) EvObject() : nullptr;
    if (!object) {
        if (stop) CloseHandle(stop);
        CloseHandle(event);
        return nullptr;
    }
    object->Event = event;
    object->Stop = stop;
    object->Name = name;
    Locked lock;
    Live().objects.insert(object);
    Trace("register", object->Name);
    return object;
}

int EvSetTrapEventMsg(HEVOBJECT object, int mode, HWND window, UINT message, WPARAM wParam) {
    if (mode != EV_TRAP_NONE && mode != EV_TRAP_POST_MESSAGE) return 0;
    if (mode == EV_TRAP_POST_MESSAGE && !IsWindow(window)) return 0;
    Locked lock;
    if (!object || !Live().objects.count(object)) return 0;
    if (!StopWatcher(object)) return 0;
    if (mode == EV_TRAP_NONE) return 1;

    object->Window = window;
    object->Message = message;
    object->FirstParam = wParam;
    object->Watcher = CreateThread(nullptr, 0, WatchObject, object, 0, nullptr);
    return object->Watcher ? 1 : 0;
}

int EvUnregisterObject(HEVOBJECT object) {
    if (!object) return 0;
    Locked lock;
    if (!Live().objects.erase(object)) return 0;
    Trace("unregister", object->Name);
    // A watcher that cannot be stopped may still read the object: keep it.
    if (!StopWatcher(object)) return 1;
    CloseHandle(object->Event);
    CloseHandle(object->Stop);
    delete object;
    return 1;
}

int EvSignalObject(const char* objectName, long deviceId) {
    char base[EV_MAX_OBJECT_NAME + 64];
    if (!BaseName(objectName, deviceId, base, sizeof base)) return -1;
    // Slots are freed in any order, so every slot is tried.
    int signalled = 0;
    for (int slot = 0; slot < EV_MAX_REGISTRATIONS; ++slot) {
        char name[sizeof base + 16];
        SlotName(base, slot, name, sizeof name);
        HANDLE h = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
        if (!h) continue;
        if (SetEvent(h)) ++signalled;
        CloseHandle(h);
    }
    return signalled;
}

}  // extern "C"
