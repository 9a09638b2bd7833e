#include "password/core/password_file.h"

#include "password/core/md5.h"

#include <cstdio>

namespace {
constexpr char kDefaultPassword[] = "quimbly";
}

CString DefaultPasswordDigest()
{
    return MD5HexDigest(kDefaultPassword, sizeof kDefaultPassword - 1);
}

CString ReadStoredDigest(const char* pszPath)
{
    CString strDigest = DefaultPasswordDigest();
    std::FILE* pFile = std::fopen(pszPath, "r+");
    if (!pFile)
        return strDigest;
    char szLine[40];
    const bool bGotLine = std::fgets(szLine, sizeof szLine, pFile) != nullptr;
    std::fclose(pFile);
    if (bGotLine) {
        szLine[32] = '\0';
        strDigest = szLine;
    }
    return strDigest;
}

std::string DigestFileContent(const char* pszDigest)
{
    return std::string(pszDigest) + "\r\n";
}
