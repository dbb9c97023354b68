#include "common/resmodule.h"

#include <ctype.h>
#include <direct.h>
#include <stdlib.h>
#include <string.h>

#include "common/globalstrings.h"
#include "common/prodinfo.h"
#include "common/registry/values.h"
#include "common/util.h"

static const char kModuleFileNames[] = "Module File Names";

// Formats a module file name from a format of the product information file.
// Only "%s" (base, then extension) and "%%" are taken as directives, so a
// format from the file can never read arguments that are not there.
void FormatModuleName(const char* format, const char* base, const char* extension,
                      char* out, short size) {
    if (!out || size <= 0) return;
    const char* args[2] = {base, extension};
    int next = 0;
    out[0] = '\0';
    if (!format) return;
    for (const char* p = format; *p; ++p) {
        // Literal text goes in whole characters: a double-byte character's
        // trail byte alone could read as a backslash.
        bool pair = IsDBCSLeadByte((BYTE)p[0]) && p[1];
        char piece[3] = {p[0], pair ? p[1] : '\0', '\0'};
        if (pair) {
            AppendBounded(out, size, piece, 0);
            ++p;
        } else if (p[0] == '%' && p[1] == 's') {
            AppendBounded(out, size, next < 2 && args[next] ? args[next] : "", 0);
            ++next;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            AppendBounded(out, size, "%", 0);
            ++p;
        } else {
            AppendBounded(out, size, piece, 0);
        }
    }
}

static char* TrimField(char* field) { return TrimLeadingSpaces(TrimTrailingSpaces(field)); }

void ResolveModuleEntry(const char* file, char* entry, ModuleNameRecord* record, bool full) {
    if (!record) return;
    record->ModulePath[0] = '\0';
    record->Directory[0] = '\0';
    record->ResourcePath[0] = '\0';
    record->UseResource = 0;
    if (!entry || !file) return;

    // NextField keeps one position for the process: take every field before
    // splitting any of them further.
    char* fields[4];
    fields[0] = NextField(entry, ',');
    for (int i = 1; i < 4; ++i) fields[i] = NextField(nullptr, ',');
    for (char*& field : fields) field = TrimField(field);

    // The parts around ":" are taken as written, as every program reading the
    // same entry takes them.
    char* base = NextField(fields[0], ':');
    bool formatted = atoi(NextField(nullptr, ':')) != 0;
    CopyBounded(record->Directory, fields[2], MAX_PATH);

    char fileName[MAX_PATH] = "";
    if (formatted) {
        char format[MAX_PATH];
        if (GetIniString(kModuleFileNames, "ModNameFmt", format, sizeof format, file,
                         StandardValueFlags) > 0) {
            if (fields[1][0]) AppendBounded(format, sizeof format, ".%s", 0);
            FormatModuleName(format, base, fields[1], fileName, sizeof fileName);
        }
    } else {
        CopyBounded(fileName, base, sizeof fileName);
    }
    JoinPath(record->Directory, fileName, record->ModulePath, MAX_PATH);
    ExpandString(record->ModulePath, MAX_PATH, StandardValueFlags, ModuleResolver, (void*)file);
    if (!full) return;

    char* nestedName = NextField(fields[3], ':');
    record->UseResource = atoi(NextField(nullptr, ':')) != 0 ? 1 : 0;
    if (!nestedName[0]) return;

    char nestedEntry[256];
    if (GetIniStringPlain(kModuleFileNames, nestedName, nestedEntry, sizeof nestedEntry, file) <= 0)
        return;
    ModuleNameRecord* nested = (ModuleNameRecord*)calloc(1, sizeof(ModuleNameRecord));
    if (!nested) return;
    ResolveModuleEntry(file, nestedEntry, nested, false);
    if (nested->ModulePath[0]) {
        WORD model = (WORD)GetPrivateProfileIntA("Product Identity", "ModelID", 0, file);
        char language[10];
        // An existing but empty value still adds the "."
        if (ReadRegString(17, model, "Language", language, sizeof language) > 0) {
            AppendBounded(nested->ModulePath, MAX_PATH, ".", 0);
            AppendBounded(nested->ModulePath, MAX_PATH, language, 0);
        }
        CopyBounded(record->ResourcePath, nested->ModulePath, MAX_PATH);
    }
    free(nested);
}

long GetResourceModuleName(HINSTANCE instance, const char* applicationName, char* buffer,
                           short size) {
    LoadGlobalStrings(instance, nullptr, nullptr);
    ModuleNameRecord* record = (ModuleNameRecord*)calloc(1, sizeof(ModuleNameRecord));
    long flag = 0;
    if (record) {
        char file[MAX_PATH];
        char entry[256];
        if (applicationName && *applicationName &&
            FindProdInfoFile(instance, nullptr, file, sizeof file) &&
            GetIniStringPlain(kModuleFileNames, applicationName, entry, sizeof entry, file) > 0)
            ResolveModuleEntry(file, entry, record, true);
        flag = record->UseResource;
    }
    if (buffer && size > 0) {
        if (flag)
            CopyBounded(buffer, record->ResourcePath, size);
        else if (GetModuleFileNameA(instance, buffer, (DWORD)size) >= (DWORD)size)
            buffer[size - 1] = '\0';  // older platforms leave a cut name unterminated
    }
    free(record);
    return flag;
}

HINSTANCE LoadResourceModule(HINSTANCE instance, const char* applicationName, DWORD reserved) {
    char* path = (char*)malloc(MAX_PATH);
    if (!path) return instance;
    HINSTANCE result = instance;
    if (GetResourceModuleName(instance, applicationName, path, MAX_PATH) && path[0]) {
        if (HMODULE module = LoadLibraryInDir(path)) result = module;
    }
    free(path);
    return result;
}

int ReleaseResourceModule(HINSTANCE instance, HINSTANCE module, const char* applicationName,
                          DWORD reserved) {
    return 0;  // the module stays loaded until the process ends
}

int ModuleResolver(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    const char* file = (const char*)context;
    if (!out || room <= 0) return 0;
    out[0] = '\0';
    if (!name || !*name || !file || !*file) return 0;
    ExpansionGuard guard(name);
    if (guard.Refused()) return 0;  // a cycle: the reference stays as written

    bool found = false;
    if (const char* global = LookupGlobalString(name)) {
        CopyBounded(out, global, room);
        found = true;
    } else if (GetPrivateProfileStringA("Globals", name, "", out, (DWORD)room, file) > 0 &&
               out[0]) {
        found = true;
    } else {
        out[0] = '\0';
        WORD model = ProductModelFromFile(file);
        found = model && ReadRegStringExpanded(17, model, name, out, room, StandardValueFlags) > 0;
    }
    if (found) ExpandString(out, room, flags, ModuleResolver, context);
    return (int)strlen(out);
}

HMODULE LoadLibraryInDir(const char* path) {
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    char* saved = (char*)malloc(MAX_PATH);
    char* directory = (char*)malloc(MAX_PATH);
    if (!saved || !directory || !path) {
        free(saved);
        free(directory);
        SetErrorMode(oldMode);
        return nullptr;
    }
    if (!SaveCurrentDirectory(saved, MAX_PATH)) saved[0] = '\0';

    // Cut after the directory. A ":" or a "\" right after it stays, naming
    // the drive's current directory or its root.
    CopyBounded(directory, path, MAX_PATH);
    char* cut = nullptr;
    for (char* p = directory; *p; p = CharNextA(p))
        if (*p == '\\' || *p == ':') cut = p;
    if (cut) {
        if (*cut == ':' || (cut > directory && cut[-1] == ':'))
            cut[1] = '\0';
        else
            *cut = '\0';
        RestoreCurrentDirectory(directory);  // drive first, then directory
    }

    HMODULE module = LoadLibraryA(path);

    if (saved[0]) RestoreCurrentDirectory(saved);
    free(saved);
    free(directory);
    SetErrorMode(oldMode);
    return module;
}
