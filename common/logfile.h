// A log of what a program did, for the administrator: lines with the local
// time, appended to a text file that others may read while it is written.
#pragma once
#include <windows.h>

#include <string>

class LogFile {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    // False when the file cannot be opened for appending.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Line(const std::string& text);

private:
    HANDLE file_ = nullptr;
};
