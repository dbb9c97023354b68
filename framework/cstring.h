// The framework string: an ANSI multibyte text that owns its memory.
#pragma once
#include <windows.h>

#include <string>

class CString {
public:
    CString() {}
    CString(const char* text) : s_(text ? text : "") {}
    CString(const char* text, int length) : s_(text ? std::string(text, length) : std::string()) {}
    CString(const CString& other) = default;
    CString& operator=(const CString& other) = default;
    CString& operator=(const char* text) {
        s_ = text ? text : "";
        return *this;
    }

    operator const char*() const { return s_.c_str(); }
    const char* GetString() const { return s_.c_str(); }
    int GetLength() const { return (int)s_.size(); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int index) const { return s_[(size_t)index]; }

    CString& operator+=(const char* text) {
        if (text) s_ += text;
        return *this;
    }
    CString& operator+=(char c) {
        s_ += c;
        return *this;
    }
    friend CString operator+(const CString& a, const char* b) {
        CString r(a);
        r += b;
        return r;
    }

    bool operator==(const char* text) const { return s_ == (text ? text : ""); }
    bool operator!=(const char* text) const { return !(*this == text); }
    int Compare(const char* text) const { return lstrcmpA(s_.c_str(), text ? text : ""); }
    int CompareNoCase(const char* text) const { return lstrcmpiA(s_.c_str(), text ? text : ""); }

    // Removes white space (blank, tab, CR, LF) at either end.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    int Find(char c) const;

    void Format(const char* format, ...);

    // Direct access for platform calls that fill a buffer: GetBuffer(n) gives
    // room for n characters and a terminator; ReleaseBuffer() takes the text
    // up to its terminator (or newLength characters).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // Loads a string resource from the framework's resource handle.
    BOOL LoadString(UINT id);

private:
    std::string s_;
};
