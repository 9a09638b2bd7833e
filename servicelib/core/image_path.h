// The driver's image path as the service library writes it into the service configuration:
// relative to the Windows folder, e.g. "system32\Drivers\veltrix.sys".
#pragma once

#include <cstddef>
#include <string_view>

// The size of each folder buffer and of the image path buffer, terminating NUL included.
constexpr std::size_t kImagePathBufferSize = 256;

// Formats "<system folder relative to the Windows folder>\Drivers\<service name>.sys" into
// imagePath. When the system folder does not lie below the Windows folder (it does not begin
// with it followed by a backslash and at least one more character), the whole system folder is
// used instead. Returns false, with imagePath an empty string, when the path does not fit.
bool FormatDriverImagePath(std::string_view systemDir, std::string_view windowsDir,
                           std::string_view serviceName,
                           char (&imagePath)[kImagePathBufferSize]);
