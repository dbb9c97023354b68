// Shows a simulated device's state and journal and sets its values.
// Changes made here are the device's own settings, not writes through the
// device access library, so they do not appear in the journal.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "maker/devaccess/devaccess.h"
#include "maker/devaccess/devsim.h"

namespace {

const char kUsage[] =
    "usage: devtool [--dir FOLDER] COMMAND ...\n"
    "  dir                           print the folder of the device states\n"
    "  init ID                       create or reset a device to factory state\n"
    "  remove ID                     delete a device's state and journal\n"
    "  show ID                       print a device's state\n"
    "  journal ID                    print every write the device received\n"
    "  get ID OBJECT                 print one object's value\n"
    "  set ID OBJECT TYPE VALUE      set an object (type 1, 2, 4 or 8)\n"
    "  param ID NUMBER VALUE         set an integer parameter\n"
    "  info ID ITEM VALUE            set an information item\n"
    "  online ID 0|1                 take the device offline or back online\n"
    "  fail-writes ID 0|1            make every write fail, or not\n"
    "  fail-objects ID [OBJECT ...]  make writes to these objects fail\n"
    "  fail-from ID N                make the Nth write from now and every later one\n"
    "                                fail (0: none)\n"
    "  delay ID MS                   answer a connection only after MS milliseconds\n"
    "A text VALUE may be given bare or quoted with \\\\, \\\" and \\xNN escapes.\n";

int Usage() {
    fputs(kUsage, stderr);
    return 1;
}

bool Number(const char* text, long& out, long lowest, long highest) {
    if (!text || !*text) return false;
    char* end = nullptr;
    long long v = strtoll(text, &end, 0);
    if (*end || v < lowest || v > highest) return false;
    out = (long)v;
    return true;
}

// Prints text with its CR LF as the console's own line ends.
void Print(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    fwrite(out.data(), 1, out.size(), stdout);
}

int Fail(const char* what, long id) {
    fprintf(stderr, "devtool: %s (device %ld)\n", what, id);
    return 2;
}

// Loads, changes and saves a device's state under the store lock.
template <class Change>
int Modify(long id, Change change) {
    devsim::StoreLock lock;
    devsim::DeviceState state;
    if (!devsim::DeviceExists(id)) return Fail("no such device; use init first", id);
    if (!devsim::LoadState(id, state)) return Fail("the state file cannot be read", id);
    if (!change(state)) return Usage();
    if (!devsim::SaveState(id, state)) return Fail("the state file cannot be written", id);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--dir") {
        SetEnvironmentVariableA("DA_SIM_DIR", args[1].c_str());
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::string& cmd = args[0];
    if (cmd == "dir") {
        std::string dir = devsim::SimDirectory();
        if (dir.empty()) return Fail("the folder cannot be created", 0);
        printf("%s\n", dir.c_str());
        return 0;
    }
    long id = 0;
    if (args.size() < 2 || !Number(args[1].c_str(), id, -2147483647L - 1, 2147483647L))
        return Usage();
    auto arg = [&](size_t i) { return i < args.size() ? args[i].c_str() : nullptr; };

    if (cmd == "init" && args.size() == 2) {
        devsim::StoreLock lock;
        if (!devsim::SaveState(id, devsim::FactoryState()))
            return Fail("the state file cannot be written", id);
        return 0;
    }
    if (cmd == "remove" && args.size() == 2) {
        devsim::StoreLock lock;
        return devsim::RemoveDevice(id) ? 0 : Fail("cannot remove", id);
    }
    if (cmd == "show" && args.size() == 2) {
        devsim::StoreLock lock;
        devsim::DeviceState state;
        if (!devsim::DeviceExists(id)) return Fail("no such device", id);
        if (!devsim::LoadState(id, state)) return Fail("the state file cannot be read", id);
        printf("; device %ld: %s\n", id, devsim::StatePath(id).c_str());
        Print(devsim::FormatState(state));
        return 0;
    }
    if (cmd == "journal" && args.size() == 2) {
        devsim::StoreLock lock;
        Print(devsim::ReadJournal(id));
        return 0;
    }
    if (cmd == "get" && args.size() == 3) {
        long object = 0;
        if (!Number(arg(2), object, 0, 65535)) return Usage();
        devsim::StoreLock lock;
        devsim::DeviceState state;
        if (!devsim::DeviceExists(id) || !devsim::LoadState(id, state))
            return Fail("no such device", id);
        auto it = state.objects.find((unsigned)object);
        if (it == state.objects.end()) return Fail("no such object", id);
        printf("%d %s\n", it->second.type, devsim::FormatValue(it->second).c_str());
        return 0;
    }
    if (cmd == "set" && args.size() == 5) {
        long object = 0, type = 0;
        devsim::ObjectValue value;
        if (!Number(arg(2), object, 0, 65535) || !Number(arg(3), type, 0, 255) ||
            !devsim::ParseValue((int)type, args[4], value))
            return Usage();
        return Modify(id, [&](devsim::DeviceState& s) {
            s.objects[(unsigned)object] = value;
            return true;
        });
    }
    if ((cmd == "param" || cmd == "info") && args.size() == 4) {
        long number = 0, value = 0;
        if (!Number(arg(2), number, 0, 65535) ||
            !Number(arg(3), value, -2147483647L - 1, 2147483647L))
            return Usage();
        return Modify(id, [&](devsim::DeviceState& s) {
            (cmd == "param" ? s.params : s.info)[(unsigned)number] = value;
            return true;
        });
    }
    if ((cmd == "online" || cmd == "fail-writes") && args.size() == 3) {
        long on = 0;
        if (!Number(arg(2), on, 0, 1)) return Usage();
        return Modify(id, [&](devsim::DeviceState& s) {
            (cmd == "online" ? s.online : s.failWrites) = on != 0;
            return true;
        });
    }
    if (cmd == "delay" && args.size() == 3) {
        long delay = 0;
        if (!Number(arg(2), delay, 0, 86400000L)) return Usage();
        return Modify(id, [&](devsim::DeviceState& s) {
            s.answerDelayMs = delay;
            return true;
        });
    }
    if (cmd == "fail-from" && args.size() == 3) {
        long from = 0;
        if (!Number(arg(2), from, 0, 2147483647L)) return Usage();
        return Modify(id, [&](devsim::DeviceState& s) {
            s.failFromWrite = from;
            s.writesSeen = 0;
            return true;
        });
    }
    if (cmd == "fail-objects") {
        std::vector<unsigned> objects;
        for (size_t i = 2; i < args.size(); ++i) {
            long object = 0;
            if (!Number(arg(i), object, 0, 65535)) return Usage();
            objects.push_back((unsigned)object);
        }
        return Modify(id, [&](devsim::DeviceState& s) {
            s.failObjects.clear();
            s.failObjects.insert(objects.begin(), objects.end());
            return true;
        });
    }
    return Usage();
}
