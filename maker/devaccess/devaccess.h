/* Device access library: client registration, device connection, the
   management-object channel, object values, integer parameters and device
   information. Results of 0 or more mean success, negative results failure. */
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef DEVACCESS_BUILD
#define DA_API __declspec(dllexport)
#else
#define DA_API __declspec(dllimport)
#endif

/* Client and channel handles; 0 is never a valid handle. */
typedef long DA_HANDLE;

/* Type codes of object values. */
#define DA_TYPE_SHORT 1 /* 16-bit integer, length 2 */
#define DA_TYPE_LONG 2  /* 32-bit integer, length 4 */
#define DA_TYPE_TEXT 4  /* single-byte text without terminator, its length */
#define DA_TYPE_ENUM 8  /* 32-bit enumerated code, length 4 */

/* Longest text value a device keeps. */
#define DA_MAX_TEXT 256

#define DA_OK 0
#define DA_E_HANDLE (-1)        /* 0 or unknown client handle */
#define DA_E_NOT_CONNECTED (-2) /* the client has no device */
#define DA_E_NO_DEVICE (-3)     /* no device with that id */
#define DA_E_OFFLINE (-4)       /* the device does not answer */
#define DA_E_NO_CHANNEL (-5)    /* no management-object channel open */
#define DA_E_ARGUMENT (-6)      /* bad pointer, size or length */
#define DA_E_TYPE (-7)          /* unknown type code or not the object's type */
#define DA_E_UNKNOWN (-8)       /* no such object, parameter or information item */
#define DA_E_REFUSED (-9)       /* the device refused the write */
#define DA_E_STORE (-10)        /* the device state could not be read or kept */

/* Registers a client; returns its handle, 0 on failure. flags must be 0. */
DA_API DA_HANDLE DaRegisterClient(const char* clientName, long flags);
/* Ends a client; its channel is closed with it. */
DA_API long DaUnregisterClient(DA_HANDLE client);
/* Binds the client to a device. */
DA_API long DaConnectDevice(DA_HANDLE client, long deviceId);
/* Opens the management-object channel of a connected client; returns the
   channel handle, 0 when the device cannot be reached. Both reserved must be 0. */
DA_API DA_HANDLE DaOpenObjectChannel(DA_HANDLE client, long reserved1, long reserved2);
DA_API long DaCloseObjectChannel(DA_HANDLE client);

/* Reads an object's value: at most size bytes into buffer. valueType gets the
   object's type code and valueLength the number of bytes delivered (either may
   be null). Returns DA_OK or an error; on error the buffer is left alone. */
DA_API long DaGetObjectValue(DA_HANDLE client, unsigned short objectId, void* buffer, long size,
                             unsigned char* valueType, long* valueLength);
/* Writes an object's value of the given type and length. The device echoes the
   value it keeps into reply (at most replySize bytes, terminated when there is
   room) and its length into replyLength (either may be null). */
DA_API long DaSetObjectValue(DA_HANDLE client, unsigned short objectId, const void* value,
                             long type, long length, void* reply, long replySize,
                             long* replyLength);

/* Integer parameters: reading gives the low 16 bits of the device's value. */
DA_API long DaGetIntParam(DA_HANDLE client, unsigned short parameter, unsigned short* value);
DA_API long DaSetIntParam(DA_HANDLE client, unsigned short parameter, long value);

/* An information item's value, or a negative error. */
DA_API long DaGetDeviceInfo(DA_HANDLE client, unsigned short item);

#ifdef __cplusplus
}
#endif
