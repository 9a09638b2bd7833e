// A whole file read or written at once. Header only and without the test framework, so that the
// small stand-in programs beside the tests read files the same way.
#pragma once

#include "framework/handle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

// The file's bytes; nullopt when it cannot be opened (GetLastError tells why). A writer may
// still hold it open.
inline std::optional<std::string> ReadWholeFile(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

// Creates or truncates the file and writes the bytes; false when any of it failed.
inline bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Gives a file other content for the life of the object (nullopt: no file at all) and puts back
// what was there, or nothing, when it goes.
class CFileSwap {
public:
    CFileSwap(std::string path, const std::optional<std::string>& content)
        : m_path(std::move(path)), m_original(ReadWholeFile(m_path))
    {
        Put(content);
    }
    ~CFileSwap() { Put(m_original); }
    CFileSwap(const CFileSwap&) = delete;
    CFileSwap& operator=(const CFileSwap&) = delete;

    bool Ok() const { return m_bOk; }

private:
    void Put(const std::optional<std::string>& content)
    {
        if (content)
            m_bOk = WriteWholeFile(m_path, *content);
        else
            m_bOk = ::DeleteFileA(m_path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }

    std::string m_path;
    std::optional<std::string> m_original;
    bool m_bOk = false;
};
