// Wrappers over the device's numbered management objects: one library call
// each, with fixed sizes and type codes. Callers check that a client and a
// channel exist before they call.
#pragma once
#include <windows.h>

// Reads give 0 or an empty text when the device delivers nothing.
short GetObjectShort(long client, WORD objectId);
long GetObjectLong(long client, WORD objectId);
// Pointer to a shared 257-byte area that the next text read replaces.
const char* GetObjectText(long client, WORD objectId);

// Writes return 1 when the device took the value, else 0.
int SetObjectShort(long client, WORD objectId, long value);  // low 16 bits
int SetObjectLong(long client, WORD objectId, long value);
int SetObjectEnum(long client, WORD objectId, long value);
// Double-byte characters reach the device as one "?" each.
int SetObjectText(long client, WORD objectId, const char* text);
