// String, path and file utilities of the product library.
// Sizes are buffer sizes in bytes including the terminator, as signed 16-bit
// counts; a size of 0 or less makes a routine write nothing.
#pragma once
#include <windows.h>

// ---- strings ----
char* CopyBounded(char* destination, const char* source, short size);
char* TrimTrailingSpaces(char* text);
char* TrimLeadingSpaces(char* text);
short UnquoteString(char* text);
// Splits text at delimiter; pass none to continue the previous text.
char* NextField(char* text, char delimiter);
// Each double-byte character becomes one "?"; destination needs limit + 1 bytes.
void CopyReplacingDbcs(const char* source, char* destination, int limit);
void CopyCount(const char* source, char* destination, int count);

// The first c in text that is a character of its own (never a trail byte),
// or none. Unlike the runtime's search it never reads past the terminator,
// also when the text ends in half a double-byte character.
char* FindCharacter(const char* text, char c);

// Compares two names without regard to case, a double-byte character as one,
// like the runtime's _mbsicmp; but a name that ends in half a double-byte
// character ends there, where the runtime reads on past the terminator.
int CompareNames(const char* a, const char* b);

// Turns every control character (below 0x20) into a blank, so that a text
// stored in an INI file, the registry or the device stays one line of text.
// Double-byte characters are untouched: no trail byte is that low.
char* BlankControlChars(char* text);

char* StripTrailingBackslash(char* text);
char* AddTrailingBackslash(char* text, short size);
char* KeepCharRange(char* text, char lowest, char highest);
char* AppendBounded(char* buffer, short size, const char* text, short count);
int ParseYesNo(const char* text, int defaultValue);

// Loads a string resource into a static 256-byte buffer (empty when missing).
// The next call overwrites it.
const char* LoadStringStatic(UINT id, HINSTANCE module);

// ---- paths ----
enum BuildPathFlags : DWORD {
    BP_DRIVE = 0x01,
    BP_DIR = 0x02,
    BP_FNAME = 0x04,
    BP_EXT = 0x08,
    BP_CLEAR = 0x10,
    BP_NO_BACKSLASH = 0x20,
    BP_BACKSLASH = 0x40,
    BP_SHORT_DIR = 0x10000000,
};
char* BuildPath(const char* sourcePath, char* output, short size, DWORD flags);
short JoinPath(const char* directory, const char* name, char* destination, short size);
short GetFileBesideModule(HINSTANCE instance, const char* fileName, char* buffer, short size);

// ---- files ----
int FileExists(const char* path);
long GetOpenFileLength(HANDLE file);
HGLOBAL ReadFileToMemory(HANDLE file, long length);
// Reads one line of [position, end] (end is the text's last byte).
const char* ReadTextLine(const char* position, const char* end, char* line, short size);
void FlushIniCache(const char* file);

// Current directory save and restore; a drive letter is changed to first.
int SaveCurrentDirectory(char* buffer, int size);
int RestoreCurrentDirectory(const char* directory);

// ---- processes ----
// Starts a program; with wait set, waits up to 30 s for it to end.
// Returns 1 when the process was created.
int StartProgram(const char* applicationName, const char* commandLine,
                 const char* workingDirectory, int wait);
