#include "maker/devaccess/devsim.h"

#include <shlobj.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "maker/devaccess/devaccess.h"
#include "maker/objsec/objsec.h"

namespace devsim {

DeviceState FactoryState() {
    DeviceState s;
    auto setInt = [&](unsigned id, int type, long v) {
        ObjectValue o;
        o.type = type;
        o.bytes.assign(reinterpret_cast<const char*>(&v), (size_t)TypeLength(type));
        s.objects[id] = o;
    };
    auto setText = [&](unsigned id) {
        ObjectValue o;
        o.type = DA_TYPE_TEXT;
        s.objects[id] = o;
    };
    setInt(10, DA_TYPE_SHORT, 0);   // maintenance command
    setText(31);                    // fax number
    setText(32);                    // fax header name
    setInt(45, DA_TYPE_SHORT, 1);   // device option: off
    setInt(46, DA_TYPE_SHORT, 2);   // answers calls itself
    setInt(48, DA_TYPE_LONG, 2);    // rings to answer
    setInt(51, DA_TYPE_ENUM, 7);    // no distinctive ring
    s.params[15] = 2;               // rings without answering machine
    s.params[16] = 5;               // rings with answering machine
    s.params[183] = 1;
    s.info[17] = 1;                 // device option available
    return s;
}

// ---------------------------------------------------------------- files

static bool CreateFolders(const std::string& path) {
    if (path.empty()) return false;
    DWORD attr = GetFileAttributesA(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':')
        CreateFolders(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The common application data folder. The shell is asked only when the
// environment does not name it: loading the shell's library costs every
// program that uses the device a noticeable part of its start.
static bool CommonAppData(char* buffer, DWORD size) {
    DWORD n = GetEnvironmentVariableA("ProgramData", buffer, size);
    if (n > 0 && n < size) return true;
    typedef HRESULT(WINAPI * FolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return false;
    auto folderPath = (FolderPath)(void*)GetProcAddress(shell, "SHGetFolderPathA");
    bool ok = folderPath && size >= MAX_PATH &&
              SUCCEEDED(folderPath(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer));
    FreeLibrary(shell);
    return ok;
}

std::string SimDirectory() {
    char buffer[MAX_PATH] = "";
    std::string dir;
    DWORD n = GetEnvironmentVariableA("DA_SIM_DIR", buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer) {
        dir = buffer;
    } else if (CommonAppData(buffer, sizeof buffer)) {
        dir = std::string(buffer) + "\\Kelvaro\\DeviceSim";
    } else {
        n = GetTempPathA(sizeof buffer, buffer);
        if (n == 0 || n >= sizeof buffer) return std::string();
        dir = std::string(buffer) + "DeviceSim";
    }
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return CreateFolders(dir) ? dir : std::string();
}

static std::string DevicePath(long deviceId, const char* extension) {
    std::string dir = SimDirectory();
    if (dir.empty()) return dir;
    char name[64];
    snprintf(name, sizeof name, "\\device-%ld.%s", deviceId, extension);
    return dir + name;
}

std::string StatePath(long deviceId) { return DevicePath(deviceId, "state"); }
std::string JournalPath(long deviceId) { return DevicePath(deviceId, "journal"); }

StoreLock::StoreLock() {
    // Every program of the product that reaches a device takes it, elevated or not.
    mutex_ = CreateSharedMutex("DeviceSimulatorStore");
    if (mutex_) WaitForSingleObject(mutex_, INFINITE);  // an abandoned mutex is ours too
}

StoreLock::~StoreLock() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}

static bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    bool ok = true;
    for (;;) {
        if (!ReadFile(f, buf, sizeof buf, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        out.append(buf, got);
    }
    CloseHandle(f);
    return ok;
}

bool DeviceExists(long deviceId) {
    std::string path = StatePath(deviceId);
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool LoadState(long deviceId, DeviceState& state) {
    std::string path = StatePath(deviceId), text;
    if (path.empty() || !ReadWholeFile(path, text)) return false;
    return ParseState(text, state);
}

bool SaveState(long deviceId, const DeviceState& state) {
    std::string path = StatePath(deviceId);
    if (path.empty()) return false;
    // Written beside and moved over, so a reader never sees half a state.
    std::string temp = path + ".new";
    std::string text = FormatState(state);
    HANDLE f = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, text.data(), (DWORD)text.size(), &written, nullptr) &&
              written == text.size();
    ok = CloseHandle(f) && ok;
    if (ok) ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

static bool AppendLine(const std::string& path, const std::string& line) {
    if (path.empty()) return false;
    HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    std::string text = line + "\r\n";
    DWORD written = 0;
    bool ok = WriteFile(f, text.data(), (DWORD)text.size(), &written, nullptr) &&
              written == text.size();
    CloseHandle(f);
    return ok;
}

bool AppendJournal(long deviceId, const std::string& line) {
    return AppendLine(JournalPath(deviceId), line);
}

std::string ClientLogPath() {
    std::string dir = SimDirectory();
    return dir.empty() ? dir : dir + "\\clients.log";
}

bool AppendClientLog(const std::string& line) { return AppendLine(ClientLogPath(), line); }

std::string ReadClientLog() {
    std::string text;
    std::string path = ClientLogPath();
    if (!path.empty()) ReadWholeFile(path, text);
    return text;
}

std::string ReadJournal(long deviceId) {
    std::string text;
    std::string path = JournalPath(deviceId);
    if (!path.empty()) ReadWholeFile(path, text);
    return text;
}

bool RemoveDevice(long deviceId) {
    std::string state = StatePath(deviceId), journal = JournalPath(deviceId);
    if (state.empty()) return false;
    bool a = DeleteFileA(state.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    bool b = DeleteFileA(journal.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    return a && b;
}

// ---------------------------------------------------------------- values

int TypeLength(int type) {
    switch (type) {
    case DA_TYPE_SHORT: return 2;
    case DA_TYPE_LONG:
    case DA_TYPE_ENUM: return 4;
    case DA_TYPE_TEXT: return -1;
    default: return 0;
    }
}

static long IntegerOf(const ObjectValue& value) {
    unsigned char b[4] = {0, 0, 0, 0};
    size_t n = value.bytes.size() < 4 ? value.bytes.size() : 4;
    memcpy(b, value.bytes.data(), n);
    if (value.type == DA_TYPE_SHORT) return (short)(b[0] | (b[1] << 8));
    return (long)((unsigned long)b[0] | ((unsigned long)b[1] << 8) | ((unsigned long)b[2] << 16) |
                  ((unsigned long)b[3] << 24));
}

std::string FormatValue(const ObjectValue& value) {
    if (value.type != DA_TYPE_TEXT) return std::to_string(IntegerOf(value));
    std::string out = "\"";
    for (unsigned char c : value.bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c >= 0x20 && c < 0x7F) {
            out += (char)c;
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

static bool ParseLong(const std::string& text, long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = strtoll(text.c_str(), &end, 0);
    if (*end || errno || v < -2147483648LL || v > 4294967295LL) return false;
    out = (long)(unsigned long)v;
    return true;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static bool ParseQuoted(const std::string& text, std::string& out) {
    out.clear();
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '"') return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= text.size()) return false;
        char e = text[++i];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && i + 3 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += (char)(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

bool ParseValue(int type, const std::string& text, ObjectValue& value) {
    int length = TypeLength(type);
    if (length == 0) return false;
    ObjectValue v;
    v.type = type;
    if (length < 0) {
        if (!text.empty() && text.front() == '"') {
            if (!ParseQuoted(text, v.bytes)) return false;
        } else {
            v.bytes = text;
        }
        if (v.bytes.size() > DA_MAX_TEXT) return false;
    } else {
        long n = 0;
        if (!ParseLong(text, n)) return false;
        if (type == DA_TYPE_SHORT && (n < -32768 || n > 65535)) return false;
        v.bytes.assign(reinterpret_cast<const char*>(&n), (size_t)length);
    }
    value = v;
    return true;
}

// ---------------------------------------------------------------- state file

std::string FormatState(const DeviceState& s) {
    std::string out =
        "; Simulated fax printer. Objects: <id>=<type> <value>; type 1 = 16-bit,\r\n"
        "; 2 = 32-bit, 4 = text, 8 = enumerated code.\r\n"
        "[Device]\r\n";
    out += std::string("Online=") + (s.online ? "1" : "0") + "\r\n";
    out += std::string("FailWrites=") + (s.failWrites ? "1" : "0") + "\r\n";
    out += "FailObjects=";
    bool first = true;
    for (unsigned id : s.failObjects) {
        if (!first) out += ' ';
        out += std::to_string(id);
        first = false;
    }
    out += "\r\nFailFromWrite=" + std::to_string(s.failFromWrite) + "\r\n";
    out += "WritesSeen=" + std::to_string(s.writesSeen) + "\r\n";
    if (s.answerDelayMs) out += "AnswerDelay=" + std::to_string(s.answerDelayMs) + "\r\n";
    out += "[Objects]\r\n";
    for (const auto& o : s.objects)
        out += std::to_string(o.first) + "=" + std::to_string(o.second.type) + " " +
               FormatValue(o.second) + "\r\n";
    out += "[Params]\r\n";
    for (const auto& p : s.params) out += std::to_string(p.first) + "=" + std::to_string(p.second) + "\r\n";
    out += "[Info]\r\n";
    for (const auto& i : s.info) out += std::to_string(i.first) + "=" + std::to_string(i.second) + "\r\n";
    return out;
}

static std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return std::string();
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

static bool ParseId(const std::string& text, unsigned& id) {
    long v = 0;
    if (!ParseLong(text, v) || v < 0 || v > 65535) return false;
    id = (unsigned)v;
    return true;
}

bool ParseState(const std::string& text, DeviceState& state) {
    DeviceState s;
    std::string section;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = Trim(text.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return false;
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) return false;
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (section == "Device") {
            if (key == "Online") {
                s.online = value != "0";
            } else if (key == "FailWrites") {
                s.failWrites = !value.empty() && value != "0";
            } else if (key == "FailFromWrite" || key == "WritesSeen" || key == "AnswerDelay") {
                long n = 0;
                if (!ParseLong(value, n) || n < 0) return false;
                (key == "FailFromWrite" ? s.failFromWrite
                 : key == "WritesSeen"  ? s.writesSeen
                                        : s.answerDelayMs) = n;
            } else if (key == "FailObjects") {
                size_t p = 0;
                while (p < value.size()) {
                    size_t sp = value.find_first_of(" ,", p);
                    if (sp == std::string::npos) sp = value.size();
                    std::string item = value.substr(p, sp - p);
                    p = sp + 1;
                    if (item.empty()) continue;
                    unsigned id;
                    if (!ParseId(item, id)) return false;
                    s.failObjects.insert(id);
                }
            }
        } else if (section == "Objects") {
            unsigned id;
            if (!ParseId(key, id)) return false;
            size_t sp = value.find(' ');
            long type = 0;
            if (!ParseLong(value.substr(0, sp), type)) return false;
            ObjectValue v;
            std::string rest = sp == std::string::npos ? std::string() : value.substr(sp + 1);
            if (!ParseValue((int)type, rest, v)) return false;
            s.objects[id] = v;
        } else if (section == "Params" || section == "Info") {
            unsigned id;
            long v = 0;
            if (!ParseId(key, id) || !ParseLong(value, v)) return false;
            (section == "Params" ? s.params : s.info)[id] = v;
        }
    }
    state = s;
    return true;
}

}  // namespace devsim
