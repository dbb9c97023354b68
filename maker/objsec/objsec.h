// Named objects that the maker's libraries share between the product's
// programs. The wizard may run elevated while the others do not: an object
// made with the creator's default security would shut them out.
#pragma once
#include <windows.h>

// Creates a named mutex (not owned) or event, or opens the one that exists.
// A new object gives SYSTEM and Administrators full control and the
// interactive user's programs just what they use (wait, and take or signal),
// labelled medium integrity so that an elevated creator's label does not
// lock them out. An existing object that may not be opened with full access
// is opened with those rights alone. GetLastError() is ERROR_ALREADY_EXISTS
// when the object was there before.
HANDLE CreateSharedMutex(const char* name);
HANDLE CreateSharedEvent(const char* name, BOOL manualReset);
