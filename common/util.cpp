#include "common/util.h"

#include <ctype.h>
#include <direct.h>
#include <mbstring.h>
#include <stdlib.h>
#include <string.h>

// ---------------------------------------------------------------- strings

char* CopyBounded(char* destination, const char* source, short size) {
    if (!destination || size <= 0) return destination;
    if (!source) {
        destination[0] = '\0';
        return destination;
    }
    int i = 0;
    for (; i < size - 1 && source[i]; ++i) destination[i] = source[i];
    destination[i] = '\0';
    return destination;
}

char* TrimTrailingSpaces(char* text) {
    if (!text) return text;
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ') --n;
    text[n] = '\0';
    return text;
}

char* TrimLeadingSpaces(char* text) {
    if (!text) return text;
    char* p = text;
    while (*p == ' ') ++p;
    if (p != text) memmove(text, p, strlen(p) + 1);
    return text;
}

short UnquoteString(char* text) {
    if (!text) return 0;
    char* out = text;
    for (const char* in = text; *in; ++in) {
        if (*in == '"') {
            if (in[1] == '"') *out++ = *++in;  // "" is one escaped quote
            continue;
        }
        *out++ = *in;
    }
    *out = '\0';
    return (short)(out - text);
}

char* NextField(char* text, char delimiter) {
    static char* position = nullptr;
    static char empty[1] = "";
    if (text) position = text;
    if (!position) return empty;
    char* field = position;
    char* p = position;
    while (*p && *p != delimiter) ++p;
    if (*p) {
        *p = '\0';
        position = p + 1;
    } else {
        position = p;  // stays on the terminator: later fields are empty
    }
    return field;
}

void CopyReplacingDbcs(const char* source, char* destination, int limit) {
    if (!destination) return;
    int out = 0;
    if (source) {
        for (int i = 0; i < limit && source[i];) {
            if (IsDBCSLeadByte((BYTE)source[i])) {
                destination[out++] = '?';
                // the trail byte goes with its lead, unless the text ends there
                i += (i + 1 < limit && source[i + 1]) ? 2 : 1;
                if (i > limit) break;
            } else {
                destination[out++] = source[i++];
            }
        }
    }
    destination[out] = '\0';
}

void CopyCount(const char* source, char* destination, int count) {
    if (!source || !destination || count < 0) return;
    memcpy(destination, source, (size_t)count);
    destination[count] = '\0';
}

char* FindCharacter(const char* text, char c) {
    if (!text) return nullptr;
    for (const char* p = text; *p; p += (IsDBCSLeadByte((BYTE)*p) && p[1]) ? 2 : 1)
        if (*p == c) return const_cast<char*>(p);
    return nullptr;
}

// The character at p, folded to lower case, and the step past it.
static unsigned int LowerCharacter(const unsigned char*& p) {
    unsigned int c = *p++;
    if (_ismbblead(c) && *p) c = (c << 8) | *p++;
    return _mbctolower(c);
}

int CompareNames(const char* a, const char* b) {
    const unsigned char* p = (const unsigned char*)a;
    const unsigned char* q = (const unsigned char*)b;
    for (;;) {
        unsigned int c = LowerCharacter(p), d = LowerCharacter(q);
        if (c != d) return c < d ? -1 : 1;
        if (!c) return 0;
    }
}

// Start of the last character of text (multibyte-aware), or none when empty.
static char* LastCharacter(char* text) {
    char* last = nullptr;
    for (char* p = text; *p; p = CharNextA(p)) last = p;
    return last;
}

char* StripTrailingBackslash(char* text) {
    if (!text) return text;
    char* last = LastCharacter(text);
    if (last && *last == '\\' && last[1] == '\0') *last = '\0';
    return text;
}

char* AddTrailingBackslash(char* text, short size) {
    // Nothing of a buffer of no size is read, nor a text that does not end within size.
    if (!text || size <= 0 || !memchr(text, '\0', (size_t)size) || !*text) return text;
    char* last = LastCharacter(text);
    if (*last == '\\' && last[1] == '\0') return text;
    // Half a character at the end (a cut text) would take the backslash for
    // its trail byte: it goes first.
    if (IsDBCSLeadByte((BYTE)*last) && last[1] == '\0') {
        *last = '\0';
        if (!*text) return text;
        // What it leaves may already end with one.
        last = LastCharacter(text);
        if (*last == '\\' && last[1] == '\0') return text;
    }
    AppendBounded(text, size, "\\", 0);
    return text;
}

char* BlankControlChars(char* text) {
    if (!text) return text;
    for (char* p = text; *p; ++p)
        if ((unsigned char)*p < 0x20) *p = ' ';
    return text;
}

char* KeepCharRange(char* text, char lowest, char highest) {
    if (!text) return text;
    char* out = text;
    for (const char* in = text; *in; ++in) {
        signed char c = (signed char)*in;
        if (c >= (signed char)lowest && c <= (signed char)highest) *out++ = *in;
    }
    *out = '\0';
    return text;
}

char* AppendBounded(char* buffer, short size, const char* text, short count) {
    if (!buffer || !text || size <= 0 || count < 0) return buffer;
    size_t used = strnlen(buffer, (size_t)size);
    if (used >= (size_t)size) return buffer;  // not a terminated text within size
    size_t want = strlen(text);
    if (count > 0 && (size_t)count < want) want = (size_t)count;
    // The buffer's last two bytes always stay free of text.
    size_t room = (size_t)size >= used + 2 ? (size_t)size - 2 - used : 0;
    size_t limit = want < room ? want : room;
    size_t take = 0;
    while (take < limit) {
        size_t step = IsDBCSLeadByte((BYTE)text[take]) ? 2 : 1;
        if (take + step > limit) break;  // never split a double-byte character
        take += step;
    }
    memcpy(buffer + used, text, take);
    buffer[used + take] = '\0';
    return buffer;
}

int ParseYesNo(const char* text, int defaultValue) {
    if (!text) return defaultValue;
    switch (text[0]) {
    case 'T': case 't': case 'Y': case 'y': case '1': return 1;
    case 'F': case 'f': case 'N': case 'n': case '0': return 0;
    default: return defaultValue;
    }
}

const char* LoadStringStatic(UINT id, HINSTANCE module) {
    static char buffer[256];
    buffer[0] = '\0';
    if (LoadStringA(module, id, buffer, sizeof buffer) <= 0) buffer[0] = '\0';
    return buffer;
}

// ---------------------------------------------------------------- paths

namespace {

// One piece of a path: a run of bytes within the source.
struct PathPiece {
    const char* start = "";
    size_t length = 0;
};

// Splits a path into drive ("X:"), directory (up to the last "\" or "/"),
// file name (up to the last ".") and extension, multibyte-aware: a trail
// byte is never taken for a separator, and nothing after the terminator is
// read, however the text ends. The runtime's own split does neither.
void SplitPath(const char* path, PathPiece parts[4]) {
    const char* p = path;
    if (p[0] && p[1] == ':' && !IsDBCSLeadByte((BYTE)p[0])) {
        parts[0] = {p, 2};
        p += 2;
    }
    const char* nameStart = p;
    const char* dot = nullptr;
    const char* end = p;
    while (*end) {
        if (IsDBCSLeadByte((BYTE)*end) && end[1]) {
            end += 2;
            continue;
        }
        if (*end == '\\' || *end == '/') {
            nameStart = end + 1;
            dot = nullptr;
        } else if (*end == '.') {
            dot = end;
        }
        ++end;
    }
    parts[1] = {p, (size_t)(nameStart - p)};
    const char* extStart = dot ? dot : end;
    parts[2] = {nameStart, (size_t)(extStart - nameStart)};
    parts[3] = {extStart, (size_t)(end - extStart)};
}

void AppendPiece(char* output, short size, const PathPiece& piece) {
    // A count of 0 would append the whole rest of the source.
    if (piece.length == 0) return;
    short count = piece.length > 32767 ? (short)32767 : (short)piece.length;
    AppendBounded(output, size, piece.start, count);
}

}  // namespace

char* BuildPath(const char* sourcePath, char* output, short size, DWORD flags) {
    if (!output || size <= 0) return output;
    PathPiece parts[4];
    if (sourcePath) SplitPath(sourcePath, parts);
    if (flags & BP_CLEAR) output[0] = '\0';
    if (flags & BP_DRIVE) AppendPiece(output, size, parts[0]);
    if (flags & BP_DIR) AppendPiece(output, size, parts[1]);
    if (flags & BP_SHORT_DIR) {
        StripTrailingBackslash(output);
        char shortPath[MAX_PATH];
        DWORD n = GetShortPathNameA(output, shortPath, sizeof shortPath);
        if (n > 0 && n < sizeof shortPath) {
            output[0] = '\0';
            AppendBounded(output, size, shortPath, 0);
        }
        AddTrailingBackslash(output, size);
    }
    if (flags & BP_FNAME) AppendPiece(output, size, parts[2]);
    if (flags & BP_EXT) AppendPiece(output, size, parts[3]);
    if (flags & BP_NO_BACKSLASH) StripTrailingBackslash(output);
    if (flags & BP_BACKSLASH) AddTrailingBackslash(output, size);
    return output;
}

short JoinPath(const char* directory, const char* name, char* destination, short size) {
    if (!destination || size <= 0) return 0;
    if (!directory) directory = "";
    if (!name) name = "";
    if (destination != directory) CopyBounded(destination, directory, size);
    size_t len = strlen(destination);
    if ((long)size - (long)len < 3) return (short)len;
    if (len == 0) {
        if (*name == '\\') ++name;
    } else {
        char* last = LastCharacter(destination);
        bool dirSlash = *last == '\\' && last[1] == '\0';
        bool nameSlash = *name == '\\';
        if (!dirSlash && !nameSlash) {
            destination[len++] = '\\';
            destination[len] = '\0';
        } else if (dirSlash && nameSlash) {
            ++name;
        }
    }
    CopyBounded(destination + len, name, (short)(size - len));
    return (short)strlen(destination);
}

short GetFileBesideModule(HINSTANCE instance, const char* fileName, char* buffer, short size) {
    if (!fileName || !buffer || size <= 0) return 0;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        buffer[0] = '\0';
        return 0;
    }
    // The character after the last "\" or ":" starts the module's own name.
    char* nameStart = path;
    for (char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == ':') nameStart = p + 1;
    size_t dirLen = (size_t)(nameStart - path);
    size_t nameLen = strlen(fileName);
    if (dirLen + nameLen < (size_t)size) {
        memcpy(buffer, path, dirLen);
        memcpy(buffer + dirLen, fileName, nameLen + 1);
        return (short)(dirLen + nameLen);
    }
    // Too long: leave the directory and "?" so that the path names no file.
    if (dirLen + 1 < (size_t)size) {
        memcpy(buffer, path, dirLen);
        buffer[dirLen] = '?';
        buffer[dirLen + 1] = '\0';
    } else {
        buffer[0] = '\0';
    }
    return 0;
}

// ---------------------------------------------------------------- files

int FileExists(const char* path) {
    if (!path || !*path) return 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(h);
    return 1;
}

long GetOpenFileLength(HANDLE file) {
    DWORD here = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
    if (here == INVALID_SET_FILE_POINTER) return -1;
    DWORD length = SetFilePointer(file, 0, nullptr, FILE_END);
    SetFilePointer(file, (LONG)here, nullptr, FILE_BEGIN);
    return length == INVALID_SET_FILE_POINTER ? -1 : (long)length;
}

HGLOBAL ReadFileToMemory(HANDLE file, long length) {
    if (length == 0) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
        return block;
    }
    if (length < 0 || length > 32767) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)length);
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    DWORD got = 0;
    BOOL ok = p && ReadFile(file, p, (DWORD)length, &got, nullptr);
    if (p) GlobalUnlock(block);
    if (!ok || got < (DWORD)length) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

const char* ReadTextLine(const char* position, const char* end, char* line, short size) {
    if (!position || !end || !line || size <= 0) return position;
    const char* p = position;
    int copied = 0;
    while (p <= end && *p && *p != '\r' && *p != '\n') {
        if (copied >= size - 1) {
            line[copied] = '\0';
            return p;  // cut by the buffer: the next call goes on inside this line
        }
        line[copied++] = *p++;
    }
    line[copied] = '\0';
    if (p > end || *p == '\0') return p;
    char first = *p++;
    if (p <= end && (*p == '\r' || *p == '\n') && *p != first) ++p;
    return p;
}

void FlushIniCache(const char* file) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

int SaveCurrentDirectory(char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    return _getcwd(buffer, size) != nullptr;
}

int RestoreCurrentDirectory(const char* directory) {
    if (!directory || !*directory) return 0;
    if (directory[1] == ':' && isalpha((unsigned char)directory[0])) {
        int drive = toupper((unsigned char)directory[0]) - 'A' + 1;
        if (_chdrive(drive) != 0) return 0;
    }
    return _chdir(directory) == 0;
}

// ---------------------------------------------------------------- processes

int StartProgram(const char* applicationName, const char* commandLine,
                 const char* workingDirectory, int wait) {
    char derived[MAX_PATH] = "";
    if (!workingDirectory) {
        const char* from = applicationName ? applicationName : commandLine;
        BuildPath(from, derived, sizeof derived, 0x10000033);
        workingDirectory = derived[0] ? derived : nullptr;
    }
    // CreateProcessA may write into the command line.
    size_t len = commandLine ? strlen(commandLine) : 0;
    char* line = (char*)malloc(len + 1);
    if (!line) return 0;
    if (commandLine) memcpy(line, commandLine, len + 1); else line[0] = '\0';

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    BOOL created = CreateProcessA(applicationName, commandLine ? line : nullptr, nullptr, nullptr,
                                  FALSE, NORMAL_PRIORITY_CLASS, nullptr, workingDirectory,
                                  &startup, &process);
    free(line);
    if (!created) return 0;
    if (wait) WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
