// Holds the registry mutex "klRegMutex" for a while, as another of the maker's
// programs would. Usage: mutexholder <milliseconds> <ready event name>
// The event is signalled once the mutex is held.
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc < 3) return 1;
    DWORD hold = (DWORD)atol(argv[1]);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "klRegMutex");
    if (!mutex) return 2;
    DWORD wait = WaitForSingleObject(mutex, 10000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return 3;
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2])) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(hold);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
