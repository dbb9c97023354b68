#include "common/globalstrings.h"

#include <stdlib.h>
#include <string.h>

#include "common/util.h"

static GlobalStringTable* g_table = nullptr;

GlobalStringTable* CurrentGlobalStringTable() { return g_table; }

static char* MakeEntryBlock(const char* name, const char* value, char** valueOut) {
    size_t n = strlen(name), v = strlen(value);
    char* block = (char*)malloc(n + v + 2);
    if (!block) return nullptr;
    memcpy(block, name, n + 1);
    memcpy(block + n + 1, value, v + 1);
    *valueOut = block + n + 1;
    return block;
}

GlobalStringTable* CreateGlobalStringTable(long capacity) {
    FreeGlobalStrings();
    if (capacity <= 0) return nullptr;
    GlobalStringTable* table = (GlobalStringTable*)calloc(1, sizeof(GlobalStringTable));
    if (!table) return nullptr;
    table->Entries = (GlobalStringEntry*)calloc((size_t)capacity, sizeof(GlobalStringEntry));
    if (!table->Entries) {
        free(table);
        return nullptr;
    }
    table->Capacity = capacity;
    g_table = table;
    return table;
}

int AddGlobalString(const char* name, const char* value) {
    if (!g_table || !name || g_table->Count >= g_table->Capacity) return 0;
    GlobalStringEntry& e = g_table->Entries[g_table->Count];
    e.Name = MakeEntryBlock(name, value ? value : "", &e.Value);
    if (!e.Name) return 0;
    ++g_table->Count;
    return 1;
}

int ReplaceGlobalStringValue(long index, const char* value) {
    if (!g_table || index < 0 || index >= g_table->Count) return 0;
    GlobalStringEntry& e = g_table->Entries[index];
    char* newValue = nullptr;
    char* block = MakeEntryBlock(e.Name, value ? value : "", &newValue);
    if (!block) return 0;
    free(e.Name);
    e.Name = block;
    e.Value = newValue;
    return 1;
}

const char* LookupGlobalString(const char* name) {
    if (!g_table || g_table->Count <= 0 || !name) return nullptr;
    for (long i = 0; i < g_table->Count; ++i)
        if (CompareNames(g_table->Entries[i].Name, name) == 0)
            return g_table->Entries[i].Value;
    return nullptr;
}

long FreeGlobalStrings() {
    if (!g_table) return 0;
    long count = g_table->Count;
    for (long i = 0; i < g_table->Count; ++i) free(g_table->Entries[i].Name);
    free(g_table->Entries);
    free(g_table);
    g_table = nullptr;
    return count;
}
