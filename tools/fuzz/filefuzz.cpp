// The readers of raw and INI text: lines, section headers, key lists, the
// language section, and module entries of a generated product information
// file.
#include <string.h>

#include "common/expand.h"
#include "common/prodinfo.h"
#include "common/resmodule.h"
#include "common/util.h"
#include "tools/fuzz/fuzz.h"

namespace fuzz {
namespace {

bool Terminated(const char* p, size_t n) { return memchr(p, 0, n) != nullptr; }

std::string ScratchFile(const char* name) { return ScratchDir() + "\\" + name; }

bool WriteWhole(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string Break(Gen& g) {
    switch (g.rng.Below(6)) {
    case 0: return "\n";
    case 1: return "\r";
    case 2: return "\n\r";
    case 3: return std::string(1, '\0');
    default: return "\r\n";
    }
}

// Lines of an INI-like file: headers with names around the 49-character
// limit, lines around the 255-character line buffer, garbage, every kind
// of line break, lead bytes before "]" and at the end of lines.
std::string RawIni(Gen& g) {
    static const std::vector<const char*> kPrefixes = {"Global Strings", "Global Strings: ",
                                                       "Global Strings: ENU", "G", ""};
    std::string s;
    int lines = (int)g.rng.Below(40);
    for (int k = 0; k < lines; ++k) {
        std::string line;
        switch (g.rng.Below(6)) {
        case 0:
        case 1: {
            std::string name = g.Pick(kPrefixes);
            static const int kLengths[] = {0, 1, 5, 48, 49, 50, 60};
            int want = kLengths[g.rng.Below(7)] - (int)name.size();
            if (want > 0) name += g.Text(want);
            line = "[" + name + (g.rng.OneIn(8) ? "" : "]") + g.Text(g.Length(20));
            break;
        }
        case 2: {
            static const int kLong[] = {254, 255, 256, 300, 509, 510, 511};
            line = g.Text(kLong[g.rng.Below(7)]);
            if (g.rng.OneIn(2)) line[0] = '[';
            break;
        }
        case 3: line = g.Bytes(g.Length(300)); break;
        default: line = g.Text(g.Length(60)); break;
        }
        s += line;
        if (k + 1 < lines || g.rng.OneIn(2)) s += Break(g);  // no final line end now and then
    }
    if (g.rng.OneIn(40)) s.resize(32767 + g.rng.Below(3), 'p');  // around the size limit
    return s;
}

// The section names a line-by-line reading of raw finds: a header is a line
// (of its first 255 bytes) that starts with "[" and has "]" after a name of
// 1 to 49 bytes; the rest of a longer line is never a header.
std::vector<std::string> ExpectedSections(const std::string& raw, const std::string& prefix,
                                          bool* cutLine) {
    std::vector<std::string> found;
    *cutLine = false;
    if (raw.empty() || raw.size() >= 32768) return found;
    size_t p = 0;
    while (p < raw.size()) {
        size_t q = p;
        while (q < raw.size() && raw[q] != '\0' && raw[q] != '\r' && raw[q] != '\n') ++q;
        std::string line = raw.substr(p, q - p);
        if (!line.empty() && line.size() % 255 == 0 && q < raw.size()) *cutLine = true;
        if (line.size() > 255) line.resize(255);
        if (!line.empty() && line[0] == '[') {
            size_t i = 1;
            while (i < line.size() && line[i] != ']')
                i += IsLead(line[i]) && i + 1 < line.size() ? 2 : 1;
            size_t n = i - 1;
            if (i < line.size() && n > 0 && n <= 49 && line.compare(1, prefix.size(), prefix) == 0 &&
                n >= prefix.size())
                found.push_back(line.substr(1, n));
        }
        p = q;
        if (p < raw.size()) {
            char first = raw[p++];
            if (first != '\0' && p < raw.size() && (raw[p] == '\r' || raw[p] == '\n') &&
                raw[p] != first)
                ++p;
        }
    }
    return found;
}

std::vector<std::string> ListNames(HGLOBAL block, short count, bool* wellFormed) {
    std::vector<std::string> names;
    *wellFormed = false;
    if (!block) return names;
    SIZE_T size = GlobalSize(block);
    const char* p = (const char*)GlobalLock(block);
    if (!p) return names;
    size_t at = 0;
    while (at < size && p[at]) {
        const char* end = (const char*)memchr(p + at, 0, size - at);
        if (!end) break;
        names.push_back(std::string(p + at, (size_t)(end - (p + at))));
        at = (size_t)(end - p) + 1;
    }
    *wellFormed = at < size && p[at] == '\0' && (short)names.size() == count;
    GlobalUnlock(block);
    return names;
}

void FuzzReadTextLine(Gen& g, uint64_t i) {
    std::string raw = g.Bytes(g.Length(1300) + 1);
    short size = g.Room();
    Current.Add("text", raw);
    Current.AddNumber("size", size);
    // The text's last byte is end: nothing after it may be read.
    Placed text(ArenaA(), raw.size(), true, 0);
    memcpy(text.data(), raw.data(), raw.size());
    const char* end = text.data() + raw.size() - 1;
    if (size <= 0) {
        Check(ReadTextLine(text.data(), end, ArenaB().Tail(0), size) == text.data(),
              "size <= 0 moves on");
        return;
    }
    Placed line(ArenaB(), (size_t)size, i % 2 == 0, 'Q');
    const char* p = text.data();
    size_t steps = 0;
    while (p <= end) {
        const char* next = ReadTextLine(p, end, line.data(), size);
        if (!Check(line.FenceIntact(), "wrote past size")) return;
        if (!Check(Terminated(line.data(), (size_t)size), "line not terminated")) return;
        size_t n = strlen(line.data());
        if (!Check(n <= (size_t)size - 1 && memcmp(line.data(), p, n) == 0,
                   "line is not the text at the position"))
            return;
        if (!Check(next >= p + n && next <= end + 1, "next position out of the text")) return;
        if (next == p) {
            // Only a NUL, or a buffer with no room for a character, stays put.
            if (size == 1) return;
            if (!Check(*p == '\0', "no progress on a line")) return;
            ++next;  // a NUL ends the line; callers step over it
        }
        p = next;
        if (!Check(++steps <= raw.size() + 1, "more lines than bytes")) return;
    }
}

void FuzzFindIniSections(Gen& g, uint64_t i) {
    std::string raw = RawIni(g);
    static const std::vector<const char*> kPrefixes = {"Global Strings", "Global Strings: %s",
                                                       "", "%", "G", "Global"};
    std::string prefix = g.rng.OneIn(6) ? g.Text(g.Length(300)) : g.Pick(kPrefixes);
    Current.Add("file", raw);
    Current.Add("prefix", prefix);
    std::string path = ScratchFile("sections.ini");
    if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
    Placed pre(ArenaA(), prefix.size() + 1, true, 0);
    memcpy(pre.data(), prefix.c_str(), prefix.size() + 1);
    short count = -1;
    HGLOBAL block = FindIniSections(path.c_str(), pre.data(), &count);
    std::string wanted = prefix.substr(0, 255);
    wanted = wanted.substr(0, wanted.find('%'));
    bool cutLine = false;
    std::vector<std::string> want = ExpectedSections(raw, wanted, &cutLine);
    bool wellFormed = false;
    std::vector<std::string> got = ListNames(block, count, &wellFormed);
    if (block) {
        Check(wellFormed, "the list is not names ended by an extra NUL, or its count differs");
        GlobalFree(block);
    } else {
        Check(count == 0, "no list but a count of %d", count);
    }
    if (got != want) {
        if (cutLine) Known("a line of exactly 255 characters hides the next header");
        else Fail("found %d sections, expected %d", (int)got.size(), (int)want.size());
    }
}

void FuzzGlobalStringsSection(Gen& g, uint64_t i) {
    std::string raw = RawIni(g);
    short size = g.Room();
    Current.Add("file", raw);
    Current.AddNumber("size", size);
    std::string path = ScratchFile("language.ini");
    if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
    if (size <= 0) {
        Check(GetGlobalStringsSection(path.c_str(), ArenaA().Tail(0), size) == 0,
              "size <= 0 gives 0");
        return;
    }
    Placed d(ArenaA(), (size_t)size, i % 2 == 0, 'Q');
    short n = GetGlobalStringsSection(path.c_str(), d.data(), size);
    Check(d.FenceIntact(), "wrote past size");
    if (!Check(Terminated(d.data(), (size_t)size), "not terminated within size")) return;
    Check(n == (short)strlen(d.data()), "returned length differs from the result's");
    Check(WholeCharacters(d.data(), (size_t)n), "a double-byte character split");
    if (size > 64) Check(strncmp(d.data(), "Global Strings", 14) == 0, "not a global section");
}

// Alphanumeric key names the profile functions keep as they are.
std::string KeyName(Gen& g, size_t index) {
    static const char kAlnum[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    std::string name = "k" + std::to_string(index) + "_";
    int n = g.Length(60);
    for (int k = 0; k < n; ++k) name += kAlnum[g.rng.Below(sizeof kAlnum - 1)];
    return name;
}

void FuzzKeyList(Gen& g, uint64_t i) {
    static const int kTotals[] = {0, 1, 200, 254, 256, 510, 1022, 2046, 4094, 8190, 16380, 17000};
    int total = kTotals[g.rng.Below(12)] + (int)g.rng.Below(40) - 20;
    std::string section = "S" + std::to_string(g.rng.Below(1000));
    auto line = [&](int most) {  // one line, whatever bytes it holds
        std::string s = g.Text(g.Length(most));
        for (char& c : s)
            if (c == '\r' || c == '\n' || c == '[') c = ' ';
        return s + "z\r\n";
    };
    std::string raw;
    for (int k = (int)g.rng.Below(4); k > 0; --k) raw += line(80);
    raw += "[" + section + "]\r\n";
    std::vector<std::string> keys;
    size_t listBytes = 0;
    while ((int)listBytes < total) {
        std::string key = KeyName(g, keys.size());
        listBytes += key.size() + 1;
        raw += key + "=" + line(30);
        keys.push_back(key);
    }
    raw += "[zz]\r\n" + g.Text(g.Length(80));
    Current.AddNumber("keys", (long long)keys.size());
    Current.AddNumber("list bytes", (long long)listBytes);
    Current.Add("file", raw);
    std::string path = ScratchFile("keys.ini");
    if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
    FlushIniCache(path.c_str());  // file times may not change between cases
    short count = -1;
    HGLOBAL block = GetIniKeyList(path.c_str(), section.c_str(), &count);
    bool wellFormed = false;
    std::vector<std::string> got = ListNames(block, count, &wellFormed);
    if (block) {
        Check(wellFormed, "the list is not names ended by an extra NUL, or its count differs");
        Check(got == keys, "key list has %d names, expected %d", (int)got.size(),
              (int)keys.size());
        GlobalFree(block);
    } else {
        Check(count == 0, "no list but a count of %d", count);
        Check(keys.empty() || listBytes + 1 > 16382, "no list for %d keys in %d bytes",
              (int)keys.size(), (int)listBytes);
    }
}

void FuzzModuleEntry(Gen& g, uint64_t i) {
    static const std::vector<const char*> kFormats = {"%s", "ABC%s", "%s%s", "%%s", "%d%s%n",
                                                      "$dir$\\%s", ""};
    std::string format = g.rng.OneIn(3) ? g.Text(g.Length(120)) : g.Pick(kFormats);
    auto field = [&]() {
        static const std::vector<const char*> kBits = {":", ":1", ":0", " ", "$x$", "$dir$",
                                                       "\\", "Res", "Res:1", ",", "$"};
        std::string f;
        for (int k = (int)g.rng.Below(4); k > 0; --k)
            f += g.rng.OneIn(2) ? std::string(g.Pick(kBits)) : g.Text(g.Length(70));
        return f;
    };
    std::string entry = field() + "," + field() + "," + field() + "," + field();
    if (g.rng.OneIn(3)) entry = g.Text(g.Length(255));
    entry.resize(entry.size() < 255 ? entry.size() : 255);
    std::string nested = field() + "," + field() + "," + field();
    auto clean = [](std::string s) {  // one INI line each
        for (char& c : s)
            if (c == '\r' || c == '\n') c = ' ';
        return s;
    };
    std::string raw = "[Module File Names]\r\nModNameFmt=" + clean(format) + "\r\nRes=" +
                      clean(nested) + "\r\n[Globals]\r\nx=" + clean(g.Text(g.Length(300))) +
                      "\r\ndir=$x$\\$dir$\r\n";
    Current.Add("entry", entry);
    Current.Add("file", raw);
    std::string path = ScratchFile("prodinfo.ini");
    if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
    FlushIniCache(path.c_str());
    Placed e(ArenaA(), entry.size() + 1, true, 0);
    memcpy(e.data(), clean(entry).c_str(), entry.size() + 1);
    Placed r(ArenaB(), sizeof(ModuleNameRecord), i % 2 == 0, 'Q');
    ModuleNameRecord* record = (ModuleNameRecord*)r.data();
    ResolveModuleEntry(path.c_str(), e.data(), record, g.rng.OneIn(4) != 0);
    Check(r.FenceIntact(), "wrote past the record");
    Check(Terminated(record->ModulePath, MAX_PATH) && Terminated(record->Directory, MAX_PATH) &&
              Terminated(record->ResourcePath, MAX_PATH),
          "a path of the record is not terminated");
    Check(record->UseResource == 0 || record->UseResource == 1, "use flag is not 0 or 1");
}

}  // namespace

void RegisterFileRoutines() {
    std::vector<Routine>& r = Routines();
    r.push_back({"ReadTextLine", FuzzReadTextLine, false});
    r.push_back({"FindIniSections", FuzzFindIniSections, true});
    r.push_back({"GlobalStringsSection", FuzzGlobalStringsSection, true});
    r.push_back({"GetIniKeyList", FuzzKeyList, true});
    r.push_back({"ModuleEntry", FuzzModuleEntry, true});
}

}  // namespace fuzz
