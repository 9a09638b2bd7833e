#include "servicelib/core/image_path.h"

#include <cstring>

namespace {

// Windows folders compare without regard to letter case; only ASCII letters fold, so the trail
// byte of a double-byte character is never mistaken for a letter of another case.
bool SameFolderText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view RelativeToWindowsFolder(std::string_view systemDir, std::string_view windowsDir)
{
    const std::size_t skip = windowsDir.size() + 1;
    if (windowsDir.empty() || systemDir.size() <= skip || systemDir[windowsDir.size()] != '\\' ||
        !SameFolderText(systemDir.substr(0, windowsDir.size()), windowsDir))
        return systemDir;
    return systemDir.substr(skip);
}

} // namespace

bool FormatDriverImagePath(std::string_view systemDir, std::string_view windowsDir,
                           std::string_view serviceName,
                           char (&imagePath)[kImagePathBufferSize])
{
    // Put together by hand rather than with snprintf: the service library carries no stdio.
    const std::string_view folder = RelativeToWindowsFolder(systemDir, windowsDir);
    const std::string_view parts[] = {folder, "\\Drivers\\", serviceName, ".sys"};
    std::size_t length = 0;
    for (std::string_view part : parts) {
        // Each part is a C string to the callers: a NUL ends it, as it would have ended a %s.
        part = part.substr(0, part.find('\0'));
        if (part.size() >= sizeof imagePath - length) {
            imagePath[0] = '\0';
            return false;
        }
        std::memcpy(imagePath + length, part.data(), part.size());
        length += part.size();
    }
    imagePath[length] = '\0';
    return true;
}
