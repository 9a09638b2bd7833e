// The vtxapp value's data as the registry hands them over, in a buffer of exactly their size.
#include "driver/core/install_dir.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::unique_ptr<char[]> value(new char[size]);
    if (size)
        std::memcpy(value.get(), bytes, size);
    const std::optional<std::string> folder = InstallDirFromValue(value.get(), size);
    if (!folder)
        return 0;
    // A folder the program can use as a C string, with room for its terminator in the buffer.
    FUZZ_CHECK(folder->size() < kInstallDirValueBytes);
    FUZZ_CHECK(folder->find('\0') == std::string::npos);
    FUZZ_CHECK(std::memcmp(folder->data(), value.get(), folder->size()) == 0);
    return 0;
}
