// The value-expansion processor with resolvers that answer, refuse, answer
// as long as the room allows and refer back to themselves; the string
// resources of this program; the text macro expander and the summary's
// template lines.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "common/expand.h"
#include "common/util.h"
#include "settings/faxsettings.h"
#include "settings/macro.h"
#include "summary/summary.h"
#include "tools/fuzz/fuzz.h"

namespace fuzz {
namespace {

bool Terminated(const char* p, size_t n) { return memchr(p, 0, n) != nullptr; }

// The name as the processor hands it over: cut to 49 bytes.
std::string Cut49(const std::string& name) { return name.substr(0, 49); }

int Answer(const char* name, ExpandFlags, char* out, short room, void*) {
    if (!out || room <= 0) return 0;
    std::string value = "<" + std::string(name) + ">";
    size_t n = value.size() < (size_t)room - 1 ? value.size() : (size_t)room - 1;
    memcpy(out, value.data(), n);
    out[n] = '\0';
    return (int)n;
}

int Refuse(const char*, ExpandFlags, char*, short, void* context) {
    return context ? -1 : 0;
}

// Fills every byte of the room it was given: a room larger than the buffer
// left runs into the guard page.
int Long(const char*, ExpandFlags, char* out, short room, void*) {
    if (!out || room <= 1) return 0;
    memset(out, 'L', (size_t)room - 1);
    out[room - 1] = '\0';
    return room - 1;
}

// Values that name themselves or each other, expanded again with this
// resolver as the library's resolvers do.
int SelfReferring(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    ExpansionGuard guard(name);
    if (guard.Refused() || !out || room <= 0) return 0;
    std::string value;
    size_t n = strlen(name);
    if (n % 3 == 0) value = "a$" + std::string(name) + "$b";
    else if (n % 3 == 1) value = "$" + std::string(name) + "x$$" + std::string(name) + "$";
    else value = "$" + std::string(name).substr(1) + "$" + std::string(300, 'w');
    CopyBounded(out, value.c_str(), room);
    ExpandString(out, room, flags, SelfReferring, context);
    return (int)strlen(out);
}

// The expansion guard is balanced again after every expansion: all its
// places are free.
bool GuardFree(int depth = 0) {
    if (depth == ExpansionGuard::kLimit) return true;
    char name[16];
    snprintf(name, sizeof name, "fuzz-probe-%d", depth);
    ExpansionGuard guard(name);
    return !guard.Refused() && GuardFree(depth + 1);
}

std::string PlainText(Gen& g, int most) {
    std::string s = g.Text(g.Length(most));
    for (char& c : s)
        if (c == '$') c = 'd';
    return s;
}

std::string ReferenceText(Gen& g) {
    if (g.rng.OneIn(8)) return PlainText(g, 60) + "$$" + PlainText(g, 60);
    static const std::vector<const char*> kNames = {
        "name", "long", "self", "ping", "pong", "x", "", "NAME", "dbcs", "deep"};
    std::string s;
    int pieces = (int)g.rng.Below(12);
    for (int k = 0; k < pieces; ++k) {
        switch (g.rng.Below(5)) {
        case 0: s += "$" + std::string(g.Pick(kNames)) + "$"; break;
        case 1: s += "$" + g.Text(g.Length(60)) + "$"; break;
        case 2: s += g.rng.OneIn(2) ? ";" : "\"\""; break;
        default: s += g.Text(g.Length(300)); break;
        }
    }
    return s;
}

void FuzzExpandString(Gen& g, uint64_t i) {
    bool back = i % 2 == 0;
    std::string s = ReferenceText(g);
    short size = g.Room();
    ExpandFlags flags = (ExpandFlags)(g.rng.Below(0x4000) & 0x3FFF);
    if (g.rng.OneIn(2)) flags = g.rng.OneIn(2) ? StandardValueFlags : PlainValueFlags;
    if (g.rng.OneIn(4)) flags = EXPAND_REFERENCES;
    if (g.rng.OneIn(200)) flags |= EXPAND_SHORT_PATH;  // asks the file system: now and then
    static const MacroResolver kResolvers[] = {Answer, Refuse, Long, SelfReferring,
                                               StringResourceResolver};
    int which = (int)g.rng.Below(5);
    StringIdList ids = {2, {5600, (WORD)(g.rng.OneIn(4) ? 0 : 12832)}};
    void* context = which == 4 ? (void*)&ids : g.rng.OneIn(2) ? (void*)&ids : nullptr;
    bool unterminated = size > 0 && g.rng.OneIn(20);
    Current.Add("text", s);
    Current.AddNumber("size", size);
    Current.AddNumber("flags", flags);
    Current.AddNumber("resolver", which);
    Current.AddNumber("unterminated", unterminated);
    if (size <= 0) {
        Check(ExpandString(ArenaA().Tail(0), size, flags, kResolvers[which], context) == 0,
              "size <= 0 gives 0");
        return;
    }
    if (s.size() >= (size_t)size) s.resize((size_t)size - 1);
    Placed t(ArenaA(), (size_t)size, back, 'Q');
    if (unterminated) {
        memset(t.data(), 'u', (size_t)size);
        s.assign((size_t)size - 1, 'u');
    } else {
        memcpy(t.data(), s.c_str(), s.size() + 1);
    }
    short length = ExpandString(t.data(), size, flags, kResolvers[which], context);
    Check(t.FenceIntact(), "wrote past size");
    if (!Check(Terminated(t.data(), (size_t)size), "not terminated within size")) return;
    const char* r = t.data();
    Check(length == (short)strlen(r), "returned length differs from the result's");
    Check(GuardFree(), "the expansion guard was left held");
    bool unquote = (flags & 0x300) == 0x300;
    if (!(flags & EXPAND_SHORT_PATH) && !unquote && *r) {
        if (flags & EXPAND_TRIM_LEADING) Check(r[0] != ' ', "a leading blank left");
        if (flags & EXPAND_TRIM_TRAILING) Check(r[strlen(r) - 1] != ' ', "a trailing blank left");
    }
    if ((flags & 0xBF00) != EXPAND_REFERENCES) return;
    if (which == 4) {
        // An empty name is no reference: "$$" between plain texts stays as
        // written, although the strings hold a value for the empty name.
        if (std::count(s.begin(), s.end(), '$') == 2 && s.find("$$") != std::string::npos)
            Check(s == r, "\"$$\" was resolved as a name");
        return;
    }
    // What the references become, with unlimited room: written back when
    // refused, replaced by the answer, dropped with the rest when unpaired.
    std::string want;
    size_t p = 0;
    for (;;) {
        size_t open = s.find('$', p);
        if (open == std::string::npos) {
            want += s.substr(p);
            break;
        }
        want += s.substr(p, open - p);
        size_t close = s.find('$', open + 1);
        if (close == std::string::npos) break;
        std::string name = s.substr(open + 1, close - open - 1);
        if (name.empty()) want += "$$";  // names nothing
        else if (which == 0) want += "<" + Cut49(name) + ">";
        else if (which == 1) want += s.substr(open, close - open + 1);
        else if (which == 2) want += "?";  // fills what is left: only bounds are checked
        p = close + 1;
    }
    if (which == 1) {
        Check(want.substr(0, (size_t)size - 1) == r, "refused references not kept as written");
    } else if (which == 0 && want.size() < (size_t)size) {
        Check(want == r, "answered references not replaced by their values");
    }
}

void FuzzMacroField(Gen& g, uint64_t i) {
    std::string s;
    int pieces = (int)g.rng.Below(10);
    static const std::vector<const char*> kNames = {"%date%", "%faxnum%", "%", "%%", ",", "\\",
                                                    "\\,", "\\%", "%long%", "%RAM%", " \t"};
    for (int k = 0; k < pieces; ++k)
        s += g.rng.OneIn(2) ? std::string(g.Pick(kNames)) : g.Text(g.Length(1300));
    int field = (int)g.rng.Below(5) - 1 + (g.rng.OneIn(2) ? 1 : 0);
    int flags = (int)g.rng.Below(8);
    int size = g.rng.OneIn(3) ? MacroFieldSize : g.Room();
    int kind = (int)g.rng.Below(4);
    Current.Add("text", s);
    Current.AddNumber("field", field);
    Current.AddNumber("flags", flags);
    Current.AddNumber("size", size);
    Current.AddNumber("resolver", kind);
    struct Resolvers {
        static void Short(const char* name, char* value, int room) {
            snprintf(value, (size_t)room, "[%s]", name);
        }
        static void Long(const char*, char* value, int room) {
            memset(value, 'L', (size_t)room - 1);
            value[room - 1] = '\0';
        }
        static void Empty(const char*, char* value, int) { value[0] = '\0'; }
    };
    static const MacroCallback kKinds[] = {nullptr, Resolvers::Short, Resolvers::Long,
                                           Resolvers::Empty};
    Placed src(ArenaA(), s.size() + 1, true, 0);
    memcpy(src.data(), s.c_str(), s.size() + 1);
    if (size <= 0) {
        ExpandMacroField(src.data(), field, ArenaB().Tail(0), size, flags, kKinds[kind]);
        return;
    }
    Placed d(ArenaB(), (size_t)size, i % 2 == 0, 'Q');
    ExpandMacroField(src.data(), field, d.data(), size, flags, kKinds[kind]);
    Check(d.FenceIntact(), "wrote past size");
    if (!Check(Terminated(d.data(), (size_t)size), "not terminated within size")) return;
    size_t length = strlen(d.data());
    Check(WholeCharacters(d.data(), length), "a double-byte character split");
    int limit = (size < MacroFieldSize ? size : MacroFieldSize) - 1;
    Check((int)length <= limit, "longer than the field area allows");
    // A plain text is its own field 1, cut to the room at a whole character.
    bool plain = field == 1 && !s.empty() && s[0] != ' ' && s[0] != '\t' &&
                 s.find_first_of("%,\\") == std::string::npos;
    if (plain) {
        size_t take = 0;
        while (take < s.size()) {
            size_t step = IsLead(s[take]) && take + 1 < s.size() ? 2 : 1;
            if (take + step > (size_t)limit) break;
            take += step;
        }
        Check(s.substr(0, take) == d.data(), "a plain text is not kept as its own field");
    }

    // In place, as the summary uses it.
    short room = g.Room();
    if (room <= 0) return;
    std::string t = s.substr(0, (size_t)room - 1);
    Placed inPlace(ArenaC(), (size_t)room, i % 2 == 1, 'Q');
    memcpy(inPlace.data(), t.c_str(), t.size() + 1);
    ExpandMacroText(inPlace.data(), room, field, kKinds[kind]);
    Check(inPlace.FenceIntact(), "ExpandMacroText wrote past size");
    if (Check(Terminated(inPlace.data(), (size_t)room), "ExpandMacroText: not terminated"))
        Check(WholeCharacters(inPlace.data(), strlen(inPlace.data())),
              "ExpandMacroText split a double-byte character");
}

void FuzzSummaryLine(Gen& g, uint64_t i) {
    static const std::vector<const char*> kMacros = {
        "%faxnum%", "%voicenum%", "%name%", "%company%", "%rings_to_answer%",
        "%distinct_type%", "%blank_line%", "%FAXNUM%", "%unknown%", "%", ",", "\\"};
    std::string line;
    int pieces = (int)g.rng.Below(10);
    for (int k = 0; k < pieces; ++k)
        line += g.rng.OneIn(2) ? std::string(g.Pick(kMacros)) : g.Text(g.Length(300));
    line.resize(line.size() < 255 ? line.size() : 255);
    FaxSettings.FaxNumber = g.Text(g.Length(300)).c_str();
    FaxSettings.VoiceNumber = g.Text(g.Length(300)).c_str();
    FaxSettings.UserName = g.Text(g.Length(300)).c_str();
    FaxSettings.Company = g.Text(g.Length(300)).c_str();
    FaxSettings.RingsToAnswer = (long)g.rng.Next();
    FaxSettings.RingPatternIndex = (long)g.rng.Below(8) - 2;
    Current.Add("line", line);
    Current.Add("fax number", (const char*)FaxSettings.FaxNumber, FaxSettings.FaxNumber.GetLength());
    Current.Add("name", (const char*)FaxSettings.UserName, FaxSettings.UserName.GetLength());
    Placed b(ArenaA(), SummaryReport::LineSize, i % 2 == 0, 'Q');
    memcpy(b.data(), line.c_str(), line.size() + 1);
    SummaryReport::FormatLine(b.data());
    Check(b.FenceIntact(), "wrote past the line buffer");
    if (!Check(Terminated(b.data(), SummaryReport::LineSize), "line not terminated")) return;
    size_t n = strlen(b.data());
    Check(n >= 2 && strcmp(b.data() + n - 2, "\r\n") == 0, "line does not end with CR LF");
    Check(WholeCharacters(b.data(), n), "a double-byte character split");
}

}  // namespace

void RegisterExpandRoutines() {
    std::vector<Routine>& r = Routines();
    r.push_back({"ExpandString", FuzzExpandString, false});
    r.push_back({"MacroExpander", FuzzMacroField, false});
    r.push_back({"SummaryLine", FuzzSummaryLine, false});
}

}  // namespace fuzz
