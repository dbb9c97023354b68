// Event object library: named objects that one program signals and other
// programs hear as a posted window message.
//
// An object is named by its object name and a device id, so the same object
// of two devices never mixes. Names are compared without regard to the case
// of ASCII letters. Underneath, each registration owns a named auto-reset
// Win32 event "KLEvObject:<device id>:<OBJECT NAME>#<slot>"; a signal sets
// every registration's event, so every program that registered the object
// hears it. A signal that arrives while an earlier one is still waiting to
// be delivered to the same registration merges with it.
#pragma once
#include <windows.h>

#ifdef EVOBJECT_BUILD
#define EVAPI __declspec(dllexport)
#else
#define EVAPI __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct EvObject* HEVOBJECT;

// Trap modes of EvSetTrapEventMsg.
#define EV_TRAP_NONE 0          // no notification (removes a trap)
#define EV_TRAP_POST_MESSAGE 4  // post a window message on every signal

// Second message parameter (lParam) of a trap message: the object was signalled.
#define EV_SIGNALLED 1

// Longest object name, in bytes without the terminator.
#define EV_MAX_OBJECT_NAME 128
// Most registrations of one object (per device) at the same time.
#define EV_MAX_REGISTRATIONS 32

// Registers interest in an object. Returns a handle, or 0 when the name is
// empty, too long or holds a backslash, or when no registration slot is free.
EVAPI HEVOBJECT EvRegisterObject(const char* objectName, long deviceId);

// Mode EV_TRAP_POST_MESSAGE: from now on, each signal of the object posts
// message to window with wParam as first and EV_SIGNALLED as second
// parameter, from a watcher thread of this library. Mode EV_TRAP_NONE stops
// that. A new trap replaces the previous one. Returns 1 on success, 0 for an
// unknown handle, an unknown mode or a window that does not exist.
EVAPI int EvSetTrapEventMsg(HEVOBJECT object, int mode, HWND window, UINT message,
                            WPARAM wParam);

// Ends the registration and its trap. A handle of 0 or one that is not
// registered is ignored (result 0); otherwise the result is 1.
EVAPI int EvUnregisterObject(HEVOBJECT object);

// Signals the object of the device to every registration. Returns how many
// registrations were signalled (0 when nobody registered it), or -1 for a
// name that EvRegisterObject would refuse.
EVAPI int EvSignalObject(const char* objectName, long deviceId);

#ifdef __cplusplus
}
#endif
