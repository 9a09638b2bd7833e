// A drop's CF_HDROP block exactly as large as the input: when it is taken as readable, walking
// its names as the shell does (each to its NUL, until an empty one) stays inside the block.
#include "lists/core/dropped_files.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    // Its own allocation of exactly size bytes, so that one byte too far is a finding.
    const std::unique_ptr<unsigned char[]> block(new unsigned char[size]);
    if (size)
        std::memcpy(block.get(), bytes, size);
    if (!IsReadableFileList(block.get(), size))
        return 0;

    FUZZ_CHECK(size >= kDropFilesHeaderSize);
    uint32_t listOffset;
    uint32_t wide;
    std::memcpy(&listOffset, block.get() + kDropFilesListOffsetField, sizeof listOffset);
    std::memcpy(&wide, block.get() + kDropFilesWideField, sizeof wide);
    const size_t charSize = wide ? 2 : 1;
    auto isNul = [&](size_t at) { return block[at] == 0 && block[at + charSize - 1] == 0; };
    size_t at = listOffset;
    for (;;) {
        const size_t start = at;
        while (!isNul(at))
            at += charSize;
        at += charSize;
        if (at - start == charSize)
            break;
    }
    FUZZ_CHECK(at <= size);
    return 0;
}
