#include "password/password_store.h"

#include "framework/handle.h"
#include "password/core/password_file.h"

#include <string>

std::optional<CString> ReadStoredDigest(const char* path)
{
    CHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return DefaultPasswordDigest();
        return std::nullopt;
    }
    // The first line is all that counts; a file much longer than that is read no further.
    std::string bytes;
    char buffer[512];
    DWORD read = 0;
    while (bytes.size() < 4096) {
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;
        bytes.append(buffer, read);
        if (bytes.find('\n') != std::string::npos)
            break;
    }
    return StoredDigestFromFile(bytes);
}
