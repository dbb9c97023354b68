#include "maker/link/link.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Reads a string value of any length; environment references are filled in
// for REG_EXPAND_SZ. False when the value is missing or not a string.
bool ReadString(HKEY key, const char* name, std::string& out) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<char> data(size + 2, '\0');
    DWORD room = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &room) !=
        ERROR_SUCCESS)
        return false;
    out.assign(data.data());  // stored values need not carry their terminator
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsA(out.c_str(), nullptr, 0);
        if (needed) {
            std::vector<char> expanded(needed + 1, '\0');
            if (ExpandEnvironmentStringsA(out.c_str(), expanded.data(), needed + 1))
                out.assign(expanded.data());
        }
    }
    return true;
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program a command line starts: the quoted first part, or, unquoted,
// the shortest part up to a blank that names a file (as the platform reads
// an unquoted path with blanks), else the first word.
std::string ProgramOf(const std::string& command) {
    size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) return std::string();
    if (command[start] == '"') {
        size_t close = command.find('"', start + 1);
        return command.substr(start + 1, close == std::string::npos ? std::string::npos
                                                                    : close - start - 1);
    }
    size_t blank = command.find(' ', start);
    std::string firstWord = command.substr(start, blank == std::string::npos ? std::string::npos
                                                                             : blank - start);
    while (blank != std::string::npos) {
        std::string candidate = command.substr(start, blank - start);
        if (IsFile(candidate) || IsFile(candidate + ".exe")) return candidate;
        blank = command.find(' ', blank + 1);
    }
    return firstWord;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    // Keep the backslash of a drive's root.
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

}  // namespace

extern "C" int LaunchLink(long code, const char* arguments) {
    char subkey[64];
    snprintf(subkey, sizeof subkey, "%s\\%ld", LINK_REGISTRY_KEY, code);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    std::string command, directory;
    bool registered = ReadString(key, "Command", command);
    if (!ReadString(key, "Directory", directory)) directory.clear();
    RegCloseKey(key);

    if (!registered || command.find_first_not_of(" \t") == std::string::npos) return 0;
    if (arguments && *arguments) {
        command += ' ';
        command += arguments;
    }
    if (directory.empty() || !IsDirectory(directory)) {
        directory = FolderOf(ProgramOf(command));
        if (!directory.empty() && !IsDirectory(directory)) directory.clear();
    }

    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
