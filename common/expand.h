// The value-expansion processor: comment cut, $name$ references, trimming,
// unquoting and short paths, each chosen by a bit of the flag word.
#pragma once
#include <windows.h>

typedef WORD ExpandFlags;

enum : WORD {
    EXPAND_DELIMITER_MASK = 0x00FF,  // comment delimiter; 0 means ';'
    EXPAND_HONOUR_QUOTES = 0x0100,
    EXPAND_REMOVE_QUOTES = 0x0200,   // only together with EXPAND_HONOUR_QUOTES
    EXPAND_CUT_COMMENT = 0x0400,
    EXPAND_REFERENCES = 0x0800,
    EXPAND_TRIM_LEADING = 0x1000,
    EXPAND_TRIM_TRAILING = 0x2000,
    EXPAND_SHORT_PATH = 0x8000,
};

const ExpandFlags StandardValueFlags = 0x3C00;
const ExpandFlags PlainValueFlags = 0x3500;

// Writes the value of name at out within room bytes and returns a count above
// 0, or returns 0 or less when it knows no value.
typedef int (*MacroResolver)(const char* name, ExpandFlags flags, char* out, short room,
                             void* context);

// Context of the string-resource resolver: a count, then the first ids of the
// name=value string ranges.
struct StringIdList {
    WORD Count;
    WORD Ids[2];
};

short ExpandString(char* text, short size, ExpandFlags flags, MacroResolver resolver,
                   void* context);

void SetLibraryResourceInstance(HINSTANCE instance);
HINSTANCE GetLibraryResourceInstance();

char* ExpandWithStringResources(char* text, short size, HINSTANCE instance, WORD firstId,
                                WORD secondId, ExpandFlags flags);

// The string-resource resolver (context: StringIdList).
int StringResourceResolver(const char* name, ExpandFlags flags, char* out, short room,
                           void* context);

// Guards against values that refer back to themselves. A resolver that expands
// what it found again holds a guard for the name while it does so; a name that
// is already being resolved further up, or a nesting deeper than kLimit, is
// refused, and the resolver then leaves the reference as written. Values that
// each name two others would double the work at every level: past kBudget
// names under one outermost name, every further one is refused as well.
class ExpansionGuard {
public:
    explicit ExpansionGuard(const char* name);
    ~ExpansionGuard();
    bool Refused() const { return !entered_; }
    static const int kLimit = 16;
    static const int kBudget = 1024;

private:
    bool entered_;
};
