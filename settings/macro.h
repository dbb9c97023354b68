// Text macro expansion: picks one comma-separated field of a text, honours
// backslash escapes and replaces each %name% by its value. Names the caller's
// resolver leaves empty fall to the built-ins "date", "time", "username",
// "cpu" and "ram"; what nothing fills shows as "MACRO_ERROR".
#pragma once
#include <windows.h>

enum MacroFlags : int {
    MACRO_REFERENCES = 1,  // %name% is expanded
    MACRO_ESCAPES = 2,     // a backslash takes the next character literally
    MACRO_FIELDS = 4,      // a comma separates fields
    MACRO_ALL = 7,
};

const int MacroFieldSize = 1300;  // the field being built
const int MacroValueSize = 260;   // one name, one value

// Writes the value of name into value (room bytes, terminated); leaving it
// empty means the name is not known.
typedef void (*MacroCallback)(const char* name, char* value, int room);

// Writes field number field (1-based) of source, expanded, into destination.
char* ExpandMacroField(const char* source, int field, char* destination, int size, int flags,
                       MacroCallback resolver);
// Expands a field of text in place, with every flag, cut to size.
char* ExpandMacroText(char* text, int size, int field, MacroCallback resolver);
