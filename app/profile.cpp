#include "app/profile.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "common/util.h"

static bool NoFile(const char* file) { return !file || !*file; }

const char* ReadIniString(const char* section, const char* key, const char* defaultText,
                          const char* file) {
    static char result[256];
    if (!defaultText) defaultText = "";
    if (NoFile(file)) {
        CopyBounded(result, defaultText, sizeof result);
        return result;
    }
    GetPrivateProfileStringA(section, key, defaultText, result, sizeof result, file);
    return result;
}

int ReadIniNumberedString(const char* section, int number, char* destination, short room,
                          const char* file) {
    if (!destination || room <= 0) return 0;
    destination[0] = '\0';
    if (NoFile(file)) return 0;
    char key[16];
    snprintf(key, sizeof key, "%d", number);
    return (int)GetPrivateProfileStringA(section, key, "", destination, (DWORD)room, file);
}

int ReadIniBool(const char* section, const char* key, int defaultValue, const char* file) {
    char value[256];
    memset(value, 0, sizeof value);
    if (!NoFile(file)) GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
    if (!value[0]) return defaultValue;
    return ParseYesNo(value, defaultValue);
}

std::string ProfileValueText(const std::string& value) {
    // The reading functions drop one pair of quotes around a value, and blanks
    // at either end: a pair of double quotes of its own keeps both.
    bool quoted = !value.empty() && (value.front() == '"' || value.front() == '\'' ||
                                     value.front() == ' ' || value.back() == ' ' ||
                                     value.front() == '\t' || value.back() == '\t');
    return quoted ? "\"" + value + "\"" : value;
}

BOOL WriteIniString(const char* section, const char* key, const char* value, const char* file) {
    if (NoFile(file)) return FALSE;
    if (!value) return WritePrivateProfileStringA(section, key, value, file);
    // A line break in a value would end the line there and start a key or a
    // section header of its own: the value stays one line, whatever it holds.
    std::string line(value);
    BlankControlChars(&line[0]);
    return WritePrivateProfileStringA(section, key, ProfileValueText(line).c_str(), file);
}

BOOL WriteIniFlag(const char* section, const char* key, int flag, int numeric, const char* file) {
    char value[256];
    memset(value, 0, sizeof value);
    const char* text = numeric ? (flag ? "1" : "0") : (flag ? "Yes" : "No");
    CopyBounded(value, text, sizeof value);
    return WriteIniString(section, key, value, file);
}
