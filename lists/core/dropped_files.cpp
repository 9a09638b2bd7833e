#include "lists/core/dropped_files.h"

#include <cstdint>

namespace {

uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool IsReadableFileList(const unsigned char* block, size_t size)
{
    if (!block || size < kDropFilesHeaderSize)
        return false;
    const size_t listOffset = ReadU32(block + kDropFilesListOffsetField);
    const size_t charSize = ReadU32(block + kDropFilesWideField) ? 2 : 1;
    if (listOffset > size)
        return false;

    bool previousWasNul = false;
    for (size_t at = listOffset; size - at >= charSize; at += charSize) {
        const bool isNul = block[at] == 0 && block[at + charSize - 1] == 0;
        if (isNul && previousWasNul)
            return true;
        previousWasNul = isNul;
    }
    return false;
}
