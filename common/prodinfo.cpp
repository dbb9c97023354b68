#include "common/prodinfo.h"

#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "common/diag.h"
#include "common/registry/devices.h"
#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "common/util.h"

static const char kProdInfoName[] = "prodinfo.ini";
static const char kGlobalStrings[] = "Global Strings";
static const char kIndirection[] = "Indirection";

// Copies at most size - 1 bytes, never splitting a double-byte character.
static void CopyWholeCharacters(char* destination, const char* source, short size) {
    if (!destination || size <= 0) return;
    int used = 0;
    for (const char* p = source ? source : ""; *p;) {
        int step = (IsDBCSLeadByte((BYTE)*p) && p[1]) ? 2 : 1;
        if (used + step > size - 1) break;
        memcpy(destination + used, p, (size_t)step);
        used += step;
        p += step;
    }
    destination[used] = '\0';
}

// Start of the file name within a path: after the last "\" or ":".
static const char* FileNamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == ':') name = p + 1;
    return name;
}

// ---------------------------------------------------------------- finding the file

// The indirection file of the module, "%s000%s.ind" from its base name, in the
// module's directory; empty when the base name is too short to have one.
static void IndirectionFileName(const char* module, char* out, size_t size) {
    out[0] = '\0';
    const char* name = FileNamePart(module);
    const char* dot = strchr(name, '.');
    size_t baseLength = dot ? (size_t)(dot - name) : strlen(name);
    if (baseLength <= 5) return;
    const char* last2 = name + baseLength - 2;
    bool digits = last2[0] >= '0' && last2[0] <= '9' && last2[1] >= '0' && last2[1] <= '9';
    snprintf(out, size, "%.*s%.3s000%s.ind", (int)(name - module), module, name,
             digits ? std::string(last2, 2).c_str() : "");
}

// The module's own path with "ini" for its extension.
static void ModuleIniName(const char* module, char* out, size_t size) {
    const char* name = FileNamePart(module);
    const char* dot = strrchr(name, '.');
    size_t keep = dot ? (size_t)(dot - module) + 1 : strlen(module);
    snprintf(out, size, "%.*s%sini", (int)keep, module, dot ? "" : ".");
}

int FindProdInfoFile(HINSTANCE instance, const char* key, char* buffer, short size) {
    if (!buffer || size <= 0) return 0;
    bool found = GetFileBesideModule(instance, kProdInfoName, buffer, size) > 0 && buffer[0] &&
                 FileExists(buffer);
    if (!found) {
        char module[MAX_PATH];
        DWORD n = GetModuleFileNameA(instance, module, sizeof module);
        if (n == 0 || n >= sizeof module) return 0;
        char redirect[MAX_PATH];
        IndirectionFileName(module, redirect, sizeof redirect);
        if (!redirect[0] || !FileExists(redirect)) {
            ModuleIniName(module, redirect, sizeof redirect);
            if (!FileExists(redirect)) return 0;
        }
        // Read into a work buffer, so that a failure leaves the path that was tried.
        char* directory = (char*)malloc((size_t)size);
        if (!directory) return 0;
        bool named = GetIniStringPlain(kIndirection, "Directory", directory, size, redirect) > 0;
        if (named) JoinPath(directory, kProdInfoName, buffer, size);
        free(directory);
        if (!named || !FileExists(buffer)) return 0;
    }
    if (key && *key) {
        char* kept = (char*)malloc((size_t)size);
        if (kept) {
            CopyBounded(kept, buffer, size);
            if (GetIniStringPlain(kIndirection, key, buffer, size, kept) <= 0)
                CopyBounded(buffer, kept, size);
            free(kept);
        }
    }
    return FileExists(buffer);
}

// ---------------------------------------------------------------- values

short GetIniString(const char* section, const char* key, char* buffer, short size,
                   const char* file, ExpandFlags flags) {
    if (!buffer || !file || size <= 0) return 0;
    buffer[0] = '\0';
    // Without a section or key the profile call would hand out a name list.
    if (!*file || !section || !key) return 0;
    if (GetPrivateProfileStringA(section, key, "", buffer, (DWORD)size, file) == 0 || !buffer[0])
        return 0;
    IniContext context = {file, section, key};
    return ExpandString(buffer, size, flags, IniResolver, &context);
}

short GetIniStringPlain(const char* section, const char* key, char* buffer, short size,
                        const char* file) {
    return GetIniString(section, key, buffer, size, file, PlainValueFlags);
}

WORD ProductModelFromFile(const char* file) {
    char product[50];
    if (GetIniStringPlain("Globals", "Product", product, sizeof product, file) <= 0) return 0;
    return ModelIdFromName(product);
}

int IniResolver(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    const IniContext* ini = (const IniContext*)context;
    if (!ini || !out || room <= 0) return 0;
    out[0] = '\0';
    if (!name || !*name || !ini->File || !*ini->File) return 0;
    ExpansionGuard guard(name);
    if (guard.Refused()) return 0;  // a cycle: the reference stays as written

    bool found = false;
    if (const char* global = LookupGlobalString(name)) {
        CopyBounded(out, global, room);
        found = true;
    } else {
        char language[50];
        GetGlobalStringsSection(ini->File, language, sizeof language);
        const char* sections[] = {language, kGlobalStrings, "Globals"};
        for (const char* section : sections) {
            if (GetPrivateProfileStringA(section, name, "", out, (DWORD)room, ini->File) > 0 &&
                out[0]) {
                found = true;
                break;
            }
            out[0] = '\0';
        }
        if (!found) {
            WORD model = ProductModelFromFile(ini->File);
            found = model &&
                    ReadRegStringExpanded(17, model, name, out, room, StandardValueFlags) > 0;
        }
    }
    if (found) ExpandString(out, room, flags, IniResolver, context);
    return (int)strlen(out);
}

// ---------------------------------------------------------------- lists

HGLOBAL GetIniKeyList(const char* file, const char* section, short* count) {
    if (count) *count = 0;
    if (!file || !*file || !section) return nullptr;
    // Sizes are 16-bit counts: a list that needs more than 16384 bytes is not read.
    for (int size = 256; size <= 16384; size *= 2) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)size);
        if (!block) return nullptr;
        char* names = (char*)GlobalLock(block);
        if (!names) {
            GlobalFree(block);
            return nullptr;
        }
        DWORD got = GetPrivateProfileStringA(section, nullptr, "", names, (DWORD)size, file);
        short found = 0;
        for (const char* p = names; *p && p < names + size; p += strlen(p) + 1) ++found;
        GlobalUnlock(block);
        if (got <= 1) {
            GlobalFree(block);
            return nullptr;
        }
        if (got == (DWORD)size - 2) {  // cut: try again with more room
            GlobalFree(block);
            continue;
        }
        if (count) *count = found;
        return block;
    }
    return nullptr;
}

HGLOBAL FindIniSections(const char* file, const char* prefix, short* count) {
    if (count) *count = 0;
    if (!file || !*file) return nullptr;
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    long length = GetOpenFileLength(handle);
    if (length <= 0 || length >= 32768) {
        CloseHandle(handle);
        return nullptr;
    }
    HGLOBAL block = ReadFileToMemory(handle, length);
    CloseHandle(handle);
    if (!block) return nullptr;
    return CollectIniSections(block, length, prefix, count);
}

HGLOBAL CollectIniSections(HGLOBAL block, long length, const char* prefix, short* count) {
    if (count) *count = 0;
    if (!block) return nullptr;
    if (length <= 0 || length >= 32768 || GlobalSize(block) < (SIZE_T)length) {
        GlobalFree(block);
        return nullptr;
    }
    // The caller's prefix stays as it is; only our copy is cut at its first "%".
    char wanted[256];
    CopyBounded(wanted, prefix, sizeof wanted);
    if (char* percent = strchr(wanted, '%')) *percent = '\0';
    size_t wantedLength = strlen(wanted);

    char* text = (char*)GlobalLock(block);
    if (!text) {
        GlobalFree(block);
        return nullptr;
    }
    const char* end = text + length - 1;
    // Names are written to the front of the block, always behind the line
    // being read, since each header line is longer than its name.
    char* write = text;
    short found = 0;
    char line[256];
    bool atLineStart = true;
    for (const char* p = text; p <= end;) {
        const char* next = ReadTextLine(p, end, line, sizeof line);
        // Cut by the buffer when the reading stopped right behind the bytes it
        // took, before a line end: a line of exactly the buffer's length whose
        // line end was read is complete, and the next line may be a header.
        bool cutByBuffer = next == p + strlen(line) && next <= end && *next != '\0' &&
                           *next != '\r' && *next != '\n';
        if (next <= end && *next == '\0') ++next;  // a NUL byte ends the line too
        if (atLineStart && line[0] == '[') {
            const char* close = FindCharacter(line + 1, ']');
            size_t nameLength = close ? (size_t)(close - (line + 1)) : 0;
            if (close && nameLength > 0 && nameLength <= 49 && nameLength >= wantedLength &&
                strncmp(line + 1, wanted, wantedLength) == 0) {
                memcpy(write, line + 1, nameLength);
                write[nameLength] = '\0';
                write += nameLength + 1;
                ++found;
            }
        }
        atLineStart = !cutByBuffer;  // the rest of a long line is no header
        p = next;
    }
    if (found == 0) {
        GlobalUnlock(block);
        GlobalFree(block);
        return nullptr;
    }
    *write++ = '\0';
    SIZE_T used = (SIZE_T)(write - text);
    GlobalUnlock(block);
    if (HGLOBAL smaller = GlobalReAlloc(block, used, GMEM_MOVEABLE)) block = smaller;
    if (count) *count = found;
    return block;
}

short EnumIniFields(const char* file, const char* section, HGLOBAL keyList,
                    IniFieldCallback callback, void* context) {
    if (!file || !*file || !section || !*section || !keyList || !callback) return 0;
    const short kValueSize = 256;
    char* value = (char*)malloc(kValueSize);
    if (!value) return 0;
    ValidateBuffer(value, kValueSize, "EnumIniFields");
    const char* keys = (const char*)GlobalLock(keyList);
    short result = 0;
    if (keys) {
        for (const char* key = keys; *key; key += strlen(key) + 1) {
            if (GetIniStringPlain(section, key, value, kValueSize, file) <= 0) continue;
            result = callback(key, value, kValueSize, context);
            if (result) break;
        }
        GlobalUnlock(keyList);
    }
    free(value);
    return result;
}

short GetGlobalStringsSection(const char* file, char* destination, short size) {
    if (!destination || size <= 0) return 0;
    short count = 0;
    HGLOBAL list = FindIniSections(file, kGlobalStrings, &count);
    char language[10] = "";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, language, sizeof language) <=
        0)
        language[0] = '\0';
    short length = ChooseGlobalStringsSection(list, language, destination, size);
    if (list) GlobalFree(list);
    return length;
}

short ChooseGlobalStringsSection(HGLOBAL list, const char* userLanguage, char* destination,
                                 short size) {
    if (!destination || size <= 0) return 0;
    char result[64];
    snprintf(result, sizeof result, "%s: %s", kGlobalStrings, "ENU");
    char language[10];
    CopyWholeCharacters(language, userLanguage, sizeof language);
    const char* names = list ? (const char*)GlobalLock(list) : nullptr;
    if (names && language[0]) {
        CharUpperA(language);
        char wanted[64];
        bool chosen = false;
        snprintf(wanted, sizeof wanted, "%s: %s", kGlobalStrings, language);
        for (const char* n = names; *n && !chosen; n += strlen(n) + 1)
            if (_mbscmp((const unsigned char*)n, (const unsigned char*)wanted) == 0) {
                CopyBounded(result, n, sizeof result);
                chosen = true;
            }
        // No exact match: any section of the two-letter language will do.
        // The last character goes, never half of one.
        char* last = nullptr;
        for (char* p = language; *p; p = CharNextA(p)) last = p;
        if (!chosen && last && last != language) {
            *last = '\0';
            snprintf(wanted, sizeof wanted, "%s: %s", kGlobalStrings, language);
            for (const char* n = names; *n && !chosen; n += strlen(n) + 1)
                if (_mbsstr((const unsigned char*)n, (const unsigned char*)wanted)) {
                    CopyBounded(result, n, sizeof result);
                    chosen = true;
                }
        }
    }
    if (names) GlobalUnlock(list);
    CopyWholeCharacters(destination, result, size);
    return (short)strlen(destination);
}

// ---------------------------------------------------------------- global string table

int TableResolver(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    if (!out || room <= 0) return 0;
    out[0] = '\0';
    if (!name || !*name) return 0;
    ExpansionGuard guard(name);
    if (guard.Refused()) return 0;
    const char* value = LookupGlobalString(name);
    if (!value) return 0;
    CopyBounded(out, value, room);
    ExpandString(out, room, StandardValueFlags, TableResolver, context);
    return (int)strlen(out);
}

static short AddEntry(const char* key, char* value, short, void*) {
    AddGlobalString(key, value);
    return 0;  // go on with the next key
}

// Expands every value once through the table. An entry's own name is held
// while its value is expanded, so a value that refers back to it keeps that
// reference as written.
static void RewriteTable() {
    GlobalStringTable* table = CurrentGlobalStringTable();
    if (!table) return;
    char name[256], value[256];
    for (long i = 0; i < table->Count; ++i) {
        CopyBounded(name, table->Entries[i].Name, sizeof name);
        CopyBounded(value, table->Entries[i].Value, sizeof value);
        {
            ExpansionGuard guard(name);
            ExpandString(value, sizeof value, StandardValueFlags, TableResolver, table);
        }
        ReplaceGlobalStringValue(i, value);
    }
}

int LoadGlobalStrings(HINSTANCE instance, const char* file, const char* section) {
    bool fileGiven = file && *file;
    if (fileGiven) FreeGlobalStrings();
    if (CurrentGlobalStringTable()) return 0;

    char path[MAX_PATH];
    if (fileGiven)
        CopyBounded(path, file, sizeof path);
    else
        FindProdInfoFile(instance, nullptr, path, sizeof path);

    char language[256];
    const char* sections[2] = {section, nullptr};
    int sectionCount = 1;
    if (!section || !*section) {
        GetGlobalStringsSection(path, language, sizeof language);
        sections[0] = kGlobalStrings;
        sections[1] = language;
        sectionCount = 2;
    }
    if (path[0]) FlushIniCache(path);

    HGLOBAL lists[2] = {nullptr, nullptr};
    short counts[2] = {0, 0};
    bool every = true;
    long total = 0;
    for (int i = 0; i < sectionCount; ++i) {
        lists[i] = GetIniKeyList(path, sections[i], &counts[i]);
        if (!lists[i]) every = false;
        total += counts[i];
    }
    if (every && total > 0 && CreateGlobalStringTable(total)) {
        for (int i = 0; i < sectionCount; ++i)
            EnumIniFields(path, sections[i], lists[i], AddEntry, nullptr);
        RewriteTable();
    }
    for (HGLOBAL list : lists)
        if (list) GlobalFree(list);

    LoadRegistryPaths(instance, path, "Registry Paths");
    return 0;
}
