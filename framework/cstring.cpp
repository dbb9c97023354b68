#include "framework/cstring.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "framework/resource.h"

static bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < s_.size() && IsWhite(s_[i])) ++i;
    s_.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = s_.size();
    while (n > 0 && IsWhite(s_[n - 1])) --n;
    s_.resize(n);
    return *this;
}

CString CString::Left(int count) const {
    if (count <= 0) return CString();
    return CString(s_.substr(0, (size_t)count).c_str());
}

CString CString::Mid(int first) const {
    if (first < 0) first = 0;
    if ((size_t)first >= s_.size()) return CString();
    return CString(s_.substr((size_t)first).c_str());
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (count <= 0 || (size_t)first >= s_.size()) return CString();
    return CString(s_.substr((size_t)first, (size_t)count).c_str());
}

int CString::Find(char c) const {
    size_t p = s_.find(c);
    return p == std::string::npos ? -1 : (int)p;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        s_.clear();
    } else {
        std::string out((size_t)n + 1, '\0');
        vsnprintf(&out[0], out.size(), format, args);
        out.resize((size_t)n);
        s_.swap(out);
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength) {
    if (minLength < 0) minLength = 0;
    if (s_.size() < (size_t)minLength) s_.resize((size_t)minLength);
    s_.reserve(s_.size() + 1);
    return &s_[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = (int)strnlen(s_.c_str(), s_.size());
    if ((size_t)newLength < s_.size()) s_.resize((size_t)newLength);
}

BOOL CString::LoadString(UINT id) {
    char buffer[1024];
    int n = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof buffer);
    if (n <= 0) {
        s_.clear();
        return FALSE;
    }
    s_.assign(buffer, (size_t)n);
    return TRUE;
}
