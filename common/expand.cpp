#include "common/expand.h"

#include <stdlib.h>
#include <string.h>

#include "common/globalstrings.h"
#include "common/util.h"

static HINSTANCE g_resourceInstance = nullptr;

void SetLibraryResourceInstance(HINSTANCE instance) { g_resourceInstance = instance; }
HINSTANCE GetLibraryResourceInstance() { return g_resourceInstance; }

// ---------------------------------------------------------------- cycle guard

namespace {
const int kNameSize = 50;
char g_activeNames[ExpansionGuard::kLimit][kNameSize];
int g_activeDepth = 0;
int g_enteredUnderOutermost = 0;
}  // namespace

ExpansionGuard::ExpansionGuard(const char* name) : entered_(false) {
    if (!name || g_activeDepth >= kLimit) return;
    if (g_activeDepth == 0) g_enteredUnderOutermost = 0;
    if (g_enteredUnderOutermost >= kBudget) return;
    for (int i = 0; i < g_activeDepth; ++i)
        if (CompareNames(g_activeNames[i], name) == 0) return;
    CopyBounded(g_activeNames[g_activeDepth], name, kNameSize);
    ++g_activeDepth;
    ++g_enteredUnderOutermost;
    entered_ = true;
}

ExpansionGuard::~ExpansionGuard() {
    if (entered_) --g_activeDepth;
}

// ---------------------------------------------------------------- processor

static void CutComment(char* text, ExpandFlags flags) {
    char delimiter = (char)(flags & EXPAND_DELIMITER_MASK);
    if (!delimiter) delimiter = ';';
    bool quotes = (flags & EXPAND_HONOUR_QUOTES) != 0;
    bool inside = false;
    for (char* p = text; *p; ++p) {
        if (quotes && *p == '"') {
            if (p[1] == '"') {
                ++p;  // an escaped quote does not switch
                continue;
            }
            inside = !inside;
            continue;
        }
        if (*p == delimiter && !inside) {
            *p = '\0';
            return;
        }
    }
}

static void ReplaceReferences(char* text, short size, ExpandFlags flags, MacroResolver resolver,
                              void* context) {
    char* copy = (char*)malloc((size_t)size);
    char* name = (char*)malloc(kNameSize);
    if (!copy || !name) {
        free(copy);
        free(name);
        return;
    }
    CopyBounded(copy, text, size);
    int out = 0;
    const int maxOut = size - 1;
    const char* open = nullptr;  // the opening "$" of the reference being read
    int nameLen = 0;
    for (const char* p = copy; *p; ++p) {
        if (*p == '$') {
            if (!open) {
                open = p;
                nameLen = 0;
                continue;
            }
            name[nameLen] = '\0';
            text[out] = '\0';
            // "$$" names nothing: no resolver is asked, so none can answer it.
            int got = nameLen > 0
                          ? resolver(name, flags, text + out, (short)(size - out), context)
                          : 0;
            if (got > 0) {
                text[maxOut] = '\0';
                out += (int)strlen(text + out);
            } else {
                for (const char* q = open; q <= p && out < maxOut; ++q) text[out++] = *q;
            }
            open = nullptr;
            continue;
        }
        if (open) {
            if (nameLen < kNameSize - 1) name[nameLen++] = *p;
        } else if (out < maxOut) {
            text[out++] = *p;
        }
    }
    text[out] = '\0';  // an unclosed reference is dropped with the rest
    free(copy);
    free(name);
}

static void MakeShortPath(char* text, short size) {
    if (!*text) return;
    // The ANSI call takes no path of MAX_PATH characters or more; asked
    // anyway, the platform can spend seconds walking such a text.
    if (strlen(text) >= MAX_PATH) {
        text[0] = '\0';
        return;
    }
    char shortPath[MAX_PATH + 1];
    DWORD n = GetShortPathNameA(text, shortPath, sizeof shortPath);
    if (n == 0 || n > 256 || n >= (DWORD)size) {
        text[0] = '\0';
        return;
    }
    CopyBounded(text, shortPath, size);
}

short ExpandString(char* text, short size, ExpandFlags flags, MacroResolver resolver,
                   void* context) {
    if (!resolver || !text || size <= 0) return 0;
    if (strnlen(text, (size_t)size) == (size_t)size) text[size - 1] = '\0';
    if (flags & EXPAND_CUT_COMMENT) CutComment(text, flags);
    if (flags & EXPAND_REFERENCES) ReplaceReferences(text, size, flags, resolver, context);
    if (flags & EXPAND_TRIM_TRAILING) TrimTrailingSpaces(text);
    if (flags & EXPAND_TRIM_LEADING) TrimLeadingSpaces(text);
    if ((flags & (EXPAND_HONOUR_QUOTES | EXPAND_REMOVE_QUOTES)) ==
        (EXPAND_HONOUR_QUOTES | EXPAND_REMOVE_QUOTES))
        UnquoteString(text);
    if (flags & EXPAND_SHORT_PATH) MakeShortPath(text, size);
    return (short)strlen(text);
}

// ---------------------------------------------------------------- string resources

int StringResourceResolver(const char* name, ExpandFlags flags, char* out, short room,
                           void* context) {
    const int kWork = 512;
    ExpansionGuard guard(name);
    if (guard.Refused() || !out || room <= 0) return 0;
    out[0] = '\0';
    char* work = (char*)malloc(kWork);
    if (!work) return 0;
    work[0] = '\0';
    char* value = nullptr;

    if (const char* global = LookupGlobalString(name)) {
        CopyBounded(work, global, kWork);
        value = work;
    } else {
        const StringIdList* list = (const StringIdList*)context;
        for (WORD r = 0; list && r < list->Count && !value; ++r) {
            if (list->Ids[r] == 0) continue;
            for (UINT id = list->Ids[r]; id <= 0xFFFF && !value; ++id) {
                if (LoadStringA(g_resourceInstance, id, work, kWork) <= 0) break;
                if (work[0] == '*') break;  // end of the range
                char* eq = FindCharacter(work, '=');
                if (!eq) continue;
                *eq = '\0';
                if (CompareNames(work, name) == 0)
                    value = eq + 1;
            }
        }
    }

    if (value && *value) {
        ExpandString(value, (short)(kWork - (value - work)), flags, StringResourceResolver, context);
        CopyBounded(out, value, room);
    }
    free(work);
    return (int)strlen(out);
}

char* ExpandWithStringResources(char* text, short size, HINSTANCE instance, WORD firstId,
                                WORD secondId, ExpandFlags flags) {
    (void)instance;  // strings always come from the library's resource instance
    StringIdList list = {2, {firstId, secondId}};
    ExpandString(text, size, flags, StringResourceResolver, &list);
    return text;
}
