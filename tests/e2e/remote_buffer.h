// Memory in another process. Messages that carry a pointer to a structure or a string of the
// control's own kind (list-view items, the folder browser's selection) are not carried across
// processes by the system: the data is placed in the program's memory and the message points
// there.
#pragma once

#include <windows.h>

#include <cstddef>

class CRemoteBuffer {
public:
    CRemoteBuffer(HANDLE hProcess, size_t size)
        : m_hProcess(hProcess),
          m_size(size),
          m_pRemote(static_cast<char*>(::VirtualAllocEx(hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)))
    {
    }
    ~CRemoteBuffer()
    {
        if (m_pRemote)
            ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    }
    CRemoteBuffer(const CRemoteBuffer&) = delete;
    CRemoteBuffer& operator=(const CRemoteBuffer&) = delete;

    bool IsValid() const { return m_pRemote != nullptr; }
    // The address in the program, for a message's parameter or a pointer inside a structure.
    char* At(size_t offset = 0) const { return m_pRemote + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }

    bool Write(const void* data, size_t size, size_t offset = 0) const
    {
        SIZE_T written = 0;
        return m_pRemote && offset + size <= m_size &&
               ::WriteProcessMemory(m_hProcess, At(offset), data, size, &written) && written == size;
    }
    bool Read(void* data, size_t size, size_t offset = 0) const
    {
        SIZE_T read = 0;
        return m_pRemote && offset + size <= m_size &&
               ::ReadProcessMemory(m_hProcess, At(offset), data, size, &read) && read == size;
    }

private:
    HANDLE m_hProcess;
    size_t m_size;
    char* m_pRemote;
};
