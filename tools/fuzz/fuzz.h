// The fuzzer's frame: a seeded generator biased toward the edges, buffers
// that end right before (or start right after) an inaccessible page, and the
// record of the case being run, printed when a check fails or the process
// faults, so that the case can be replayed.
#pragma once
#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace fuzz {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // 0 .. n-1; 0 when n is 0.
    uint32_t Below(uint32_t n) { return n ? (uint32_t)(Next() % n) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

// Inputs for one case, biased toward the lengths, bytes and rooms that sit on
// the routines' edges.
class Gen {
public:
    explicit Gen(uint64_t seed) : rng(seed) {}
    Rng rng;

    int Length(int most);  // 0 .. most
    short Room();          // a 16-bit buffer size, negative ones included
    char Byte();           // never 0
    // len bytes, never 0; double-byte lead bytes now and then at the end.
    std::string Text(int len);
    std::string Text() { return Text(Length(1300)); }
    // Raw file bytes: NULs, line breaks and long lines included.
    std::string Bytes(int len);
    char Lead();  // a lead byte of code page 932
    const char* Pick(const std::vector<const char*>& from) {
        return from[rng.Below((uint32_t)from.size())];
    }
};

// A region of committed pages between two inaccessible ones.
class GuardedArena {
public:
    explicit GuardedArena(size_t usable);
    ~GuardedArena();
    // n bytes that end right before the back guard page.
    char* Tail(size_t n) { return first_ + usable_ - n; }
    // The first byte after the front guard page.
    char* Head() { return first_; }
    size_t usable() const { return usable_; }

private:
    char* base_;
    char* first_;
    size_t usable_;
    size_t page_;
};

// A buffer of n bytes placed against one of the arena's guard pages. At the
// back an overrun faults at once; at the front an underrun faults and a
// fence of bytes after the buffer shows an overrun.
class Placed {
public:
    Placed(GuardedArena& arena, size_t n, bool atBack, char fill);
    char* data() { return p_; }
    size_t size() const { return n_; }
    bool FenceIntact() const;

private:
    static const size_t kFence = 64;
    char* p_;
    size_t n_;
    bool atBack_;
};

// The case being run. Inputs are recorded as they are made; a failure prints
// them in hex with the seed and case number.
struct CaseRecord {
    const char* routine = "";
    uint64_t seed = 0;
    uint64_t index = 0;
    void Clear() { count_ = 0; }
    void Add(const char* what, const void* bytes, size_t n);
    void Add(const char* what, const std::string& s) { Add(what, s.data(), s.size()); }
    void AddNumber(const char* what, long long value);
    // The inputs as lines of hex; made only when a case is printed.
    std::string Inputs() const;

private:
    struct Input {
        const char* what;
        bool number;
        long long value;
        std::string bytes;
        bool none;
    };
    std::vector<Input> inputs_;
    size_t count_ = 0;
    Input& Next();
};
extern CaseRecord Current;

// A check of one routine's promise. Failures are counted for the routine
// and the first few are printed.
void Fail(const char* format, ...);
// Fails when condition is false; returns it.
bool Check(bool condition, const char* format, ...);

// Whether the first n bytes of text end on a character boundary.
bool WholeCharacters(const char* text, size_t n);
bool IsLead(char c);
std::string Hex(const void* bytes, size_t n);

struct Routine {
    const char* name;
    void (*run)(Gen& gen, uint64_t index);
    bool slow;  // touches files: fewer cases in the short pass
};
std::vector<Routine>& Routines();

// The arenas every routine places its buffers in.
GuardedArena& ArenaA();
GuardedArena& ArenaB();
GuardedArena& ArenaC();
// A scratch folder of this run (Windows path, no trailing backslash).
const std::string& ScratchDir();

void RegisterStringRoutines();
void RegisterExpandRoutines();
void RegisterFileRoutines();

}  // namespace fuzz
