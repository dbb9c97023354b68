// The string and path utilities, the number and model-name readers, the
// command line and the module name format.
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "app/wizardapp.h"
#include "common/registry/devices.h"
#include "common/resmodule.h"
#include "common/util.h"
#include "tools/fuzz/fuzz.h"

namespace fuzz {
namespace {

// A text placed with its terminator against a guard page.
struct PlacedText {
    PlacedText(GuardedArena& arena, const std::string& s, bool atBack, size_t extra = 0)
        : place(arena, s.size() + 1 + extra, atBack, 'Z') {
        memcpy(place.data(), s.c_str(), s.size() + 1);
    }
    char* c_str() { return place.data(); }
    Placed place;
};

bool Terminated(const char* p, size_t n) { return memchr(p, 0, n) != nullptr; }

// Start of the last character of a text, multibyte-aware; none when empty.
const char* LastChar(const char* s) {
    const char* last = nullptr;
    for (const char* p = s; *p; p += (IsLead(*p) && p[1]) ? 2 : 1) last = p;
    return last;
}
bool EndsWithBackslash(const char* s) {
    const char* last = LastChar(s);
    return last && last[0] == '\\' && last[1] == '\0';
}

// The longest prefix of text, at most limit bytes, that splits no character.
size_t WholePrefix(const char* text, size_t limit) {
    size_t take = 0;
    while (text[take]) {
        size_t step = IsLead(text[take]) ? 2 : 1;
        if (take + step > limit || (step == 2 && !text[take + 1])) break;
        take += step;
    }
    return take;
}

void FuzzCopyBounded(Gen& g, uint64_t i) {
    bool back = i % 2 == 0;
    std::string src = g.Text();
    bool none = g.rng.OneIn(40);
    short size = g.Room();
    Current.Add("source", src);
    Current.AddNumber("size", size);
    PlacedText s(ArenaA(), src, back);
    if (size <= 0) {
        // Nothing may be written: the destination is the guard page itself.
        char* d = ArenaB().Tail(0);
        Check(CopyBounded(d, none ? nullptr : s.c_str(), size) == d, "returns its destination");
        return;
    }
    Placed d(ArenaB(), (size_t)size, back, 'Q');
    Check(CopyBounded(d.data(), none ? nullptr : s.c_str(), size) == d.data(), "returns dest");
    if (!Check(Terminated(d.data(), (size_t)size), "not terminated within size")) return;
    size_t want = none ? 0 : src.size() < (size_t)size - 1 ? src.size() : (size_t)size - 1;
    Check(strlen(d.data()) == want && memcmp(d.data(), src.data(), want) == 0,
          "copy is not the source cut to size - 1");
    Check(d.FenceIntact(), "wrote past size");
}

void FuzzAppendBounded(Gen& g, uint64_t i) {
    bool back = i % 2 == 1;
    short size = g.Room();
    std::string old = g.Text(g.Length(size > 0 ? size : 0));
    std::string text = g.Text();
    static const short kCounts[] = {0, 0, 1, 2, -1, 25, 255, 256, 1300};
    short count = g.rng.OneIn(4) ? (short)text.size() : kCounts[g.rng.Below(9)];
    bool unterminated = g.rng.OneIn(30);
    Current.Add("buffer", old);
    Current.Add("text", text);
    Current.AddNumber("size", size);
    Current.AddNumber("count", count);
    PlacedText t(ArenaA(), text, !back);
    if (size <= 0) {
        char* d = ArenaB().Tail(0);
        AppendBounded(d, size, t.c_str(), count);
        return;
    }
    Placed d(ArenaB(), (size_t)size, back, 'Q');
    if (unterminated)
        memset(d.data(), 'u', (size_t)size);
    else
        memcpy(d.data(), old.c_str(), old.size() < (size_t)size ? old.size() + 1 : 0);
    if (!unterminated && old.size() >= (size_t)size) old.clear(), d.data()[0] = 0;
    std::string before(d.data(), (size_t)size);
    AppendBounded(d.data(), size, t.c_str(), count);
    Check(d.FenceIntact(), "wrote past size");
    if (unterminated || count < 0) {
        Check(memcmp(before.data(), d.data(), (size_t)size) == 0, "changed a buffer it must keep");
        return;
    }
    size_t used = old.size();
    size_t want = count > 0 && (size_t)count < text.size() ? (size_t)count : text.size();
    size_t room = (size_t)size >= used + 2 ? (size_t)size - 2 - used : 0;
    size_t take = WholePrefix(text.c_str(), want < room ? want : room);
    std::string expected = old + text.substr(0, take);
    if (!Check(Terminated(d.data(), (size_t)size), "not terminated within size")) return;
    Check(expected == d.data(), "result is not the text plus the longest whole-character "
                                "part of the addition that leaves two bytes free");
}

void FuzzTrim(Gen& g, uint64_t i) {
    bool back = i % 2 == 0;
    std::string s;
    int n = g.Length(300);
    for (int k = 0; k < n; ++k) s += g.rng.OneIn(2) ? ' ' : g.Byte();
    Current.Add("text", s);
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    std::string lead = a == std::string::npos ? "" : s.substr(a);
    std::string trail = b == std::string::npos ? "" : s.substr(0, b + 1);
    PlacedText t1(ArenaA(), s, back);
    Check(TrimLeadingSpaces(t1.c_str()) == t1.c_str() && lead == t1.c_str(),
          "TrimLeadingSpaces: not the text without its leading spaces");
    TrimLeadingSpaces(t1.c_str());
    Check(lead == t1.c_str(), "TrimLeadingSpaces is not idempotent");
    PlacedText t2(ArenaB(), s, back);
    Check(TrimTrailingSpaces(t2.c_str()) == t2.c_str() && trail == t2.c_str(),
          "TrimTrailingSpaces: not the text without its trailing spaces");
    TrimTrailingSpaces(t2.c_str());
    Check(trail == t2.c_str(), "TrimTrailingSpaces is not idempotent");
    Check(t1.place.FenceIntact() && t2.place.FenceIntact(), "wrote past the text");
}

void FuzzUnquote(Gen& g, uint64_t i) {
    std::string s;
    int n = g.Length(300);
    for (int k = 0; k < n; ++k) s += g.rng.OneIn(3) ? '"' : g.Byte();
    Current.Add("text", s);
    std::string want;
    for (size_t k = 0; k < s.size(); ++k) {
        if (s[k] != '"') want += s[k];
        else if (k + 1 < s.size() && s[k + 1] == '"') want += '"', ++k;
    }
    PlacedText t(ArenaA(), s, i % 2 == 0);
    short length = UnquoteString(t.c_str());
    Check(want == t.c_str(), "quotes not removed, or a doubled quote not kept as one");
    Check(length == (short)strlen(t.c_str()), "returned length differs from the text's");
    Check(t.place.FenceIntact(), "wrote past the text");
}

void FuzzNextField(Gen& g, uint64_t i) {
    static const char kDelimiters[] = ",:; \\/";
    char delimiter = kDelimiters[g.rng.Below(sizeof kDelimiters - 1)];
    std::string s = g.Text();
    Current.Add("text", s);
    Current.AddNumber("delimiter", delimiter);
    PlacedText t(ArenaA(), s, i % 2 == 1);
    size_t expected = 1;
    for (char c : s) expected += c == delimiter;
    std::string joined;
    for (size_t k = 0; k < expected; ++k) {
        const char* field = NextField(k == 0 ? t.c_str() : nullptr, delimiter);
        if (!Check(field != nullptr, "returned no field")) return;
        Check(strchr(field, delimiter) == nullptr || delimiter == '\0', "field holds delimiter");
        if (k) joined += delimiter;
        joined += field;
    }
    Check(joined == s, "fields joined again are not the text");
    for (int k = 0; k < 2; ++k) {
        const char* after = NextField(nullptr, delimiter);
        Check(after && !*after, "a field after the end is not empty");
    }
    Check(t.place.FenceIntact(), "wrote past the text");
}

void FuzzCopyReplacingDbcs(Gen& g, uint64_t i) {
    std::string s = g.Text();
    int limit = g.Length(1300);
    if (g.rng.OneIn(20)) limit = -(int)g.rng.Below(3);
    // Now and then the source is exactly limit bytes with no terminator: at
    // most limit bytes may be read.
    bool bare = limit > 0 && g.rng.OneIn(4);
    if (bare) s = g.Text(limit);
    Current.Add("source", s);
    Current.AddNumber("limit", limit);
    Current.AddNumber("unterminated", bare);
    Placed src(ArenaA(), s.size() + (bare ? 0 : 1), true, 0);
    memcpy(src.data(), s.data(), s.size());
    size_t room = (size_t)(limit > 0 ? limit : 0) + 1;
    Placed d(ArenaB(), room, i % 2 == 0, 'Q');
    CopyReplacingDbcs(src.data(), d.data(), limit);
    Check(d.FenceIntact(), "wrote past limit + 1");
    if (!Check(Terminated(d.data(), room), "not terminated within limit + 1")) return;
    std::string want;
    size_t n = limit > 0 ? (size_t)limit : 0;
    for (size_t k = 0; k < n && k < s.size();) {
        if (IsLead(s[k])) {
            want += '?';
            k += 2;
        } else {
            want += s[k++];
        }
    }
    Check(want == d.data(), "double-byte characters not each replaced by one \"?\"");
}

void FuzzJoinPath(Gen& g, uint64_t i) {
    bool back = i % 2 == 0;
    auto part = [&]() {
        std::string s = g.Text(g.Length(300));
        if (g.rng.OneIn(3)) s = (g.rng.OneIn(2) ? "\\" : "") + s;
        if (g.rng.OneIn(3)) s += "\\";
        return s;
    };
    std::string dir = part(), name = part();
    short size = g.Room();
    bool same = size > 0 && g.rng.OneIn(4);
    Current.Add("directory", dir);
    Current.Add("name", name);
    Current.AddNumber("size", size);
    Current.AddNumber("same buffer", same);
    PlacedText n(ArenaB(), name, !back);
    if (size <= 0) {
        PlacedText d(ArenaA(), dir, back);
        Check(JoinPath(d.c_str(), n.c_str(), ArenaC().Tail(0), size) == 0, "size <= 0 gives 0");
        return;
    }
    if (same && dir.size() >= (size_t)size) dir.resize((size_t)size - 1);
    PlacedText d(ArenaA(), dir, back);
    Placed out(ArenaC(), (size_t)size, back, 'Q');
    char* destination = out.data();
    if (same) {
        memcpy(destination, dir.c_str(), dir.size() + 1);
        Current.AddNumber("directory cut to", (long long)dir.size());
    }
    short length = JoinPath(same ? destination : d.c_str(), n.c_str(), destination, size);
    Check(out.FenceIntact(), "wrote past size");
    if (!Check(Terminated(destination, (size_t)size), "not terminated within size")) return;
    Check(length == (short)strlen(destination), "returned length differs from the result's");
    // Fewer than 3 bytes left after the directory: nothing is joined.
    if (dir.size() + name.size() + 2 > (size_t)size || dir.size() + 3 > (size_t)size) return;
    std::string want = dir;
    const char* tail = name.c_str();
    if (dir.empty()) {
        if (*tail == '\\') ++tail;
    } else if (!EndsWithBackslash(dir.c_str()) && *tail != '\\') {
        want += '\\';
    } else if (EndsWithBackslash(dir.c_str()) && *tail == '\\') {
        ++tail;
    }
    want += tail;
    Check(want == destination, "not directory, one backslash and name");
}

void FuzzBuildPath(Gen& g, uint64_t i) {
    bool back = i % 2 == 1;
    std::string src;
    static const char* kPieces[] = {"C:", "\\", "dir", ".", "ext", "\\\\", "a.b.c", "/", ":"};
    int pieces = (int)g.rng.Below(8);
    for (int k = 0; k < pieces; ++k)
        src += g.rng.OneIn(2) ? std::string(kPieces[g.rng.Below(9)]) : g.Text(g.Length(300));
    DWORD flags = g.rng.Below(0x80);
    if (g.rng.OneIn(64)) flags |= BP_SHORT_DIR;
    short size = g.Room();
    std::string old = g.Text(g.Length(size > 2 ? size - 2 : 0));
    while (!old.empty() && IsLead(old.back())) old.pop_back();
    bool none = g.rng.OneIn(50);
    Current.Add("source", src);
    Current.Add("output", old);
    Current.AddNumber("size", size);
    Current.AddNumber("flags", flags);
    PlacedText s(ArenaA(), src, !back);
    if (size <= 0) {
        BuildPath(none ? nullptr : s.c_str(), ArenaB().Tail(0), size, flags);
        return;
    }
    Placed out(ArenaB(), (size_t)size, back, 'Q');
    memcpy(out.data(), old.c_str(), old.size() + 1);
    if (!WholeCharacters(old.c_str(), old.size())) old.clear(), out.data()[0] = 0;
    Check(BuildPath(none ? nullptr : s.c_str(), out.data(), size, flags) == out.data(),
          "returns its output");
    Check(out.FenceIntact(), "wrote past size");
    if (!Check(Terminated(out.data(), (size_t)size), "not terminated within size")) return;
    size_t length = strlen(out.data());
    Check(length <= old.size() || length + 2 <= (size_t)size, "two last bytes not kept free");
    Check(WholeCharacters(out.data(), length), "a double-byte character split");
    if ((flags & BP_BACKSLASH) && length && length + 2 < (size_t)size)
        Check(EndsWithBackslash(out.data()), "0x40 left no final backslash");
}

void FuzzBackslash(Gen& g, uint64_t i) {
    bool back = i % 2 == 0;
    std::string s = g.Text(g.Length(300));
    if (g.rng.OneIn(2)) s += g.rng.OneIn(2) ? "\\" : std::string(1, g.Lead()) + "\\";
    Current.Add("text", s);
    bool ends = EndsWithBackslash(s.c_str());
    PlacedText t(ArenaA(), s, back);
    StripTrailingBackslash(t.c_str());
    std::string want = ends ? s.substr(0, s.size() - 1) : s;
    Check(want == t.c_str(), "StripTrailingBackslash: not the text less one final backslash");
    Check(t.place.FenceIntact(), "wrote past the text");

    short size = g.Room();
    Current.AddNumber("size", size);
    if (size <= 0) {
        AddTrailingBackslash(ArenaB().Tail(0), size);
        return;
    }
    if (s.size() >= (size_t)size) s.resize((size_t)size - 1);
    ends = EndsWithBackslash(s.c_str());
    bool room;
    Placed b(ArenaB(), (size_t)size, back, 'Q');
    // Half a character at the end is no character: it is dropped, and what
    // is left may already end with a backslash.
    std::string whole = s.substr(0, WholePrefix(s.c_str(), s.size()));
    bool wholeEnds = EndsWithBackslash(whole.c_str());
    room = whole.size() + 2 < (size_t)size;
    memcpy(b.data(), s.c_str(), s.size() + 1);
    AddTrailingBackslash(b.data(), size);
    Check(b.FenceIntact(), "wrote past size");
    if (!Check(Terminated(b.data(), (size_t)size), "not terminated within size")) return;
    std::string once = b.data();
    std::string added = ends ? s : whole.empty() || wholeEnds || !room ? whole : whole + "\\";
    Check(added == once, "AddTrailingBackslash: not the text with one final backslash");
    AddTrailingBackslash(b.data(), size);
    Check(once == b.data(), "AddTrailingBackslash is not idempotent");
    if (!whole.empty() && !ends && !wholeEnds && room) {
        StripTrailingBackslash(b.data());
        Check(whole == b.data(), "stripping an added backslash does not give the text back");
    }
}

void FuzzParseRegNumber(Gen& g, uint64_t i) {
    std::string s;
    switch (g.rng.Below(4)) {
    case 0: s = "0x"; break;
    case 1: s = g.rng.OneIn(2) ? "-" : " "; break;
    default: break;
    }
    int n = g.Length(30);
    for (int k = 0; k < n; ++k)
        s += g.rng.OneIn(2) ? "0123456789abcdefABCDEF"[g.rng.Below(22)] : g.Byte();
    Current.Add("text", s);
    PlacedText t(ArenaA(), s, true);
    long got = ParseRegNumber(t.c_str());
    if (s.size() > 1 && s[1] == 'x') {
        unsigned long want = 0;
        for (size_t k = 2; k < s.size() && k < 10 && isxdigit((unsigned char)s[k]); ++k)
            want = want * 16 + (unsigned long)(isdigit((unsigned char)s[k])
                                                   ? s[k] - '0'
                                                   : (toupper((unsigned char)s[k]) - 'A' + 10));
        Check(got == (long)want, "hexadecimal read as %ld", got);
    } else {
        Check(got == strtol(s.c_str(), nullptr, 10), "decimal read as %ld", got);
    }
}

void FuzzModelId(Gen& g, uint64_t i) {
    std::string s = g.Text(g.Length(300));
    Current.Add("name", s);
    PlacedText t(ArenaA(), s, true);
    WORD want = 0;
    std::string padded = s + std::string(2, '\0');
    for (size_t k = 0; k < (s.size() + 1) / 2; ++k)
        want = (WORD)(want + ((unsigned char)padded[2 * k] |
                              ((unsigned char)padded[2 * k + 1] << 8)));
    Check(ModelIdFromName(t.c_str()) == want, "not the 16-bit word sum of the name");
}

void FuzzCommandLine(Gen& g, uint64_t i) {
    std::string junk = g.Text(g.Length(600));
    long device = (long)g.rng.Below(100000);
    std::string line = junk + "zz-d" + std::to_string(device);
    Current.Add("command line", line);
    PlacedText t(ArenaA(), line, true);
    CommandLineOptions options = ParseCommandLine(t.c_str());
    Check(strcmp(t.c_str(), line.c_str()) == 0, "the command line was changed");
    size_t kept = 0;  // bytes left once single-byte blanks are dropped
    for (size_t k = 0; k < line.size();) {
        if (IsLead(line[k]) && k + 1 < line.size()) kept += 2, k += 2;
        else kept += line[k++] != ' ';
    }
    // A last option within the 255 characters looked at wins.
    if (kept <= 255)
        Check(options.DeviceGiven && options.DeviceId == device, "the last -d was not taken");
}

void FuzzModNameFmt(Gen& g, uint64_t i) {
    std::string format;
    int pieces = (int)g.rng.Below(6);
    static const char* kPieces[] = {"%s", "%%", "%", "%d", ".", "%s%s%s"};
    for (int k = 0; k < pieces; ++k)
        format += g.rng.OneIn(2) ? std::string(kPieces[g.rng.Below(6)]) : g.Text(g.Length(120));
    std::string base = g.Text(g.Length(120)), ext = g.Text(g.Length(30));
    short size = g.Room();
    Current.Add("format", format);
    Current.Add("base", base);
    Current.Add("extension", ext);
    Current.AddNumber("size", size);
    PlacedText f(ArenaA(), format, true), b(ArenaB(), base, i % 2 == 0);
    if (size <= 0) {
        FormatModuleName(f.c_str(), b.c_str(), ext.c_str(), ArenaC().Tail(0), size);
        return;
    }
    Placed out(ArenaC(), (size_t)size, i % 2 == 1, 'Q');
    FormatModuleName(f.c_str(), b.c_str(), ext.c_str(), out.data(), size);
    Check(out.FenceIntact(), "wrote past size");
    if (!Check(Terminated(out.data(), (size_t)size), "not terminated within size")) return;
    std::string want;
    // Half a character at the end of a piece is never appended.
    std::string wholeBase = base.substr(0, WholePrefix(base.c_str(), base.size()));
    std::string wholeExt = ext.substr(0, WholePrefix(ext.c_str(), ext.size()));
    const char* args[2] = {wholeBase.c_str(), wholeExt.c_str()};
    int next = 0;
    for (size_t k = 0; k < format.size(); ++k) {
        // A double-byte character of the format is literal text, whole or
        // not at all (half of one at the end).
        if (IsLead(format[k])) {
            if (k + 1 < format.size()) want += format.substr(k, 2);
            ++k;
        } else if (format[k] == '%' && k + 1 < format.size() && format[k + 1] == 's') {
            want += next < 2 ? args[next] : "";
            ++next, ++k;
        } else if (format[k] == '%' && k + 1 < format.size() && format[k + 1] == '%') {
            want += '%', ++k;
        } else {
            want += format[k];
        }
    }
    bool fits = want.size() + 2 <= (size_t)size;
    Check(!fits || want == out.data(), "not the format with its %%s and %%%% replaced");
    Check(WholeCharacters(out.data(), strlen(out.data())) || !fits, "a character split");
}

}  // namespace

void RegisterStringRoutines() {
    std::vector<Routine>& r = Routines();
    r.push_back({"CopyBounded", FuzzCopyBounded, false});
    r.push_back({"AppendBounded", FuzzAppendBounded, false});
    r.push_back({"TrimSpaces", FuzzTrim, false});
    r.push_back({"UnquoteString", FuzzUnquote, false});
    r.push_back({"NextField", FuzzNextField, false});
    r.push_back({"CopyReplacingDbcs", FuzzCopyReplacingDbcs, false});
    r.push_back({"JoinPath", FuzzJoinPath, false});
    r.push_back({"BuildPath", FuzzBuildPath, false});
    r.push_back({"TrailingBackslash", FuzzBackslash, false});
    r.push_back({"ParseRegNumber", FuzzParseRegNumber, false});
    r.push_back({"ModelIdFromName", FuzzModelId, false});
    r.push_back({"CommandLine", FuzzCommandLine, false});
    r.push_back({"ModNameFmt", FuzzModNameFmt, false});
}

}  // namespace fuzz
