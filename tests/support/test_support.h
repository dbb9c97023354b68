// Helpers for tests: guarded buffers, temporary folders, paths of the build.
#pragma once
#include <windows.h>
#include <ostream>
#include <string>
#include <vector>

namespace wiztest {

// A buffer of a given size followed by guard bytes; any write past the size
// shows up in Intact().
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size, char fill = 'X');
    char* data() { return mem_.data(); }
    const char* c_str() const { return mem_.data(); }
    size_t size() const { return size_; }
    bool Intact() const;

private:
    static const size_t kGuard = 32;
    size_t size_;
    std::vector<char> mem_;
};

// Bytes that end right before an inaccessible page: reading or writing one
// byte past them faults at once.
class PageEndBuffer {
public:
    explicit PageEndBuffer(size_t size, char fill = 'X');
    // The given bytes (terminator included when the text has one).
    explicit PageEndBuffer(const std::string& bytes);
    ~PageEndBuffer();
    PageEndBuffer(const PageEndBuffer&) = delete;
    PageEndBuffer& operator=(const PageEndBuffer&) = delete;
    char* data() { return data_; }

private:
    char* base_;
    char* data_;
};

// A fresh folder under the temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const;  // path\name
    void Write(const std::string& name, const std::string& contents) const;

private:
    std::string path_;
};

// Removes a folder and everything below it.
void RemoveTree(const std::string& path);
// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& contents);

// Windows paths of the source and build folders (from the test environment).
std::string SourceDir();
std::string BinaryDir();
// Folder holding the test binaries and the DLLs built beside them.
std::string BinDir();

// Full path of the tester's switch file in the Windows directory.
std::string TesterFile();

// Watches, from a thread of its own, for a message box with the given caption;
// reads its text and answers it with OK.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(const char* caption) : caption_(caption) {}
    ~MessageBoxWatcher() { Join(); }
    void Start(DWORD timeoutMs);
    void Join();
    bool Seen() const { return seen_; }
    const std::string& Text() const { return text_; }

private:
    std::string caption_;
    std::string text_;
    bool seen_ = false;
    HANDLE thread_ = nullptr;
    DWORD timeoutMs_ = 0;
    static DWORD WINAPI Watch(void* self);
};

// Runs a program and waits for it; returns its exit code, or -1.
int RunProcess(const std::string& commandLine, DWORD timeoutMs = 60000);

// What the DACL of a kernel object allows, read back from the object (a
// handle with READ_CONTROL): the rights of SYSTEM, the Administrators, the
// interactive user and of every other SID together.
struct ObjectAccess {
    bool HasDacl = false;  // false also when it cannot be read
    DWORD System = 0;
    DWORD Admins = 0;
    DWORD Interactive = 0;
    DWORD Others = 0;

    // What the product's shared objects allow: SYSTEM and the Administrators
    // everything, the interactive user just what using the object takes.
    static ObjectAccess Shared(DWORD all, DWORD use) { return {true, all, all, use, 0}; }
    bool operator==(const ObjectAccess& o) const {
        return HasDacl == o.HasDacl && System == o.System && Admins == o.Admins &&
               Interactive == o.Interactive && Others == o.Others;
    }
};
inline void PrintTo(const ObjectAccess& a, std::ostream* out) {
    *out << std::hex << "{dacl " << a.HasDacl << ", system 0x" << a.System << ", admins 0x"
         << a.Admins << ", interactive 0x" << a.Interactive << ", others 0x" << a.Others << "}";
}
ObjectAccess ReadObjectAccess(HANDLE object);
// The same of a named mutex or event, opened by its name.
ObjectAccess ReadMutexAccess(const std::string& name);
ObjectAccess ReadEventAccess(const std::string& name);

}  // namespace wiztest
