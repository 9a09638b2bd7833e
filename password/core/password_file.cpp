#include "password/core/password_file.h"

#include "password/core/md5.h"

namespace {
constexpr char kDefaultPassword[] = "quimbly";
}

CString DefaultPasswordDigest()
{
    return MD5HexDigest(kDefaultPassword, sizeof kDefaultPassword - 1);
}

CString StoredDigestFromFile(const std::string& bytes)
{
    const size_t lineFeed = bytes.find('\n');
    std::string line = bytes.substr(0, lineFeed == std::string::npos ? lineFeed : lineFeed + 1);
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        line.erase(line.size() - 2, 1);
    if (line.size() > 32)
        line.resize(32);
    // A NUL byte ends the text, as it ends the line a C stream reads.
    return CString(line.c_str());
}

std::string DigestFileContent(const char* pszDigest)
{
    return std::string(pszDigest) + "\r\n";
}
