// Holds the registry mutex "klRegMutex" for a while, as another of the maker's
// programs would, taking it the way they all do. Usage:
// mutexholder <milliseconds> <ready event name>
// The event is signalled once the mutex is held.
#include <windows.h>

#include <stdlib.h>

#include "common/registry/values.h"

int main(int argc, char** argv) {
    if (argc < 3) return 1;
    DWORD hold = (DWORD)atol(argv[1]);
    LockRegistry();
    // The lock goes on without the mutex after its wait; the mutex is
    // re-entrant, so a wait of no time tells whether this thread holds it.
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "klRegMutex");
    if (!mutex) return 2;
    DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return 3;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2])) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(hold);
    UnlockRegistry();
    return 0;
}
