#include "maker/objsec/objsec.h"

#include <sddl.h>
#include <stdio.h>

namespace {

// Full control for SYSTEM and Administrators, the given rights for the
// interactive user; the medium label keeps the no-write-up rule of an elevated
// creator's high label from refusing those rights. False when the platform
// cannot build it.
bool BuildSecurity(DWORD fullAccess, DWORD userAccess, SECURITY_ATTRIBUTES& attributes) {
    char sddl[128];
    snprintf(sddl, sizeof sddl,
             "D:P(A;;0x%08lx;;;SY)(A;;0x%08lx;;;BA)(A;;0x%08lx;;;IU)S:(ML;;NW;;;ME)",
             (unsigned long)fullAccess, (unsigned long)fullAccess, (unsigned long)userAccess);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
    return true;
}

// Create(attributes) makes or opens the object with full access; Open(rights)
// opens an existing one with fewer.
template <class Create, class Open>
HANDLE CreateShared(DWORD fullAccess, DWORD userAccess, Create create, Open open) {
    HANDLE handle = nullptr;
    DWORD error = ERROR_INVALID_SECURITY_DESCR;
    SECURITY_ATTRIBUTES attributes;
    if (BuildSecurity(fullAccess, userAccess, attributes)) {
        handle = create(&attributes);
        error = GetLastError();
        LocalFree(attributes.lpSecurityDescriptor);
    }
    // A descriptor the platform refuses must not cost the object itself.
    if (!handle && error != ERROR_ACCESS_DENIED) {
        handle = create(nullptr);
        error = GetLastError();
    }
    // It exists, made by a program with more rights than this one.
    if (!handle && error == ERROR_ACCESS_DENIED) {
        handle = open(userAccess);
        error = handle ? ERROR_ALREADY_EXISTS : GetLastError();
    }
    SetLastError(error);
    return handle;
}

}  // namespace

HANDLE CreateSharedMutex(const char* name) {
    return CreateShared(
        MUTEX_ALL_ACCESS, SYNCHRONIZE | MUTEX_MODIFY_STATE,
        [name](SECURITY_ATTRIBUTES* a) { return CreateMutexA(a, FALSE, name); },
        [name](DWORD rights) { return OpenMutexA(rights, FALSE, name); });
}

HANDLE CreateSharedEvent(const char* name, BOOL manualReset) {
    return CreateShared(
        EVENT_ALL_ACCESS, SYNCHRONIZE | EVENT_MODIFY_STATE,
        [name, manualReset](SECURITY_ATTRIBUTES* a) {
            return CreateEventA(a, manualReset, FALSE, name);
        },
        [name](DWORD rights) { return OpenEventA(rights, FALSE, name); });
}
