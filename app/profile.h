// Profile (INI) file helpers. Flags are written "1"/"0" in numeric form,
// "Yes"/"No" otherwise. A null or empty file name stands for no file: reads
// give the default and writes do nothing, rather than reaching WIN.INI.
#pragma once
#include <windows.h>

#include <string>

// Returns a shared 256-byte buffer holding the value; the next call replaces it.
const char* ReadIniString(const char* section, const char* key, const char* defaultText,
                          const char* file);
// Reads the key named by number in decimal; returns the number of characters copied.
int ReadIniNumberedString(const char* section, int number, char* destination, short room,
                          const char* file);
int ReadIniBool(const char* section, const char* key, int defaultValue, const char* file);
// The value as a profile line must hold it so that reading gives it back
// exactly: quoted when it starts with a quote or has blanks at either end.
std::string ProfileValueText(const std::string& value);
// Writes the value on one line (control characters become blanks), quoted
// where reading would otherwise change it.
BOOL WriteIniString(const char* section, const char* key, const char* value, const char* file);
BOOL WriteIniFlag(const char* section, const char* key, int flag, int numeric, const char* file);
