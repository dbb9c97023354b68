// The device access library over the simulated fax printer. Every call reads
// the device's state afresh, so a change made by another process (the device
// tool, a test) is seen at once; every write is journaled with its result.
#include "maker/devaccess/devaccess.h"

#include <string.h>

#include <map>
#include <mutex>
#include <string>

#include "maker/devaccess/devsim.h"

namespace {

struct Client {
    std::string name;
    bool connected = false;
    long deviceId = 0;
    DA_HANDLE channel = 0;
};

std::mutex g_lock;
std::map<DA_HANDLE, Client> g_clients;
// Client and channel handles come from separate ranges, so one is never taken
// for the other.
DA_HANDLE g_nextClient = 0x1001;
DA_HANDLE g_nextChannel = 0x7001;

// Looks up a client; the caller holds g_lock.
Client* Find(DA_HANDLE handle) {
    if (handle == 0) return nullptr;
    auto it = g_clients.find(handle);
    return it == g_clients.end() ? nullptr : &it->second;
}

enum Need { NeedConnection, NeedChannel };

// The device a call may work on, with its state loaded; the caller holds
// g_lock and a StoreLock.
long Reach(DA_HANDLE handle, Need need, long& deviceId, devsim::DeviceState& state) {
    Client* c = Find(handle);
    if (!c) return DA_E_HANDLE;
    if (!c->connected) return DA_E_NOT_CONNECTED;
    if (need == NeedChannel && c->channel == 0) return DA_E_NO_CHANNEL;
    if (!devsim::DeviceExists(c->deviceId)) return DA_E_NO_DEVICE;
    if (!devsim::LoadState(c->deviceId, state)) return DA_E_STORE;
    if (!state.online) return DA_E_OFFLINE;
    deviceId = c->deviceId;
    return DA_OK;
}

// One call's hold of the device: the library's lock, the store's lock and the
// device state as loaded, or the reason it cannot be reached.
struct DeviceSession {
    std::lock_guard<std::mutex> guard{g_lock};
    devsim::StoreLock store;
    devsim::DeviceState state;
    long deviceId = 0;
    long result;
    DeviceSession(DA_HANDLE client, Need need) : result(Reach(client, need, deviceId, state)) {}
};

void Journal(long deviceId, const char* kind, unsigned number, const devsim::ObjectValue& value,
             long result) {
    std::string line = std::string(kind) + " " + std::to_string(number) + " type " +
                       std::to_string(value.type) + " length " +
                       std::to_string(value.bytes.size()) + " value " +
                       devsim::FormatValue(value) + " result " + std::to_string(result);
    devsim::AppendJournal(deviceId, line);
}

// Counts a write the device receives; true when the count has reached the
// write from which on the device refuses them all.
bool CountWrite(devsim::DeviceState& state) {
    if (state.failFromWrite <= 0) return false;
    ++state.writesSeen;
    return state.writesSeen >= state.failFromWrite;
}

// One line of the clients' log for a call of this process; the caller holds g_lock.
void LogClientCall(const std::string& call, DA_HANDLE client, const std::string& rest) {
    devsim::StoreLock store;
    devsim::AppendClientLog(std::to_string(GetCurrentProcessId()) + " " + call + " " +
                            std::to_string((long long)client) + (rest.empty() ? "" : " ") +
                            rest);
}

}  // namespace

extern "C" {

DA_HANDLE DaRegisterClient(const char* clientName, long flags) {
    if (!clientName || flags != 0) return 0;
    std::lock_guard<std::mutex> guard(g_lock);
    DA_HANDLE handle = g_nextClient++;
    Client c;
    c.name = clientName;
    g_clients[handle] = c;
    LogClientCall("register", handle, "");
    return handle;
}

long DaUnregisterClient(DA_HANDLE client) {
    std::lock_guard<std::mutex> guard(g_lock);
    Client* c = Find(client);
    if (!c) return DA_E_HANDLE;
    // A client that goes with its channel open leaves it open on the device.
    LogClientCall("unregister", client, c->channel ? "channel-left-open" : "");
    g_clients.erase(client);
    return DA_OK;
}

long DaConnectDevice(DA_HANDLE client, long deviceId) {
    // A slow printer keeps its caller waiting, not the other clients.
    long delay = 0;
    {
        devsim::StoreLock store;
        devsim::DeviceState state;
        if (devsim::DeviceExists(deviceId) && devsim::LoadState(deviceId, state))
            delay = state.answerDelayMs;
    }
    if (delay > 0) Sleep((DWORD)delay);
    std::lock_guard<std::mutex> guard(g_lock);
    Client* c = Find(client);
    if (!c) return DA_E_HANDLE;
    // A new connection drops the old one and its channel.
    c->connected = false;
    c->channel = 0;
    devsim::StoreLock store;
    devsim::DeviceState state;
    if (!devsim::DeviceExists(deviceId)) return DA_E_NO_DEVICE;
    if (!devsim::LoadState(deviceId, state)) return DA_E_STORE;
    if (!state.online) return DA_E_OFFLINE;
    c->connected = true;
    c->deviceId = deviceId;
    return DA_OK;
}

DA_HANDLE DaOpenObjectChannel(DA_HANDLE client, long reserved1, long reserved2) {
    if (reserved1 != 0 || reserved2 != 0) return 0;
    std::lock_guard<std::mutex> guard(g_lock);
    Client* c = Find(client);
    if (!c || !c->connected) return 0;
    if (c->channel) return c->channel;
    devsim::StoreLock store;
    devsim::DeviceState state;
    if (!devsim::DeviceExists(c->deviceId) || !devsim::LoadState(c->deviceId, state) ||
        !state.online)
        return 0;
    c->channel = g_nextChannel++;
    LogClientCall("open-channel", client, std::to_string((long long)c->channel));
    return c->channel;
}

long DaCloseObjectChannel(DA_HANDLE client) {
    std::lock_guard<std::mutex> guard(g_lock);
    Client* c = Find(client);
    if (!c) return DA_E_HANDLE;
    if (c->channel == 0) return DA_E_NO_CHANNEL;
    LogClientCall("close-channel", client, std::to_string((long long)c->channel));
    c->channel = 0;
    return DA_OK;
}

long DaGetObjectValue(DA_HANDLE client, unsigned short objectId, void* buffer, long size,
                      unsigned char* valueType, long* valueLength) {
    if (!buffer || size <= 0) return DA_E_ARGUMENT;
    DeviceSession session(client, NeedChannel);
    if (session.result < 0) return session.result;
    devsim::DeviceState& state = session.state;
    auto it = state.objects.find(objectId);
    if (it == state.objects.end()) return DA_E_UNKNOWN;
    const devsim::ObjectValue& v = it->second;
    long n = (long)v.bytes.size() < size ? (long)v.bytes.size() : size;
    memcpy(buffer, v.bytes.data(), (size_t)n);
    if (valueType) *valueType = (unsigned char)v.type;
    if (valueLength) *valueLength = n;
    return DA_OK;
}

long DaSetObjectValue(DA_HANDLE client, unsigned short objectId, const void* value, long type,
                      long length, void* reply, long replySize, long* replyLength) {
    if ((!value && length != 0) || length < 0 || length > DA_MAX_TEXT || replySize < 0 ||
        (!reply && replySize > 0))
        return DA_E_ARGUMENT;
    DeviceSession session(client, NeedChannel);
    if (session.result < 0) return session.result;
    devsim::DeviceState& state = session.state;
    const long deviceId = session.deviceId;
    long r = DA_OK;

    devsim::ObjectValue v;
    v.type = (int)type;
    v.bytes.assign(static_cast<const char*>(value ? value : ""), (size_t)length);
    int expected = devsim::TypeLength((int)type);
    auto it = state.objects.find(objectId);
    if (expected == 0 || (it != state.objects.end() && it->second.type != type))
        r = DA_E_TYPE;  // the device keeps each object in its own form
    else if (expected > 0 && length != expected)
        r = DA_E_ARGUMENT;
    else if (CountWrite(state) || state.failWrites || state.failObjects.count(objectId))
        r = DA_E_REFUSED;
    else
        state.objects[objectId] = v;
    if (!devsim::SaveState(deviceId, state) && r == DA_OK) r = DA_E_STORE;
    Journal(deviceId, "object", objectId, v, r);
    if (r < 0) return r;

    long echoed = length < replySize ? length : replySize;
    if (echoed > 0) memcpy(reply, v.bytes.data(), (size_t)echoed);
    if (echoed < replySize) static_cast<char*>(reply)[echoed] = '\0';
    if (replyLength) *replyLength = echoed;
    return DA_OK;
}

long DaGetIntParam(DA_HANDLE client, unsigned short parameter, unsigned short* value) {
    if (!value) return DA_E_ARGUMENT;
    DeviceSession session(client, NeedConnection);
    if (session.result < 0) return session.result;
    devsim::DeviceState& state = session.state;
    auto it = state.params.find(parameter);
    if (it == state.params.end()) return DA_E_UNKNOWN;
    *value = (unsigned short)(it->second & 0xFFFF);
    return DA_OK;
}

long DaSetIntParam(DA_HANDLE client, unsigned short parameter, long value) {
    DeviceSession session(client, NeedConnection);
    if (session.result < 0) return session.result;
    devsim::DeviceState& state = session.state;
    const long deviceId = session.deviceId;
    long r = DA_OK;
    if (CountWrite(state) || state.failWrites)
        r = DA_E_REFUSED;
    else
        state.params[parameter] = value;
    if (!devsim::SaveState(deviceId, state) && r == DA_OK) r = DA_E_STORE;
    devsim::ObjectValue v;
    v.type = DA_TYPE_LONG;
    v.bytes.assign(reinterpret_cast<const char*>(&value), 4);
    Journal(deviceId, "param", parameter, v, r);
    return r;
}

long DaGetDeviceInfo(DA_HANDLE client, unsigned short item) {
    DeviceSession session(client, NeedConnection);
    if (session.result < 0) return session.result;
    devsim::DeviceState& state = session.state;
    auto it = state.info.find(item);
    return it == state.info.end() ? DA_E_UNKNOWN : it->second;
}

}  // extern "C"
