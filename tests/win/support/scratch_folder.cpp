#include "scratch_folder.h"

#include <windows.h>

std::string WindowsDirectory()
{
    char buffer[MAX_PATH] = "";
    ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string SystemDirectory()
{
    char buffer[MAX_PATH] = "";
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(path.c_str());
}

ScratchFolder::ScratchFolder(const char* name)
{
    char buffer[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, buffer);
    m_savedCurrentDir = buffer;
    ::GetTempPathA(MAX_PATH, buffer);
    char longBuffer[MAX_PATH];
    if (::GetLongPathNameA(buffer, longBuffer, MAX_PATH))
        ::lstrcpynA(buffer, longBuffer, MAX_PATH);
    m_path = std::string(buffer) + name + "-" + std::to_string(::GetCurrentProcessId());
    RemoveTree(m_path);
    ::CreateDirectoryA(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    ::SetCurrentDirectoryA(m_savedCurrentDir.c_str());
    RemoveTree(m_path);
}

std::string ScratchFolder::Make(const std::string& relative, bool isFolder) const
{
    std::string full = m_path;
    size_t from = 0;
    for (size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', from)) {
        full = m_path + "\\" + relative.substr(0, at);
        ::CreateDirectoryA(full.c_str(), nullptr);
        from = at + 1;
    }
    full = m_path + "\\" + relative;
    if (isFolder)
        ::CreateDirectoryA(full.c_str(), nullptr);
    return full;
}
