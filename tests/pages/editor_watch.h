// Watches for the text editor (notepad.exe) that the program under test
// starts: finds each such child process and its window, notes its command
// line and title, and closes it, or leaves it open for the test to see how
// long the program waits. Editors still open at the end are ended, by id.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace wiztest {

struct EditorSeen {
    DWORD processId = 0;
    std::string commandLine;
    std::string title;
    bool windowFound = false;
    bool closed = false;  // it ended after WM_CLOSE
};

class EditorWatch {
public:
    // onWindow runs on the watcher's thread once the editor's window is up,
    // before it is closed.
    explicit EditorWatch(bool closeEditors = true,
                         std::function<void(const EditorSeen&)> onWindow = nullptr);
    ~EditorWatch();
    EditorWatch(const EditorWatch&) = delete;
    EditorWatch& operator=(const EditorWatch&) = delete;

    // Stops watching after a last look; returns every editor seen.
    std::vector<EditorSeen> Stop();
    // Editors seen so far.
    size_t Count();

private:
    static DWORD WINAPI Thread(void* self);
    void Loop();
    void Handle(DWORD processId);

    bool close_;
    std::function<void(const EditorSeen&)> onWindow_;
    HANDLE stop_;
    HANDLE thread_;
    std::mutex lock_;
    std::vector<EditorSeen> seen_;
    std::vector<HANDLE> open_;  // editors left running
};

// The command line a process was started with; empty when it cannot be read.
std::string CommandLineOf(HANDLE process);

}  // namespace wiztest
