#include "password_test_support.h"

#include <algorithm>
#include <cstdio>

#include "support/modal.h"
#include "support/file_bytes.h"

std::vector<std::string> InstallFolderTest::DataFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(".\\data\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::pair<DWORD, DWORD> SelectionOf(HWND edit)
{
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void AppendText(HWND edit, const char* text)
{
    const int length = ::GetWindowTextLengthA(edit);
    ::SendMessageA(edit, EM_SETSEL, length, length);
    TypeText(edit, text);
}

bool ReadOnlyIsEnforced()
{
    const char probe[] = ".\\read-only probe";
    std::FILE* file = std::fopen(probe, "wb");
    if (!file)
        return false;
    std::fclose(file);
    ::SetFileAttributesA(probe, FILE_ATTRIBUTE_READONLY);
    HANDLE writer = ::CreateFileA(probe, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool enforced = writer == INVALID_HANDLE_VALUE;
    if (!enforced)
        ::CloseHandle(writer);
    ::SetFileAttributesA(probe, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(probe);
    return enforced;
}

OpenElsewhere::OpenElsewhere(const char* path, DWORD share)
    : m_handle(::CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

