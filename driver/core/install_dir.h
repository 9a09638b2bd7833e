// The installation folder as the service key's value holds it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The value is read into a buffer of this many bytes.
constexpr size_t kInstallDirValueBytes = 256;

// The folder in the value's data (size bytes as the registry reported them, at most
// kInstallDirValueBytes), or nothing when the data hold no complete string: a value that fills
// the whole buffer without a terminating NUL would otherwise be read past its end.
std::optional<std::string> InstallDirFromValue(const char* data, size_t size);
