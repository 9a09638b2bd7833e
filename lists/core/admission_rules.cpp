#include "lists/core/admission_rules.h"

#include <cstring>

namespace {
const char kSystemRoot[] = "%SystemRoot%";
const size_t kSystemRootLength = sizeof kSystemRoot - 1;
}  // namespace

bool IsLeadingPart(const char* leading, const char* text, const AnsiCodePage& codePage)
{
    if (!leading)
        leading = "";
    if (!text)
        text = "";
    const size_t n = std::strlen(leading);
    const size_t m = std::strlen(text);
    if (n > m)
        return false;
    for (size_t i = 0; i < n;) {
        const auto l = static_cast<unsigned char>(leading[i]);
        const auto t = static_cast<unsigned char>(text[i]);
        if (codePage.isLeadByte(t) && i + 1 < m) {
            if (l != t || (i + 1 < n && leading[i + 1] != text[i + 1]))
                return false;
            i += 2;
        } else {
            if (l != t && codePage.toUpper(l) != codePage.toUpper(t))
                return false;
            ++i;
        }
    }
    return true;
}

PathCheckResult DecideLockPath(const std::vector<std::string>& spellings, const LockRuleFolders& folders,
                               const AnsiCodePage& codePage)
{
    for (const std::string& path : spellings)
        for (const std::string& system : folders.systemDirs)
            if (IsLeadingPart(path.c_str(), system.c_str(), codePage))
                return PATH_SYSTEM_DIR;
    for (const std::string& path : spellings)
        for (const std::string& install : folders.installDirs)
            if (IsLeadingPart(path.c_str(), install.c_str(), codePage) ||
                IsLeadingPart(install.c_str(), path.c_str(), codePage))
                return PATH_OWN_FILES;
    return PATH_OK;
}

bool DecideInProgramFolder(const std::vector<std::string>& spellings, const std::vector<std::string>& installDirs,
                           const AnsiCodePage& codePage)
{
    for (const std::string& path : spellings)
        for (const std::string& install : installDirs)
            if (IsLeadingPart(install.c_str(), path.c_str(), codePage))
                return true;
    return false;
}

bool IsListablePath(const char* path)
{
    for (; *path; ++path) {
        if (static_cast<unsigned char>(*path) < 0x20)
            return false;
    }
    return true;
}

std::string ExpandSystemRoot(const std::string& target, const std::string& windowsDir)
{
    if (target.compare(0, kSystemRootLength, kSystemRoot) != 0)
        return target;
    std::string expanded;
    size_t from = 0;
    for (size_t at = target.find(kSystemRoot); at != std::string::npos;
         at = target.find(kSystemRoot, from)) {
        expanded.append(target, from, at - from);
        expanded += windowsDir;
        from = at + kSystemRootLength;
    }
    expanded.append(target, from, std::string::npos);
    return expanded;
}

void CopyCut(const std::string& text, char* buffer, size_t size)
{
    const size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}
