#include "driver/core/enumeration.h"

#include <cstring>

namespace {

// The converted path: at most 259 bytes and its NUL, which the driver may count in NameLength.
constexpr int kPathBufferSize = VTX_MAX_PATH_UNITS + 1;

// The entry of one answer as an ANSI path in path, or false when it yields none. NameLength
// comes from the driver: it is checked against the record's room before any unit is read.
bool ConvertEntry(IEnumerationChannel& channel, const LIST_ENUM_RECORD& record,
                  char (&path)[kPathBufferSize])
{
    if (record.NameLength == 0 || record.NameLength > VTX_ENUM_NAME_UNITS)
        return false;
    const int length = channel.ToAnsi(record.Name, record.NameLength, path, kPathBufferSize);
    if (length <= 0 || length > kPathBufferSize)
        return false;
    // The result is a NUL-terminated string: a NUL the driver counted, or any NUL, ends it.
    const void* end = std::memchr(path, '\0', static_cast<std::size_t>(length));
    if (end == nullptr) {
        if (length == kPathBufferSize)
            return false;
        path[length] = '\0';
    }
    return path[0] != '\0';
}

} // namespace

bool EnumerateList(IEnumerationChannel& channel, uint32_t code,
                   const std::function<bool(const char* path)>& onEntry)
{
    // More and Cursor start at 0; afterwards they travel back exactly as the driver left them.
    LIST_ENUM_RECORD record{};
    bool whole = true;
    for (unsigned answers = 0; answers < kMaxEnumerationAnswers; ++answers) {
        // The rest is cleared before every request: a driver that answers with fewer bytes than
        // the record would otherwise hand back the previous entry, or splice two names.
        record.NameLength = 0;
        std::memset(record.Name, 0, sizeof record.Name);
        if (!channel.Request(code, record))
            return whole && answers == 0;
        char path[kPathBufferSize];
        if (!ConvertEntry(channel, record, path) || !onEntry(path))
            whole = false;
        // Any value but 1 marks this answer's entry as the last; it still counted above.
        if (record.More != 1)
            return whole;
    }
    return false;
}
