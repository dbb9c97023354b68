#include "settings/macro.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "common/util.h"

namespace {

const char kMacroError[] = "MACRO_ERROR";

// Copies at most size - 1 bytes, never half a double-byte character.
void CopyWhole(char* destination, const char* source, int size) {
    int n = 0;
    while (source[n]) {
        int step = IsDBCSLeadByte((BYTE)source[n]) && source[n + 1] ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
    }
    memcpy(destination, source, (size_t)n);
    destination[n] = '\0';
}

void BuiltIn(const char* name, char* value, int room) {
    value[0] = '\0';
    auto is = [&](const char* builtin) { return CompareNames(name, builtin) == 0; };
    if (is("date")) {
        if (GetDateFormatA(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, nullptr,
                           nullptr, value, room) <= 0)
            value[0] = '\0';
    } else if (is("time")) {
        if (GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE, nullptr, nullptr, value,
                           room) <= 0)
            value[0] = '\0';
    } else if (is("username")) {
        // Through the wide call: Wine's narrow one counts the room in
        // characters and cuts a double-byte name in the middle.
        wchar_t wide[MacroValueSize];
        DWORD size = MacroValueSize;
        char ansi[MacroValueSize * 2];
        if (GetUserNameW(wide, &size) &&
            WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr) > 0)
            CopyWhole(value, ansi, room);
    } else if (is("cpu")) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const char* text = "Unknown processor type";
        switch (info.dwProcessorType) {
        case 386: text = "386 or compatible"; break;
        case 486: text = "486 or compatible"; break;
        case 586: text = "Pentium/Pentium Pro/Pentium II or compatible"; break;
        }
        CopyWhole(value, text, room);
    } else if (is("ram")) {
        // The extended call: the plain one stops counting at 4 GB.
        MEMORYSTATUSEX status;
        status.dwLength = sizeof status;
        if (GlobalMemoryStatusEx(&status))
            snprintf(value, (size_t)room, "%llu", (unsigned long long)status.ullTotalPhys);
    }
}

}  // namespace

char* ExpandMacroField(const char* source, int field, char* destination, int size, int flags,
                       MacroCallback resolver) {
    if (!source || !destination || size <= 0) return destination;
    destination[0] = '\0';
    if (!*source || field < 1) return destination;

    std::vector<char> built(MacroFieldSize), name(MacroValueSize), value(MacroValueSize);
    const int limit = (size < MacroFieldSize ? size : MacroFieldSize) - 1;
    int length = 0;
    // Once a character does not fit, the field is full: nothing after it is
    // added, or a short single byte could follow a double-byte character
    // that was dropped, leaving a hole in the text.
    bool full = false;
    auto append = [&](const char* bytes, int count) {
        if (full || length + count > limit) {  // does not fit: dropped
            full = true;
            return;
        }
        memcpy(&built[length], bytes, (size_t)count);
        length += count;
        built[length] = '\0';
    };

    const char* p = source;
    int count = 0;
    bool fieldStart = true;
    for (;;) {
        if (fieldStart) {
            length = 0;
            full = false;
            built[0] = '\0';
            while (*p == ' ' || *p == '\t') ++p;
            fieldStart = false;
        }
        char c = *p;
        if (c == '\0') break;
        if (c == '%' && (flags & MACRO_REFERENCES)) {
            int n = 0;
            for (++p; *p && *p != '%'; ++p)
                if (n < MacroValueSize - 1) name[n++] = *p;
            name[n] = '\0';
            std::fill(value.begin(), value.end(), '\0');
            if (resolver) {
                resolver(name.data(), value.data(), MacroValueSize);
                value[MacroValueSize - 1] = '\0';
            }
            if (!value[0]) BuiltIn(name.data(), value.data(), MacroValueSize);
            if (!full) {
                const char* text = value[0] ? value.data() : kMacroError;
                AppendBounded(built.data(), MacroFieldSize, text, 0);
                int added = (int)strlen(built.data()) - length;
                length += added;
                // A value cut short fills the field, as a character that does not fit.
                if (added < (int)strlen(text)) full = true;
            }
            if (*p == '\0') break;  // left open: the text ends here
            ++p;
            continue;
        }
        if (c == ',' && (flags & MACRO_FIELDS)) {
            if (++count == field) {
                CopyWhole(destination, built.data(), size);
                return destination;
            }
            ++p;
            fieldStart = true;
            continue;
        }
        if (c == '\\' && (flags & MACRO_ESCAPES)) {
            if (*++p == '\0') break;
            c = *p;
        }
        // A double-byte character moves as one, so its trail byte is never
        // taken for a backslash.
        int step = IsDBCSLeadByte((BYTE)c) && p[1] ? 2 : 1;
        append(p, step);
        p += step;
    }
    if (++count == field) CopyWhole(destination, built.data(), size);
    return destination;
}

char* ExpandMacroText(char* text, int size, int field, MacroCallback resolver) {
    if (!text || size <= 0) return text;
    std::vector<char> work(MacroFieldSize);
    ExpandMacroField(text, field, work.data(), MacroFieldSize, MACRO_ALL, resolver);
    CopyWhole(text, work.data(), size);
    return text;
}
