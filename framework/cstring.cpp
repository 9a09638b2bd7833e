#include "framework/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CString& CString::operator=(const char* text)
{
    m_str = text ? text : "";
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text)
        m_str += text;
    return *this;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        m_str.clear();
    } else {
        m_str.assign(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(m_str.data(), m_str.size(), format, args);
        m_str.resize(static_cast<size_t>(length));
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_str.resize(static_cast<size_t>(minLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(newLength));
}

int CString::Compare(const char* other) const
{
    return std::strcmp(m_str.c_str(), other ? other : "");
}
