// The enumeration exchange against a driver whose every answer comes from the input: success or
// failure, More, Cursor, NameLength and the units of the name.
#include "driver/core/enumeration.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/unit/played_enumeration.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    CPlayedEnumeration channel([&](uint32_t, uint32_t, uint32_t) {
        if (data.remaining_bytes() == 0 || data.ConsumeIntegralInRange<int>(0, 15) == 0)
            return PlayedFailure();
        PlayedAnswer answer;
        answer.more = data.ConsumeBool() ? 1 : data.ConsumeIntegral<uint32_t>();
        answer.cursor = data.ConsumeIntegral<uint32_t>();
        answer.nameLength = data.ConsumeBool() ? data.ConsumeIntegralInRange<uint32_t>(0, 300)
                                               : data.ConsumeIntegral<uint32_t>();
        answer.name.resize(data.ConsumeIntegralInRange<size_t>(0, VTX_ENUM_NAME_UNITS));
        for (char16_t& unit : answer.name)
            unit = data.ConsumeIntegral<uint16_t>();
        return answer;
    });
    size_t entries = 0;
    const bool whole = EnumerateList(channel, IOCTL_LOCK_ENUM, [&](const char* path) {
        const size_t length = strnlen(path, VTX_MAX_PATH_UNITS + 1);
        FUZZ_CHECK(length >= 1 && length <= VTX_MAX_PATH_UNITS);
        ++entries;
        return true;
    });
    // Only a name the record holds is handed over for conversion.
    for (uint32_t count : channel.m_converted)
        FUZZ_CHECK(count > 0 && count <= VTX_ENUM_NAME_UNITS);
    FUZZ_CHECK(entries <= kMaxEnumerationAnswers);
    // A driver that is still announcing more at the bound has not been read whole.
    FUZZ_CHECK(!whole || entries < kMaxEnumerationAnswers);
    return 0;
}
