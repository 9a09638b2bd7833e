#include "framework/file_replace.h"

#include "framework/handle.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

// The folder part of path, "." for a bare file name.
std::string FolderOf(const char* path)
{
    const std::string text(path);
    const size_t separator = text.find_last_of("\\/");
    if (separator == std::string::npos)
        return ".";
    return separator == 0 ? text.substr(0, 1) : text.substr(0, separator);
}

// SYSTEM and Administrators with full control, nothing else; protected, so that nothing the
// folder holds is inherited. Set on a file by its handle or by its name.
class CAdministratorsOnlyAcl {
public:
    CAdministratorsOnlyAcl()
    {
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;SY)(A;;FA;;;BA)", SDDL_REVISION_1,
                                                                  &m_descriptor, nullptr) ||
            !::GetSecurityDescriptorDacl(m_descriptor, &present, &m_acl, &defaulted) || !present)
            m_acl = nullptr;
    }
    ~CAdministratorsOnlyAcl() { ::LocalFree(m_descriptor); }
    CAdministratorsOnlyAcl(const CAdministratorsOnlyAcl&) = delete;
    CAdministratorsOnlyAcl& operator=(const CAdministratorsOnlyAcl&) = delete;

    BOOL SetOn(HANDLE file) const
    {
        return m_acl && ::SetSecurityInfo(file, SE_FILE_OBJECT, kInformation, nullptr, nullptr, m_acl, nullptr) ==
                            ERROR_SUCCESS;
    }
    BOOL SetOn(const char* path) const
    {
        return m_acl && ::SetNamedSecurityInfoA(const_cast<char*>(path), SE_FILE_OBJECT, kInformation, nullptr,
                                                nullptr, m_acl, nullptr) == ERROR_SUCCESS;
    }

private:
    static constexpr SECURITY_INFORMATION kInformation =
        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    PACL m_acl = nullptr;
};

// Writes content into the empty file at path and flushes it to the disk; with access
// AdministratorsOnly, the file's access list is set before any byte reaches it. A volume that
// keeps no access lists (FAT) cannot protect the file, but must not lose its content either:
// access then becomes Kept.
BOOL WriteWholeFile(const char* path, const std::string& content, FileAccess& access)
{
    CHandle file(::CreateFileA(path, GENERIC_WRITE | WRITE_DAC, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;
    DWORD volumeFlags = 0;
    if (access == FileAccess::AdministratorsOnly &&
        ::GetVolumeInformationByHandleW(file.Get(), nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0) &&
        !(volumeFlags & FS_PERSISTENT_ACLS))
        access = FileAccess::Kept;
    if (access == FileAccess::AdministratorsOnly && !CAdministratorsOnlyAcl().SetOn(file.Get()))
        return FALSE;
    DWORD written = 0;
    BOOL complete = content.empty() ||
                    (::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                                 nullptr) &&
                     written == content.size());
    complete = complete && ::FlushFileBuffers(file.Get());
    // A close that fails may have lost the data on its way to the disk.
    return file.Close() && complete;
}

// The attributes of the replaced file that the new one takes over. ReplaceFile does so on
// Windows; Wine's does not, so they are set beforehand.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// FALSE when another program holds the file open without letting it be renamed: then no swap
// can succeed, and Wine's ReplaceFile, trying, leaves a file of its own behind.
BOOL CanBeRenamed(const char* path)
{
    const CHandle file(::CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    return file || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Moves the written temporary file over path. ReplaceFile keeps the replaced file's attributes,
// access rights and identity; where there is nothing to replace, a move does.
BOOL PutInPlace(const char* temporary, const char* path)
{
    if (::ReplaceFileA(path, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return TRUE;
    return RecoverFailedReplace(::GetLastError(), temporary, path);
}

}  // namespace

BOOL RecoverFailedReplace(DWORD error, const char* temporary, const char* path)
{
    // Without a backup name these failures leave the old file gone (1177: still there, under a
    // name of ReplaceFile's own) and the new content under the temporary name: moving it is all
    // that is left to do. Deleting the temporary file instead would lose the list.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return ::MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH);
    return FALSE;
}

BOOL SetAdministratorsOnlyAccess(const char* path)
{
    return CAdministratorsOnlyAcl().SetOn(path);
}

BOOL ReplaceFileContent(const char* path, const std::string& content, FileAccess access)
{
    // A read-only file is one the user does not want written. Windows refuses to replace it,
    // Wine does not: look first, so that both keep it.
    const DWORD attributes = ::GetFileAttributesA(path);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) || !CanBeRenamed(path)))
        return FALSE;

    // A name of its own, made in the same folder (so the swap is a rename on one volume), never
    // one that an earlier, interrupted save could have left.
    char temporary[MAX_PATH];
    if (!::GetTempFileNameA(FolderOf(path).c_str(), "vtx", 0, temporary))
        return FALSE;
    // ReplaceFile gives the new file the old one's access list: the old file is protected first.
    if (WriteWholeFile(temporary, content, access) &&
        (!exists || access != FileAccess::AdministratorsOnly || SetAdministratorsOnlyAccess(path)) &&
        (!exists || !(attributes & kKeptAttributes) ||
         ::SetFileAttributesA(temporary, attributes & kKeptAttributes)) &&
        PutInPlace(temporary, path))
        return TRUE;
    ::DeleteFileA(temporary);
    return FALSE;
}
