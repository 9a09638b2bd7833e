#include "lists/list_files.h"

#include "app/veltrix_dlg.h"
#include "lists/core/list_file.h"

namespace {

const char kLockedListFile[] = ".\\data\\filter.txt";
const char kTrustedListFile[] = ".\\data\\TrustedPs.txt";

std::string TemporaryPath(const char* path)
{
    return std::string(path) + ".tmp";
}

class CFileHandle {
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    HANDLE Get() const { return m_hFile; }
    bool IsValid() const { return m_hFile != INVALID_HANDLE_VALUE; }
    // FALSE when the system reports the close failed (the data may not have reached the disk).
    BOOL Close()
    {
        if (!IsValid())
            return TRUE;
        const BOOL closed = ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_hFile;
};

// The list's entries, column 0, in view order.
std::string ListFileContent(const CListCtrl& list)
{
    std::string content;
    const int count = list.GetItemCount();
    for (int i = 0; i < count; ++i) {
        char path[MAX_PATH] = {};
        list.GetItemText(i, 0, path, MAX_PATH);
        AppendListFileLine(content, path);
    }
    return content;
}

}  // namespace

BOOL WriteListFileTemporary(const char* path, const std::string& content)
{
    const std::string temporary = TemporaryPath(path);
    CFileHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return FALSE;
    DWORD written = 0;
    const BOOL complete =
        (content.empty() || (::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                             written == content.size())) &&
        ::FlushFileBuffers(file.Get());
    if (file.Close() && complete)
        return TRUE;
    ::DeleteFileA(temporary.c_str());
    return FALSE;
}

BOOL CommitListFile(const char* path)
{
    const std::string temporary = TemporaryPath(path);
    // A read-only list file is one the user does not want written. Windows refuses to move a
    // file over it, Wine does not: look first, so that both keep it.
    const DWORD attributes = ::GetFileAttributesA(path);
    const bool writable = attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
    if (writable && ::MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TRUE;
    ::DeleteFileA(temporary.c_str());
    return FALSE;
}

BOOL ReplaceListFile(const char* path, const std::string& content)
{
    return WriteListFileTemporary(path, content) && CommitListFile(path);
}

void CVeltrixDlg::SaveLists()
{
    // A file that cannot be written is skipped without a word; the other is still written.
    ReplaceListFile(kLockedListFile, ListFileContent(m_listLocked));
    ReplaceListFile(kTrustedListFile, ListFileContent(m_listTrusted));
}
