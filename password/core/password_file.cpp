#include "password/core/password_file.h"

#include "password/core/md5.h"

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

bool WriteDigestLine(std::FILE* pFile, const char* pszDigest)
{
    char szLine[512];
    const int nLength = std::snprintf(szLine, sizeof szLine, "%s\n", pszDigest);
    if (nLength < 0 || static_cast<size_t>(nLength) >= sizeof szLine)
        return false;
    return std::fputs(szLine, pFile) >= 0 && std::fflush(pFile) == 0 && !std::ferror(pFile);
}
