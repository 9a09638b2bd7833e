#include "driver/core/enumeration.h"

#include <cstring>

namespace {

// The converted path: at most 259 bytes and the NUL the exchange places after them.
constexpr int kPathBufferSize = VTX_MAX_PATH_UNITS + 1;

// The entry of one answer as an ANSI path in path, or false when it yields none. NameLength
// comes from the driver: it is checked against the record's room before any unit is read.
bool ConvertEntry(IEnumerationChannel& channel, const LIST_ENUM_RECORD& record,
                  char (&path)[kPathBufferSize])
{
    if (record.NameLength == 0 || record.NameLength > VTX_ENUM_NAME_UNITS)
        return false;
    const int length = channel.ToAnsi(record.Name, record.NameLength, path, kPathBufferSize - 1);
    if (length <= 0 || length > kPathBufferSize - 1)
        return false;
    // A NUL inside would cut the path short: the list would show, and later remove, another one.
    if (std::memchr(path, '\0', static_cast<std::size_t>(length)) != nullptr)
        return false;
    path[length] = '\0';
    return true;
}

} // namespace

void EnumerateList(IEnumerationChannel& channel, uint32_t code,
                   const std::function<void(const char* path)>& onEntry)
{
    // More and Cursor start at 0; afterwards they travel back exactly as the driver left them.
    LIST_ENUM_RECORD record{};
    for (unsigned answers = 0; answers < kMaxEnumerationAnswers; ++answers) {
        if (!channel.Request(code, record))
            return;
        char path[kPathBufferSize];
        if (ConvertEntry(channel, record, path))
            onEntry(path);
        // Any value but 1 marks this answer's entry as the last; it still counted above.
        if (record.More != 1)
            return;
    }
}
