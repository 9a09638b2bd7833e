// A whole file read at once. Header only and without the test framework, so that the small
// stand-in programs beside the tests read files the same way.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The file's bytes; nullopt when it cannot be opened (GetLastError tells why). A writer may
// still hold it open.
inline std::optional<std::string> ReadWholeFile(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}
