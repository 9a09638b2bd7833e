#include "framework/file_replace.h"

#include "framework/handle.h"

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

// Writes content into the empty file at path and flushes it to the disk.
BOOL WriteWholeFile(const char* path, const std::string& content)
{
    CHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!file)
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
    const DWORD error = ::GetLastError();
    // Without a backup name this failure leaves the old file gone and the new content under the
    // temporary name: moving it is all that is left to do.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        return ::MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH);
    return FALSE;
}

}  // namespace

BOOL ReplaceFileContent(const char* path, const std::string& content)
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
    if (WriteWholeFile(temporary, content) &&
        (!exists || !(attributes & kKeptAttributes) ||
         ::SetFileAttributesA(temporary, attributes & kKeptAttributes)) &&
        PutInPlace(temporary, path))
        return TRUE;
    ::DeleteFileA(temporary);
    return FALSE;
}
