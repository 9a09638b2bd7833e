// The driver's image path from a system folder, a Windows folder and a service name of any text.
#include "servicelib/core/image_path.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::string systemDir = data.ConsumeRandomLengthString(400);
    const std::string windowsDir = data.ConsumeRandomLengthString(400);
    const std::string serviceName = data.ConsumeRemainingBytesAsString();
    char imagePath[kImagePathBufferSize];
    std::memset(imagePath, 0x5A, sizeof imagePath);
    const bool fits = FormatDriverImagePath(systemDir, windowsDir, serviceName, imagePath);
    const size_t length = strnlen(imagePath, sizeof imagePath);
    FUZZ_CHECK(length < sizeof imagePath);
    if (!fits) {
        FUZZ_CHECK(length == 0);
        return 0;
    }
    // Names with a NUL inside end there in the buffer; compare only what a C string shows.
    if (serviceName.find('\0') == std::string::npos) {
        const std::string tail = "\\Drivers\\" + serviceName + ".sys";
        FUZZ_CHECK(length >= tail.size() &&
                   std::memcmp(imagePath + length - tail.size(), tail.data(), tail.size()) == 0);
    }
    return 0;
}
