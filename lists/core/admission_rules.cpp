#include "lists/core/admission_rules.h"

#include <cstring>

namespace {
const char kSystemRoot[] = "%SystemRoot%";
const size_t kSystemRootLength = sizeof kSystemRoot - 1;
}  // namespace

bool IsLeadingPart(const char* leading, const char* text)
{
    if (!leading)
        leading = "";
    if (!text)
        text = "";
    // strncmp stops at the end of a shorter text, which then differs from leading's next byte.
    return std::strncmp(text, leading, std::strlen(leading)) == 0;
}

PathCheckResult DecideLockPath(const char* path, const char* systemDir, const char* currentDir)
{
    if (IsLeadingPart(path, systemDir))
        return PATH_SYSTEM_DIR;
    if (IsLeadingPart(path, currentDir) || IsLeadingPart(currentDir, path))
        return PATH_OWN_FILES;
    return PATH_OK;
}

bool DecideInProgramFolder(const char* path, const char* currentDir)
{
    return IsLeadingPart(currentDir, path);
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
