// Choosing and loading the resource module that holds the user-interface
// resources, as named by "Module File Names" of the product information file.
#pragma once
#include <windows.h>

#include "common/expand.h"

struct ModuleNameRecord {
    char ModulePath[MAX_PATH];    // directory and file name, references expanded
    char Directory[MAX_PATH];     // the entry's directory field as written
    char ResourcePath[MAX_PATH];  // the resource module, with the language suffix
    long UseResource;             // whether the resource module is to be used
};

// The resource module of application name, or instance when none is named or
// it cannot be loaded.
HINSTANCE LoadResourceModule(HINSTANCE instance, const char* applicationName, DWORD reserved);
// Keeps the module loaded for the rest of the process; returns 0.
int ReleaseResourceModule(HINSTANCE instance, HINSTANCE module, const char* applicationName,
                          DWORD reserved);
// Nonzero when buffer holds the path of the resource module to use; otherwise
// buffer holds the path of instance's own module file.
long GetResourceModuleName(HINSTANCE instance, const char* applicationName, char* buffer,
                           short size);

// Resolves one "Module File Names" entry ("base[:n], ext, directory,
// entry[:n]") of file into record; a nested resolution leaves out the
// resource module. entry is split in place.
void ResolveModuleEntry(const char* file, char* entry, ModuleNameRecord* record, bool full);

// Formats a module file name from a "ModNameFmt" format: "%s" takes the base
// and then the extension, "%%" is one "%"; nothing else is a directive.
void FormatModuleName(const char* format, const char* base, const char* extension, char* out,
                      short size);

// Global strings, "Globals" of the product information file (the context),
// then the registry environment of the product's model.
int ModuleResolver(const char* name, ExpandFlags flags, char* out, short room, void* context);

// Loads a library from within its own directory, without error boxes.
HMODULE LoadLibraryInDir(const char* path);
