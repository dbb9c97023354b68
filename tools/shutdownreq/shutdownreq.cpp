// shutdownreq <device id> [object name]
// Signals the event object "ShutdownRequest" (or the object named) of one
// device, as the product's other programs do when the wizard has to close.
// Exit code: 0 when some program heard it, 1 when nobody had registered the
// object, 2 for a wrong command line.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "maker/evobject/evobject.h"

static int Usage() {
    fprintf(stderr,
            "usage: shutdownreq <device id> [object name]\n"
            "Signals \"ShutdownRequest\" (or the object named) for the device.\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) return Usage();
    char* end = nullptr;
    errno = 0;
    long deviceId = strtol(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || errno == ERANGE) return Usage();
    const char* object = argc == 3 ? argv[2] : "ShutdownRequest";

    int heard = EvSignalObject(object, deviceId);
    if (heard < 0) {
        fprintf(stderr, "shutdownreq: \"%s\" is not a valid object name\n", object);
        return 2;
    }
    if (heard == 0) {
        printf("No program is waiting for \"%s\" of device %ld.\n", object, deviceId);
        return 1;
    }
    printf("Signalled \"%s\" of device %ld (%d listener%s).\n", object, deviceId, heard,
           heard == 1 ? "" : "s");
    return 0;
}
