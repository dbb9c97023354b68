// String values of the product's registry tree, addressed by section id.
#pragma once
#include <windows.h>

#include "common/expand.h"

// Context of RegistryResolver: where the value being expanded came from.
struct RegistryContext {
    WORD Section;
    long Id;
    const char* ValueName;
};

// Queries a string value of an open key. room: in, the buffer's size; out, the
// bytes stored, terminator included (0 on failure). Works around repeated
// invalid-parameter answers and reports them when the tester asks for it.
LONG QueryRegString(HKEY key, const char* name, char* buffer, DWORD* room);

// Bytes stored, terminator included; 0 on failure.
short ReadRegString(WORD section, long id, const char* name, char* buffer, short room);
// Length of the text written; 0 on failure. Serialised by the registry mutex.
short WriteRegString(WORD section, long id, const char* name, const char* text);
// Reads and expands $name$ references; length of the result, 0 on failure.
short ReadRegStringExpanded(WORD section, long id, const char* name, char* buffer, short room,
                            ExpandFlags flags);

// Global strings first, then the environment values of the context's model.
int RegistryResolver(const char* name, ExpandFlags flags, char* out, short room, void* context);

// Creates the named mutex (not owned) with a security that lets the product's
// programs, elevated or not, open it to wait, take and release it; opens it
// when it exists. existed (may be null) tells whether it was there before.
// Null when it can be neither made nor opened.
HANDLE CreateProductMutex(const char* name, bool* existed);

// The mutex "klRegMutex" that the maker's programs share; the wait gives up
// after 5 s and the caller goes on regardless.
void LockRegistry();
void UnlockRegistry();
