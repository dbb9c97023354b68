#include "common/logfile.h"

#include <stdio.h>

LogFile::~LogFile() {
    if (file_) CloseHandle(file_);
}

bool LogFile::Open(const std::string& path) {
    if (file_) CloseHandle(file_);
    file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) file_ = nullptr;
    return file_ != nullptr;
}

void LogFile::Line(const std::string& text) {
    if (!file_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string line = stamp + text + "\r\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), (DWORD)line.size(), &written, nullptr);
}
