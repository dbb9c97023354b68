#include "settings/devobjects.h"

#include <string.h>

#include "common/util.h"
#include "maker/devaccess/devaccess.h"

static void ReadValue(long client, WORD objectId, void* buffer, long size) {
    memset(buffer, 0, (size_t)size);
    unsigned char type = 0;
    long length = 0;
    DaGetObjectValue(client, objectId, buffer, size, &type, &length);
}

short GetObjectShort(long client, WORD objectId) {
    short value;
    ReadValue(client, objectId, &value, sizeof value);
    return value;
}

long GetObjectLong(long client, WORD objectId) {
    long value;
    ReadValue(client, objectId, &value, sizeof value);
    return value;
}

const char* GetObjectText(long client, WORD objectId) {
    static char result[257];
    char buffer[256];
    ReadValue(client, objectId, buffer, sizeof buffer);
    // The device's text need not be terminated: all 256 bytes are kept.
    CopyCount(buffer, result, sizeof buffer);
    return result;
}

static int WriteValue(long client, WORD objectId, const void* value, long type, long length,
                      void* reply, long replySize) {
    long replyLength = 0;
    long r = DaSetObjectValue(client, objectId, value, type, length, reply, replySize,
                              &replyLength);
    return r >= 0 ? 1 : 0;
}

int SetObjectShort(long client, WORD objectId, long value) {
    short v = (short)(value & 0xFFFF);
    short reply = 0;
    return WriteValue(client, objectId, &v, DA_TYPE_SHORT, 2, &reply, sizeof reply);
}

int SetObjectLong(long client, WORD objectId, long value) {
    long reply = 0;
    return WriteValue(client, objectId, &value, DA_TYPE_LONG, 4, &reply, sizeof reply);
}

int SetObjectEnum(long client, WORD objectId, long value) {
    long reply = 0;
    return WriteValue(client, objectId, &value, DA_TYPE_ENUM, 4, &reply, sizeof reply);
}

int SetObjectText(long client, WORD objectId, const char* text) {
    if (!text) text = "";
    char converted[256];
    CopyReplacingDbcs(text, converted, 255);
    char reply[256];
    memset(reply, 0, sizeof reply);
    size_t sourceLength = strlen(text);
    long replySize = sourceLength + 1 < sizeof reply ? (long)sourceLength + 1 : (long)sizeof reply;
    return WriteValue(client, objectId, converted, DA_TYPE_TEXT, (long)strlen(converted), reply,
                      replySize);
}
