// fuzz: drives the library's bounded routines and parsers with generated
// inputs in guarded buffers and checks every result against the routine's
// promises.
//
//   fuzz [--seed N] [--count N] [--first N] [--routine NAME] [--expect-acp N]
//        [--list]
//
// Prints one row per routine: name, cases, failures, seconds.
// Exits 1 when any check failed, 3 when a case faulted, 4 when one hung.
#include "tools/fuzz/fuzz.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/expand.h"

namespace fuzz {

CaseRecord Current;

namespace {

struct Tally {
    uint64_t failures = 0;
};
Tally g_tally;
volatile LONG g_progress = 0;
const int kPrintedFailures = 5;

void PrintCase(FILE* out) {
    fprintf(out, "  routine %s, seed %llu, case %llu (code page %u)\n", Current.routine,
            (unsigned long long)Current.seed, (unsigned long long)Current.index, GetACP());
    fputs(Current.Inputs().c_str(), out);
    fprintf(out, "  replay: fuzz --routine %s --seed %llu --first %llu --count 1\n",
            Current.routine, (unsigned long long)Current.seed,
            (unsigned long long)Current.index);
    fflush(out);
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    DWORD code = info->ExceptionRecord->ExceptionCode;
    // Only faults end the run; the runtime's own notices pass on.
    if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_STACK_OVERFLOW &&
        code != EXCEPTION_ARRAY_BOUNDS_EXCEEDED && code != EXCEPTION_INT_DIVIDE_BY_ZERO &&
        code != EXCEPTION_ILLEGAL_INSTRUCTION && code != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    fprintf(stderr, "FAULT 0x%08lx", (unsigned long)code);
    if (code == EXCEPTION_ACCESS_VIOLATION && info->ExceptionRecord->NumberParameters >= 2)
        fprintf(stderr, " (%s at %p)",
                info->ExceptionRecord->ExceptionInformation[0] ? "write" : "read",
                (void*)info->ExceptionRecord->ExceptionInformation[1]);
    // Where: the module and the offset in it, for addr2line.
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    void* at = info->ExceptionRecord->ExceptionAddress;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (const char*)at, &module))
        GetModuleFileNameA(module, name, sizeof name);
    fprintf(stderr, " in %s+0x%lx\n", name,
            (unsigned long)((const char*)at - (const char*)module));
    PrintCase(stderr);
    ExitProcess(3);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Watchdog(void*) {
    LONG seen = -1;
    int still = 0;
    for (;;) {
        Sleep(1000);
        LONG now = g_progress;
        still = now == seen ? still + 1 : 0;
        seen = now;
        if (still >= 30) {
            fputs("HANG: one case ran for 30 s\n", stderr);
            PrintCase(stderr);
            ExitProcess(4);
        }
    }
}

void Vprint(const char* kind, const char* format, va_list args) {
    fprintf(stderr, "%s: ", kind);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    PrintCase(stderr);
}

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t NameHash(const char* name) {
    uint64_t h = 1469598103934665603ull;
    for (; *name; ++name) h = (h ^ (unsigned char)*name) * 1099511628211ull;
    return h;
}

std::string MakeScratchDir() {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) strcpy(temp, ".\\");
    char dir[MAX_PATH];
    snprintf(dir, sizeof dir, "%sfuzz-%lu", temp, (unsigned long)GetCurrentProcessId());
    CreateDirectoryA(dir, nullptr);
    return dir;
}

void RemoveScratch(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (data.cFileName[0] == '.') continue;
            std::string path = dir + "\\" + data.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

// ---------------------------------------------------------------- generator

uint64_t Rng::Next() {
    state_ = Mix(state_);
    return state_;
}

int Gen::Length(int most) {
    static const int kEdges[] = {0,   1,   2,   3,   25,  26,   49,   50,   254,
                                 255, 256, 257, 259, 260, 1299, 1300, 1301};
    int n;
    switch (rng.Below(4)) {
    case 0: n = (int)rng.Below(8); break;
    case 1: n = (int)rng.Below(300); break;
    default:
        n = kEdges[rng.Below(sizeof kEdges / sizeof kEdges[0])];
        if (rng.OneIn(3)) n += (int)rng.Below(5) - 2;
        break;
    }
    if (n < 0) n = 0;
    return n > most ? most : n;
}

short Gen::Room() {
    static const short kRooms[] = {-32768, -2, -1, 0, 1, 2, 3, 4, 25, 26, 27, 50, 254,
                                   255, 256, 257, 259, 260, 261, 1299, 1300, 1301, 32767};
    if (rng.OneIn(4)) return (short)(1 + rng.Below(300));
    return kRooms[rng.Below(sizeof kRooms / sizeof kRooms[0])];
}

char Gen::Lead() {
    static const unsigned char kLeads[] = {0x81, 0x82, 0x88, 0x9F, 0xE0, 0xEA, 0xFC};
    return (char)kLeads[rng.Below(sizeof kLeads)];
}

char Gen::Byte() {
    static const char kSpecial[] = "\x09\x0D\x0A $%;\"\\-/:,=[]*?.x0";
    switch (rng.Below(8)) {
    case 0:
    case 1: return kSpecial[rng.Below(sizeof kSpecial - 1)];
    case 2: return Lead();
    case 3: return (char)(1 + rng.Below(255));
    case 4: return (char)('0' + rng.Below(10));
    default: return (char)('a' + rng.Below(26));
    }
}

std::string Gen::Text(int len) {
    std::string s;
    s.reserve((size_t)len);
    while ((int)s.size() < len) {
        // A lead byte with 0x5C ("\") as its trail now and then.
        if (rng.OneIn(16) && (int)s.size() + 2 <= len) {
            s += Lead();
            s += '\\';
            continue;
        }
        s += Byte();
    }
    if (len > 0 && rng.OneIn(8)) s[(size_t)len - 1] = Lead();  // a lead byte last
    return s;
}

std::string Gen::Bytes(int len) {
    std::string s;
    while ((int)s.size() < len) {
        switch (rng.Below(12)) {
        case 0: s += '\0'; break;
        case 1: s += "\r\n"; break;
        case 2: s += rng.OneIn(2) ? '\r' : '\n'; break;
        default: s += Byte(); break;
        }
    }
    s.resize((size_t)len);
    return s;
}

// ---------------------------------------------------------------- guarded buffers

GuardedArena::GuardedArena(size_t usable) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    usable_ = (usable + page_ - 1) / page_ * page_;
    base_ = (char*)VirtualAlloc(nullptr, usable_ + 2 * page_, MEM_RESERVE | MEM_COMMIT,
                                PAGE_READWRITE);
    if (!base_) {
        fputs("fuzz: no memory for the guarded arena\n", stderr);
        ExitProcess(2);
    }
    DWORD old;
    VirtualProtect(base_, page_, PAGE_NOACCESS, &old);
    VirtualProtect(base_ + page_ + usable_, page_, PAGE_NOACCESS, &old);
    first_ = base_ + page_;
}

GuardedArena::~GuardedArena() { VirtualFree(base_, 0, MEM_RELEASE); }

Placed::Placed(GuardedArena& arena, size_t n, bool atBack, char fill) : n_(n), atBack_(atBack) {
    if (n + kFence > arena.usable()) atBack_ = true;
    p_ = atBack_ ? arena.Tail(n) : arena.Head();
    memset(p_, fill, n);
    if (!atBack_) memset(p_ + n, (char)0xA5, kFence);
}

bool Placed::FenceIntact() const {
    if (atBack_) return true;
    for (size_t i = 0; i < kFence; ++i)
        if ((unsigned char)p_[n_ + i] != 0xA5) return false;
    return true;
}

// ---------------------------------------------------------------- records and checks

std::string Hex(const void* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    const unsigned char* b = (const unsigned char*)bytes;
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[b[i] >> 4];
        out += kDigits[b[i] & 15];
    }
    return out;
}

CaseRecord::Input& CaseRecord::Next() {
    if (count_ == inputs_.size()) inputs_.emplace_back();
    return inputs_[count_++];
}

void CaseRecord::Add(const char* what, const void* bytes, size_t n) {
    Input& in = Next();
    in.what = what;
    in.number = false;
    in.none = bytes == nullptr;
    in.bytes.assign(bytes ? (const char*)bytes : "", bytes ? n : 0);
}

void CaseRecord::AddNumber(const char* what, long long value) {
    Input& in = Next();
    in.what = what;
    in.number = true;
    in.value = value;
}

std::string CaseRecord::Inputs() const {
    std::string out;
    for (size_t i = 0; i < count_; ++i) {
        const Input& in = inputs_[i];
        char head[96];
        if (in.number) {
            snprintf(head, sizeof head, "  %s: %lld\n", in.what, in.value);
            out += head;
            continue;
        }
        snprintf(head, sizeof head, "  %s (%u bytes): ", in.what, (unsigned)in.bytes.size());
        out += head;
        out += in.none ? "(none)" : Hex(in.bytes.data(), in.bytes.size());
        out += '\n';
    }
    return out;
}

void Fail(const char* format, ...) {
    if (g_tally.failures++ < kPrintedFailures) {
        va_list args;
        va_start(args, format);
        Vprint("FAIL", format, args);
        va_end(args);
    }
}


bool Check(bool condition, const char* format, ...) {
    if (condition) return true;
    if (g_tally.failures++ < kPrintedFailures) {
        va_list args;
        va_start(args, format);
        Vprint("FAIL", format, args);
        va_end(args);
    }
    return false;
}

bool IsLead(char c) { return IsDBCSLeadByte((BYTE)c) != 0; }

bool WholeCharacters(const char* text, size_t n) {
    size_t i = 0;
    while (i < n) i += (IsLead(text[i]) && text[i + 1]) ? 2 : 1;
    return i == n;
}

std::vector<Routine>& Routines() {
    static std::vector<Routine> all;
    return all;
}

GuardedArena& ArenaA() {
    static GuardedArena arena(64 * 1024);
    return arena;
}
GuardedArena& ArenaB() {
    static GuardedArena arena(64 * 1024);
    return arena;
}
GuardedArena& ArenaC() {
    static GuardedArena arena(64 * 1024);
    return arena;
}

const std::string& ScratchDir() {
    static std::string dir = MakeScratchDir();
    return dir;
}

}  // namespace fuzz

using namespace fuzz;

int main(int argc, char** argv) {
    uint64_t seed = 1, count = 1000, first = 0;
    const char* only = nullptr;
    unsigned expectAcp = 0;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        auto value = [&](const char* name) -> const char* {
            if (strcmp(argv[i], name) != 0) return nullptr;
            if (i + 1 >= argc) {
                fprintf(stderr, "fuzz: %s needs a value\n", name);
                exit(2);
            }
            return argv[++i];
        };
        if (const char* v = value("--seed")) seed = strtoull(v, nullptr, 0);
        else if (const char* v = value("--count")) count = strtoull(v, nullptr, 0);
        else if (const char* v = value("--first")) first = strtoull(v, nullptr, 0);
        else if (const char* v = value("--routine")) only = v;
        else if (const char* v = value("--expect-acp")) expectAcp = (unsigned)strtoul(v, nullptr, 0);
        else if (strcmp(argv[i], "--list") == 0) list = true;
        else {
            fprintf(stderr,
                    "usage: fuzz [--seed N] [--count N] [--first N] [--routine NAME] "
                    "[--expect-acp N] [--list]\n");
            return 2;
        }
    }
    if (expectAcp && GetACP() != expectAcp) {
        fprintf(stderr, "fuzz: code page %u, not %u (check LC_ALL)\n", GetACP(), expectAcp);
        return 2;
    }
    // Message boxes of the library would stop the run; there is nobody to answer them.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    SetLibraryResourceInstance(GetModuleHandleA(nullptr));
    RegisterStringRoutines();
    RegisterExpandRoutines();
    RegisterFileRoutines();
    if (list) {
        for (const Routine& r : Routines()) printf("%s\n", r.name);
        return 0;
    }
    AddVectoredExceptionHandler(1, OnFault);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    bool any = false, failed = false;
    printf("%-24s %10s %9s %9s   (code page %u, seed %llu)\n", "routine", "cases",
           "failures", "seconds", GetACP(), (unsigned long long)seed);
    fflush(stdout);
    for (const Routine& r : Routines()) {
        if (only && _stricmp(only, r.name) != 0) continue;
        any = true;
        g_tally = Tally();
        Current.routine = r.name;
        Current.seed = seed;
        LARGE_INTEGER start, end, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (uint64_t i = first; i < first + count; ++i) {
            Current.index = i;
            Current.Clear();
            Gen gen(Mix(seed ^ NameHash(r.name)) ^ Mix(i));
            r.run(gen, i);
            InterlockedIncrement(&g_progress);
        }
        QueryPerformanceCounter(&end);
        double seconds = (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
        printf("%-24s %10llu %9llu %9.1f\n", r.name, (unsigned long long)count,
               (unsigned long long)g_tally.failures, seconds);
        fflush(stdout);
        if (g_tally.failures) failed = true;
    }
    RemoveScratch(ScratchDir());
    if (!any) {
        fprintf(stderr, "fuzz: no routine named %s (see --list)\n", only ? only : "");
        return 2;
    }
    return failed ? 1 : 0;
}
