// The product's registry tree: base names from the product information file,
// key paths named by section id (and, for some sections, a device id).
#pragma once
#include <windows.h>

// Each base is a backslash and at most 79 characters of value; empty when not loaded.
const int kRegBaseSize = 81;
extern char MfgBase[kRegBaseSize];   // maker level, default "\Kelvaro"
extern char OrgBase[kRegBaseSize];   // product-line level, default "\Corvantis"
extern char ProdBase[kRegBaseSize];  // kept for completeness, part of no key path
extern HKEY RootKey;                 // root of every section key; null until ensured

// Reads the bases from file (empty: "prodinfo.ini" beside instance's module),
// section (empty: "Registry Paths").
void LoadRegistryPaths(HINSTANCE instance, const char* file, const char* section);
void ReadRegistryBases(const char* file, const char* section);
// Fills the bases from "prodinfo.ini" beside the program when they were never
// read, and sets the root key.
void EnsureRegistryPaths();
void ResetRegistryPaths();

// Composes the key path of a section into destination (within room) and
// returns its length; 0 without a destination.
short GetRegSectionStr(WORD section, long id, char* destination, short room);
// Opens the section's key, creating it when missing; null on failure.
// The caller closes it.
HKEY OpenRegSection(WORD section, long id);
