// The process-wide table of global strings from the product information file.
#pragma once

struct GlobalStringEntry {
    char* Name;   // one allocation: name, NUL, value, NUL
    char* Value;  // points into the same allocation
};

struct GlobalStringTable {
    long Count;
    long Capacity;
    GlobalStringEntry* Entries;
};

// The current table, or none.
GlobalStringTable* CurrentGlobalStringTable();
// Creates an empty table for capacity entries and makes it current (the old
// one is freed first). Returns none when it cannot be allocated.
GlobalStringTable* CreateGlobalStringTable(long capacity);
// Adds an entry at the end; returns 0 when the table is full or absent.
int AddGlobalString(const char* name, const char* value);
// Replaces the value of entry index.
int ReplaceGlobalStringValue(long index, const char* value);

const char* LookupGlobalString(const char* name);
long FreeGlobalStrings();
