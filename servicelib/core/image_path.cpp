#include "servicelib/core/image_path.h"

#include <cstdio>

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
    const std::string_view folder = RelativeToWindowsFolder(systemDir, windowsDir);
    const int written = std::snprintf(imagePath, sizeof imagePath, "%.*s\\Drivers\\%.*s.sys",
                                      static_cast<int>(folder.size()), folder.data(),
                                      static_cast<int>(serviceName.size()), serviceName.data());
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof imagePath) {
        imagePath[0] = '\0';
        return false;
    }
    return true;
}
