// The readers of raw and INI text: lines, section headers, key lists, the
// language section, and module entries of a generated product information
// file.
#include <string.h>

#include "common/expand.h"
#include "common/prodinfo.h"
#include "common/resmodule.h"
#include "common/util.h"
#include "maker/devaccess/devsim.h"
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
std::vector<std::string> ExpectedSections(const std::string& raw, const std::string& prefix) {
    std::vector<std::string> found;
    if (raw.empty() || raw.size() >= 32768) return found;
    size_t p = 0;
    while (p < raw.size()) {
        size_t q = p;
        while (q < raw.size() && raw[q] != '\0' && raw[q] != '\r' && raw[q] != '\n') ++q;
        std::string line = raw.substr(p, q - p);
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
    // Most cases scan text already in memory; every 64th reads it from a file.
    bool throughFile = i % 64 == 0;
    Current.Add("file", raw);
    Current.Add("prefix", prefix);
    Current.AddNumber("through a file", throughFile);
    Placed pre(ArenaA(), prefix.size() + 1, true, 0);
    memcpy(pre.data(), prefix.c_str(), prefix.size() + 1);
    short count = -1;
    HGLOBAL block = nullptr;
    if (throughFile) {
        std::string path = ScratchFile("sections.ini");
        if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
        block = FindIniSections(path.c_str(), pre.data(), &count);
    } else {
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, raw.empty() ? 1 : raw.size());
        if (!text) return;
        memcpy(GlobalLock(text), raw.data(), raw.size());
        GlobalUnlock(text);
        block = CollectIniSections(text, (long)raw.size(), pre.data(), &count);
    }
    Check(strcmp(pre.data(), prefix.c_str()) == 0, "the caller's prefix was changed");
    std::string wanted = prefix.substr(0, 255);
    wanted = wanted.substr(0, wanted.find('%'));
    std::vector<std::string> want = ExpectedSections(raw, wanted);
    bool wellFormed = false;
    std::vector<std::string> got = ListNames(block, count, &wellFormed);
    if (block) {
        Check(wellFormed, "the list is not names ended by an extra NUL, or its count differs");
        GlobalFree(block);
    } else {
        Check(count == 0, "no list but a count of %d", count);
    }
    Check(got == want, "found %d sections, expected %d", (int)got.size(), (int)want.size());
}

HGLOBAL MakeList(const std::vector<std::string>& names) {
    std::string bytes;
    for (const std::string& n : names) bytes += n + std::string(1, '\0');
    bytes += '\0';
    HGLOBAL list = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (list) {
        memcpy(GlobalLock(list), bytes.data(), bytes.size());
        GlobalUnlock(list);
    }
    return list;
}

void FuzzGlobalStringsSection(Gen& g, uint64_t i) {
    static const std::vector<const char*> kLanguages = {"ENU", "DEU", "FRC", "FRA", "JPN",
                                                        "enu", "E", "", "ENUX"};
    std::string language = g.rng.OneIn(4) ? g.Text(g.Length(26)) : g.Pick(kLanguages);
    std::vector<std::string> names;
    for (int k = (int)g.rng.Below(8); k > 0; --k) {
        std::string n = "Global Strings";
        if (g.rng.OneIn(4)) n = g.Text(g.Length(49));
        else if (!g.rng.OneIn(4)) n += ": " + (g.rng.OneIn(2) ? std::string(g.Pick(kLanguages))
                                                               : g.Text(g.Length(30)));
        n = n.substr(0, 49);
        if (n.empty()) n = "x";
        names.push_back(n);
    }
    short size = g.Room();
    bool throughFile = i % 64 == 0;
    Current.Add("language", language);
    for (const std::string& n : names) Current.Add("section", n);
    Current.AddNumber("size", size);
    Current.AddNumber("through a file", throughFile);
    HGLOBAL list = names.empty() ? nullptr : MakeList(names);
    Placed lang(ArenaB(), language.size() + 1, true, 0);
    memcpy(lang.data(), language.c_str(), language.size() + 1);
    if (size <= 0) {
        Check(ChooseGlobalStringsSection(list, lang.data(), ArenaA().Tail(0), size) == 0,
              "size <= 0 gives 0");
        if (list) GlobalFree(list);
        return;
    }
    Placed d(ArenaA(), (size_t)size, i % 2 == 0, 'Q');
    short n;
    if (throughFile) {
        std::string raw;
        for (const std::string& name : names) raw += "[" + name + "]\r\nk=v\r\n";
        std::string path = ScratchFile("language.ini");
        if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
        n = GetGlobalStringsSection(path.c_str(), d.data(), size);
    } else {
        n = ChooseGlobalStringsSection(list, lang.data(), d.data(), size);
    }
    if (list) GlobalFree(list);
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

// A file with a section whose key list lies around one of the sizes the
// reader tries (each size in turn); it is written anew every 500 cases.
struct KeyFile {
    std::string path;
    std::vector<std::string> sections;
    std::vector<std::vector<std::string>> keys;
    std::vector<size_t> bytes;
    std::string raw;
};

KeyFile& CurrentKeyFile(uint64_t i) {
    static KeyFile file;
    static uint64_t made = ~0ull;
    if (made != ~0ull && i / 500 == made) return file;
    made = i / 500;
    // Its own generator, so that a replayed case reads the same file.
    Gen g(Current.seed * 0x9E3779B97F4A7C15ull ^ (made + 1) * 0xD1B54A32D192ED03ull);
    auto line = [&](int most) {  // one line, whatever bytes it holds
        std::string s = g.Text(g.Length(most));
        for (char& c : s)
            if (c == '\r' || c == '\n' || c == '[') c = ' ';
        return s + "z\r\n";
    };
    static const int kTotals[] = {1, 200, 254, 256, 510, 1022, 2046, 4094, 8190, 16380, 17000};
    file = KeyFile();
    file.path = ScratchFile("keys.ini");
    for (int k = (int)g.rng.Below(4); k > 0; --k) file.raw += line(80);
    // One section around one of the sizes, in turn, and a small one beside it.
    for (int s = 0; s < 2; ++s) {
        std::string section = "S" + std::to_string(s) + "_" + std::to_string(g.rng.Below(1000));
        int total = s == 0 ? kTotals[made % 11] + (int)g.rng.Below(40) - 20 : (int)g.rng.Below(60);
        file.raw += "[" + section + "]\r\n";
        std::vector<std::string> keys;
        size_t listBytes = 0;
        while ((int)listBytes < total) {
            std::string key = KeyName(g, keys.size());
            listBytes += key.size() + 1;
            file.raw += key + "=" + line(30);
            keys.push_back(key);
        }
        file.sections.push_back(section);
        file.keys.push_back(keys);
        file.bytes.push_back(listBytes);
    }
    file.raw += "[zz]\r\n" + line(80);
    if (!WriteWhole(file.path, file.raw)) fputs("fuzz: cannot write the key file\n", stderr);
    FlushIniCache(file.path.c_str());
    return file;
}

void FuzzKeyList(Gen& g, uint64_t i) {
    KeyFile& file = CurrentKeyFile(i);
    uint32_t which = g.rng.Below((uint32_t)file.sections.size() + 1);
    bool missing = which == file.sections.size();
    std::string section = missing ? "not there" : file.sections[which];
    Current.Add("section", section);
    Current.AddNumber("file made for cases from", (long long)(i / 500 * 500));
    short count = -1;
    HGLOBAL block = GetIniKeyList(file.path.c_str(), section.c_str(), &count);
    bool wellFormed = false;
    std::vector<std::string> got = ListNames(block, count, &wellFormed);
    static const std::vector<std::string> kNone;
    const std::vector<std::string>& keys = missing ? kNone : file.keys[which];
    size_t listBytes = missing ? 0 : file.bytes[which];
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
    std::string format;
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
    std::string nested;
    static const std::vector<const char*> kNested = {"mod:1", "$dir$", "x", "", " : ", "res.dll",
                                                     "%s", "a:0"};
    auto clean = [](std::string s) {  // one INI line each
        for (char& c : s)
            if (c == '\r' || c == '\n') c = ' ';
        return s;
    };
    // The file is written anew every 256 cases, from a generator of its own
    // so that a replayed case reads the same file; the entries vary every case.
    static std::string raw;
    static uint64_t made = ~0ull;
    std::string path = ScratchFile("prodinfo.ini");
    if (made != i / 256) {
        made = i / 256;
        Gen f(Current.seed * 0xD1B54A32D192ED03ull ^ (made + 1) * 0x9E3779B97F4A7C15ull);
        format = f.rng.OneIn(3) ? f.Text(f.Length(120)) : f.Pick(kFormats);
        nested.clear();
        for (int k = 0; k < 3; ++k) nested += (k ? "," : "") + std::string(f.Pick(kNested));
        raw = "[Module File Names]\r\nModNameFmt=" + clean(format) + "\r\nRes=" +
              clean(nested) + "\r\n[Globals]\r\nx=" + clean(f.Text(f.Length(300))) +
              "\r\ndir=$x$\\$dir$\r\n";
        if (!Check(WriteWhole(path, raw), "cannot write the scratch file")) return;
        FlushIniCache(path.c_str());
    }
    Current.Add("entry", entry);
    Current.AddNumber("file made for cases from", (long long)(made * 256));
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

// The simulated device's state file, damaged: a parse either refuses it or
// gives a state that reads back the same after it is written out again.
void FuzzDeviceState(Gen& g, uint64_t i) {
    static const std::string real = [] {
        devsim::DeviceState s = devsim::FactoryState();
        s.objects[32].bytes = std::string("a\"b\\c\0\x95\x5C\r\n", 10);
        s.failObjects = {31, 45};
        s.failFromWrite = 3;
        return devsim::FormatState(s);
    }();
    std::string text = real;
    switch (g.rng.Below(4)) {
    case 0: text = real.substr(0, g.rng.Below((uint32_t)real.size() + 1)); break;
    case 1: text = g.Bytes(g.Length(1300)); break;
    default:
        for (int k = (int)g.rng.Below(8) + 1; k > 0; --k) {
            size_t at = g.rng.Below((uint32_t)text.size() + 1);
            switch (g.rng.Below(3)) {
            case 0: text.insert(at, g.Bytes(g.Length(30))); break;
            case 1: text.erase(at, g.rng.Below(20)); break;
            default:
                if (at < text.size()) text[at] = g.Byte();
                break;
            }
        }
        break;
    }
    Current.Add("state file", text);
    devsim::DeviceState state;
    if (!devsim::ParseState(text, state)) return;
    std::string once = devsim::FormatState(state);
    devsim::DeviceState again;
    if (!Check(devsim::ParseState(once, again), "a state written out does not read back")) return;
    Check(devsim::FormatState(again) == once, "a state read back differs from the one written");
}

}  // namespace

void RegisterFileRoutines() {
    std::vector<Routine>& r = Routines();
    r.push_back({"ReadTextLine", FuzzReadTextLine, false});
    r.push_back({"FindIniSections", FuzzFindIniSections, true});
    r.push_back({"GlobalStringsSection", FuzzGlobalStringsSection, true});
    r.push_back({"GetIniKeyList", FuzzKeyList, true});
    r.push_back({"ModuleEntry", FuzzModuleEntry, true});
    r.push_back({"DeviceStateFile", FuzzDeviceState, false});
}

}  // namespace fuzz
