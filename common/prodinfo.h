// The product information file "prodinfo.ini": finding it, reading values
// with expansion, section and key lists, and the global string table loaded
// from its "Global Strings" sections.
#pragma once
#include <windows.h>

#include "common/expand.h"
#include "common/globalstrings.h"

// Context of the INI resolver; only the file is consulted.
struct IniContext {
    const char* File;
    const char* Section;
    const char* Key;
};

// Finds the product information file beside instance's module or through an
// indirection file; nonzero when the path left in buffer names an existing file.
int FindProdInfoFile(HINSTANCE instance, const char* key, char* buffer, short size);

// Reads one value and runs it through ExpandString with flags; returns the
// length of the result, 0 when the key is missing or empty.
short GetIniString(const char* section, const char* key, char* buffer, short size,
                   const char* file, ExpandFlags flags);
short GetIniStringPlain(const char* section, const char* key, char* buffer, short size,
                        const char* file);

// Key names of a section as a movable block (names NUL-terminated, the list
// ended by an extra NUL); the caller frees it. None when the section has no keys.
HGLOBAL GetIniKeyList(const char* file, const char* section, short* count);
// Names of the sections whose header begins with prefix (up to its first
// "%"), from the raw text of the file; same form as a key list.
HGLOBAL FindIniSections(const char* file, const char* prefix, short* count);

// The scan of FindIniSections over text already read: length bytes of the
// movable block, which becomes the list (or is freed when no name is found).
HGLOBAL CollectIniSections(HGLOBAL block, long length, const char* prefix, short* count);

// Called for each key with a non-empty value; non-zero stops the walk.
typedef short (*IniFieldCallback)(const char* key, char* value, short valueSize, void* context);
short EnumIniFields(const char* file, const char* section, HGLOBAL keyList,
                    IniFieldCallback callback, void* context);

// Name of the "Global Strings: <language>" section to use for the user's
// language; returns its length.
short GetGlobalStringsSection(const char* file, char* destination, short size);
// The choice of GetGlobalStringsSection among the names of list (which may be
// none) for a three-letter language code; the list stays the caller's.
short ChooseGlobalStringsSection(HGLOBAL list, const char* language, char* destination,
                                 short size);

// Loads the global string table (once; a given file rebuilds it) and the
// registry base names of the same file. Always 0.
int LoadGlobalStrings(HINSTANCE instance, const char* file, const char* section);

// Global strings, then the file's language section, "Global Strings",
// "Globals", then the registry environment of the product's model.
int IniResolver(const char* name, ExpandFlags flags, char* out, short room, void* context);
// The global string table alone; used when the table is rewritten.
int TableResolver(const char* name, ExpandFlags flags, char* out, short room, void* context);

// Model id of the product named by "Globals"/"Product" of file; 0 for none.
WORD ProductModelFromFile(const char* file);
