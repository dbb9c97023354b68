// The simulated fax printer behind the device access library: one state file
// per device id and an append-only journal of every write, in a folder that
// DA_SIM_DIR names (by default under the common application data folder).
#pragma once
#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace devsim {

struct ObjectValue {
    int type = 0;
    std::string bytes;  // little-endian integers, or the text without terminator
};

struct DeviceState {
    bool online = true;
    bool failWrites = false;            // every write is refused
    std::set<unsigned> failObjects;     // writes to these objects are refused
    long failFromWrite = 0;             // this write (1 = the first) and every later one
                                        // are refused; 0: none
    long writesSeen = 0;                // writes received since the switch was set
    long answerDelayMs = 0;             // a connection is answered this late (a slow printer)
    std::map<unsigned, ObjectValue> objects;
    std::map<unsigned, long> params;
    std::map<unsigned, long> info;
};

// A device as it leaves the factory.
DeviceState FactoryState();

// Folder of the state files; created when missing. Empty when it cannot be made.
std::string SimDirectory();
std::string StatePath(long deviceId);
std::string JournalPath(long deviceId);

// Serialises access to the state files across threads and processes.
class StoreLock {
public:
    StoreLock();
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    HANDLE mutex_;
};

// These expect the caller to hold a StoreLock.
bool DeviceExists(long deviceId);
bool LoadState(long deviceId, DeviceState& state);
bool SaveState(long deviceId, const DeviceState& state);
bool AppendJournal(long deviceId, const std::string& line);
std::string ReadJournal(long deviceId);
bool RemoveDevice(long deviceId);
// The clients' log of the folder: one line per registration, connection and
// channel call, "<process id> <call> <client> ...", so that another program
// can see whether a program ended its sessions with the device.
std::string ClientLogPath();
bool AppendClientLog(const std::string& line);
std::string ReadClientLog();

// Size a value of the type must have; -1 for a text (any length up to
// DA_MAX_TEXT), 0 for an unknown type.
int TypeLength(int type);
// Value as written in the state file and the journal: a decimal number, or a
// quoted text with \\, \" and \xNN escapes.
std::string FormatValue(const ObjectValue& value);
// Reads a value of the given type from that form (a text may also come bare).
bool ParseValue(int type, const std::string& text, ObjectValue& value);
// Renders a whole state in the state file's form.
std::string FormatState(const DeviceState& state);
bool ParseState(const std::string& text, DeviceState& state);

}  // namespace devsim
