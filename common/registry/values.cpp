#include "common/registry/values.h"

#include <mbstring.h>
#include <sddl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "common/diag.h"
#include "common/globalstrings.h"
#include "common/registry/devices.h"
#include "common/registry/layout.h"
#include "common/util.h"

// ---------------------------------------------------------------- query

static LONG QueryOnce(HKEY key, const char* name, char* buffer, DWORD* room, DWORD roomIn) {
    DWORD type = REG_SZ;
    if (room) *room = roomIn;
    return RegQueryValueExA(key, name, nullptr, &type, (BYTE*)buffer, room);
}

// Looks the name up among the key's values without regard to case and reads
// the first match.
static LONG QueryByEnumeration(HKEY key, const char* name, char* buffer, DWORD* room,
                               DWORD roomIn) {
    const DWORD kNameRoom = 30;  // names that do not fit are passed over
    char found[kNameRoom];
    for (DWORD index = 0;; ++index) {
        DWORD length = kNameRoom;
        LONG status = RegEnumValueA(key, index, found, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;  // a longer name cannot be ours
        if (status != ERROR_SUCCESS) return ERROR_INVALID_PARAMETER;
        if (CompareNames(found, name) == 0)
            return QueryOnce(key, found, buffer, room, roomIn);
    }
}

// A string read from the registry need not carry its terminator; make sure
// the buffer holds a terminated text within its size.
static void TerminateStored(char* buffer, DWORD* room, DWORD roomIn) {
    if (!buffer || !room || roomIn == 0) return;
    DWORD n = *room;
    if (n == 0) {
        buffer[0] = '\0';
    } else if (n > roomIn) {
        buffer[roomIn - 1] = '\0';
    } else if (buffer[n - 1] != '\0') {
        if (n < roomIn) {
            buffer[n] = '\0';
            *room = n + 1;
        } else {
            buffer[roomIn - 1] = '\0';
        }
    }
}

static void ShowDiagnostic(const std::string& text) {
    if (RegistryDiagnosticsEnabled())
        MessageBoxA(nullptr, text.c_str(), "GetSimpleRegString", MB_OK);
}

static std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n < 0) return std::string();
    std::string out((size_t)n + 1, '\0');
    va_start(args, format);
    vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize((size_t)n);
    return out;
}

LONG QueryRegString(HKEY key, const char* name, char* buffer, DWORD* room) {
    const DWORD roomIn = room ? *room : 0;
    LONG status = QueryOnce(key, name, buffer, room, roomIn);
    if (status != ERROR_INVALID_PARAMETER) {
        if (status == ERROR_SUCCESS)
            TerminateStored(buffer, room, roomIn);
        else if (room)
            *room = 0;
        return status;
    }

    status = QueryOnce(key, name, buffer, room, roomIn);
    bool searched = false;
    if (status == ERROR_INVALID_PARAMETER) {
        // Only a real read of the matching value counts as success.
        status = QueryByEnumeration(key, name, buffer, room, roomIn);
        searched = true;
    }
    if (status == ERROR_SUCCESS)
        TerminateStored(buffer, room, roomIn);
    else if (room)
        *room = 0;

    const char* shownName = name ? name : "";
    char address[24];
    FormatAddress(buffer, address, sizeof address);
    // The value read is shown only within the bytes that were stored.
    int shown = (status == ERROR_SUCCESS && buffer && room)
                    ? (int)strnlen(buffer, *room)
                    : 0;
    std::string text;
    if (status == ERROR_INVALID_PARAMETER)
        text = Format("String pointer was %s\nUnable to get \"%s\" (Len=%ld)", address,
                      shownName, room ? (long)*room : 0L);
    else if (!searched)
        text = Format("String pointer was %s\nSecond get of \"%s\"\nreturned \"%.*s\"", address,
                      shownName, shown, buffer ? buffer : "");
    else
        text = Format("String pointer was %s\nEnum'ed get of \"%s\"\nreturned \"%.*s\"",
                      address, shownName, shown, buffer ? buffer : "");
    ShowDiagnostic(text);
    return status;
}

// ---------------------------------------------------------------- read and write

short ReadRegString(WORD section, long id, const char* name, char* buffer, short room) {
    // A room that is not positive would reach the platform as a huge size.
    if (!buffer || room <= 0) return 0;
    HKEY key = OpenRegSection(section, id);
    if (!key) {
        buffer[0] = '\0';
        return 0;
    }
    DWORD size = (DWORD)(long)room;
    LONG status = QueryRegString(key, name, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        buffer[0] = '\0';  // never hand out a partial, unterminated read
        return 0;
    }
    return (short)size;
}

short WriteRegString(WORD section, long id, const char* name, const char* text) {
    if (!text) return 0;
    LockRegistry();
    short result = 0;
    if (HKEY key = OpenRegSection(section, id)) {
        size_t length = strlen(text);
        if (length < 0x7FFF &&
            RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)length + 1) ==
                ERROR_SUCCESS)
            result = (short)length;
        RegCloseKey(key);
    }
    UnlockRegistry();
    return result;
}

short ReadRegStringExpanded(WORD section, long id, const char* name, char* buffer, short room,
                            ExpandFlags flags) {
    if (!buffer || room <= 0) return 0;
    if (ReadRegString(section, id, name, buffer, room) <= 0) return 0;
    RegistryContext context = {section, id, name};
    ExpandString(buffer, room, flags, RegistryResolver, &context);
    return (short)strlen(buffer);
}

// ---------------------------------------------------------------- resolver

// The model whose environment values a reference may name.
static WORD ModelOfContext(const RegistryContext* context) {
    WORD model = 0;
    if (context->Id == 0)
        model = 0;
    else if ((context->Section == 15 || context->Section == 16 || context->Section == 17) &&
             context->Id < 65536)
        model = (WORD)context->Id;
    else
        model = GetModelForDevice(context->Id);
    if (model == 0) model = GetFirstModelId(nullptr, 0);
    return model;
}

int RegistryResolver(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    if (!context || !out || room <= 0) return 0;
    out[0] = '\0';
    if (!name || !*name) return 0;
    ExpansionGuard guard(name);
    if (guard.Refused()) return 0;  // a cycle: the reference stays as written

    bool found = false;
    if (const char* global = LookupGlobalString(name)) {
        CopyBounded(out, global, room);
        found = true;
    } else {
        WORD model = ModelOfContext((const RegistryContext*)context);
        found = ReadRegString(17, model, name, out, room) > 0 ||
                ReadRegString(11, model, name, out, room) > 0;
    }
    if (found) ExpandString(out, room, flags, RegistryResolver, context);
    return (int)strlen(out);
}

// ---------------------------------------------------------------- mutex

static HANDLE g_registryMutex = nullptr;

// What the product's programs may do with a shared mutex: wait for it and
// take and release it, nothing more; SYSTEM and Administrators have full control.
static const DWORD kProductMutexUserAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The wizard runs elevated, and the mutex it makes would otherwise get its
// elevated token's default security, which the unelevated programs may not
// open. The medium label keeps the no-write-up rule of the high label that an
// elevated creator would give it from refusing them.
HANDLE CreateProductMutex(const char* name, bool* existed) {
    char sddl[128];
    snprintf(sddl, sizeof sddl,
             "D:P(A;;0x%08lx;;;SY)(A;;0x%08lx;;;BA)(A;;0x%08lx;;;IU)S:(ML;;NW;;;ME)",
             (unsigned long)MUTEX_ALL_ACCESS, (unsigned long)MUTEX_ALL_ACCESS,
             (unsigned long)kProductMutexUserAccess);
    HANDLE mutex = nullptr;
    DWORD error = ERROR_INVALID_SECURITY_DESCR;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
            sddl, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
        mutex = CreateMutexA(&attributes, FALSE, name);
        error = GetLastError();
        LocalFree(attributes.lpSecurityDescriptor);
    }
    // A refused descriptor must not cost the mutex: default security then.
    if (!mutex && error != ERROR_ACCESS_DENIED) {
        mutex = CreateMutexA(nullptr, FALSE, name);
        error = GetLastError();
    }
    // It exists, made by a program with more rights than this one: open it
    // with just the rights the lock needs.
    if (!mutex && error == ERROR_ACCESS_DENIED) {
        mutex = OpenMutexA(kProductMutexUserAccess, FALSE, name);
        error = mutex ? ERROR_ALREADY_EXISTS : GetLastError();
    }
    if (existed) *existed = mutex && error == ERROR_ALREADY_EXISTS;
    return mutex;
}

static HANDLE CreateRegistryMutex() { return CreateProductMutex("klRegMutex", nullptr); }

void LockRegistry() {
    if (!g_registryMutex) {
        HANDLE created = CreateRegistryMutex();
        if (created &&
            InterlockedCompareExchangePointer((PVOID*)&g_registryMutex, created, nullptr) !=
                nullptr)
            CloseHandle(created);  // another thread kept its handle first
    }
    if (g_registryMutex) WaitForSingleObject(g_registryMutex, 5000);
}

void UnlockRegistry() {
    if (g_registryMutex) ReleaseMutex(g_registryMutex);
}
