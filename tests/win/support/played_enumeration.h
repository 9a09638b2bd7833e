// A driver's list played in-process, answering as the driver's protocol says: one entry an
// answer, More = 1 while entries follow, the Cursor its own; an empty list fails the first request.
#pragma once

#include "driver/core/enumeration.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CPlayedEnumeration : public IEnumerationChannel {
public:
    // The list to play for each request's code.
    using ListFor = std::function<const std::vector<std::string>&(uint32_t code)>;
    explicit CPlayedEnumeration(ListFor listFor) : m_listFor(std::move(listFor)) {}

    bool Request(uint32_t code, LIST_ENUM_RECORD& record) override
    {
        const std::vector<std::string>& list = m_listFor(code);
        const uint32_t position = record.More == 1 ? record.Cursor : 0;
        if (position >= list.size())
            return false;
        record = LIST_ENUM_RECORD{};
        const int units = ::MultiByteToWideChar(CP_ACP, 0, list[position].c_str(), -1,
                                                reinterpret_cast<WCHAR*>(record.Name), VTX_ENUM_NAME_UNITS);
        record.NameLength = units > 0 ? static_cast<uint32_t>(units - 1) : 0;
        record.Cursor = position + 1;
        record.More = position + 1 < list.size() ? 1 : 0;
        return true;
    }
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override
    {
        const int n = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(units),
                                            static_cast<int>(count), out, capacity, nullptr, nullptr);
        return n > 0 ? n : -1;
    }

private:
    ListFor m_listFor;
};
