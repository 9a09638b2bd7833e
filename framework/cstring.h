// CString: an ANSI string in MFC's shape. Portable (no <windows.h>), so code without windows may
// use it too.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}
    CString(const char* text, int length) : m_str(text, static_cast<size_t>(length)) {}

    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }

    CString& operator=(const char* text);
    CString& operator+=(const char* text);

    // printf-style formatting; the result replaces the content.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // A writable buffer of at least minLength characters plus a NUL, as for a C API that
    // fills a buffer; ReleaseBuffer(-1) takes the length from the first NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // Exact, case-sensitive byte comparison (strcmp order).
    int Compare(const char* other) const;

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
    std::string m_str;
};
