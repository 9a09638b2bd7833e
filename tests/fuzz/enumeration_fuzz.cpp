// The enumeration exchange against a driver whose every answer comes from the input: success or
// failure, More, Cursor, NameLength and the units of the name.
#include "driver/core/enumeration.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

namespace {

class CFuzzedChannel : public IEnumerationChannel {
public:
    explicit CFuzzedChannel(FuzzedDataProvider& data) : m_data(data) {}

    bool Request(uint32_t, LIST_ENUM_RECORD& record) override
    {
        if (m_data.remaining_bytes() == 0 || m_data.ConsumeIntegralInRange<int>(0, 15) == 0)
            return false;
        // What lies beyond the units the driver wrote is garbage, not zeros.
        std::memset(&record, 0xA5, sizeof record);
        record.More = m_data.ConsumeBool() ? 1 : m_data.ConsumeIntegral<uint32_t>();
        record.Cursor = m_data.ConsumeIntegral<uint32_t>();
        record.NameLength = m_data.ConsumeBool() ? m_data.ConsumeIntegralInRange<uint32_t>(0, 300)
                                                 : m_data.ConsumeIntegral<uint32_t>();
        const size_t units = m_data.ConsumeIntegralInRange<size_t>(0, VTX_ENUM_NAME_UNITS);
        for (size_t i = 0; i < units; ++i)
            record.Name[i] = m_data.ConsumeIntegral<uint16_t>();
        return true;
    }

    // A double-byte code page: one byte below 0x80, two above, and 0xFFFF has no ANSI form.
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override
    {
        FUZZ_CHECK(count > 0 && count <= VTX_ENUM_NAME_UNITS);
        int length = 0;
        for (uint32_t i = 0; i < count; ++i) {
            if (units[i] == 0xFFFF)
                return -1;
            const int bytes = units[i] < 0x80 ? 1 : 2;
            if (length + bytes > capacity)
                return -1;
            out[length++] = static_cast<char>(units[i] < 0x80 ? units[i] : 0x80 | (units[i] >> 9));
            if (bytes == 2)
                out[length++] = static_cast<char>(units[i]);
        }
        return length;
    }

private:
    FuzzedDataProvider& m_data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    CFuzzedChannel channel(data);
    size_t entries = 0;
    const bool whole = EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char* path) {
        const size_t length = strnlen(path, VTX_MAX_PATH_UNITS + 1);
        FUZZ_CHECK(length >= 1 && length <= VTX_MAX_PATH_UNITS);
        ++entries;
        return true;
    });
    FUZZ_CHECK(entries <= kMaxEnumerationAnswers);
    // A driver that is still announcing more at the bound has not been read whole.
    FUZZ_CHECK(!whole || entries < kMaxEnumerationAnswers);
    return 0;
}
