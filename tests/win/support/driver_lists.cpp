#include "support/driver_lists.h"

#include "driver/core/protocol.h"
#include "lists/core/list_description.h"

#include <algorithm>

std::vector<std::string> DriverList(DWORD enumCode)
{
    std::vector<std::string> paths;
    EnumerateDriverList(enumCode, [&](const char* path) { paths.push_back(path); });
    return paths;
}

bool ClearDriverList(DWORD enumCode, DWORD removeCode)
{
    bool ok = true;
    for (const std::string& path : DriverList(enumCode))
        ok = SendPathRequest(path.c_str(), removeCode) && ok;
    return ok;
}

bool FillDriverList(DWORD addCode, const std::vector<std::string>& paths)
{
    bool ok = true;
    for (const std::string& path : paths)
        ok = SendPathRequest(path.c_str(), addCode) && ok;
    return ok;
}

CEmptiedDriverLists::CEmptiedDriverLists()
    : m_locked(DriverList(IOCTL_LOCK_ENUM)), m_trusted(DriverList(IOCTL_TRUST_ENUM))
{
    ClearDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
    ClearDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
}

CEmptiedDriverLists::~CEmptiedDriverLists()
{
    ClearDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
    ClearDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
    FillDriverList(IOCTL_LOCK_ADD, m_locked);
    FillDriverList(IOCTL_TRUST_ADD, m_trusted);
}

bool CPlayedEnumeration::Request(uint32_t code, LIST_ENUM_RECORD& record)
{
    const std::vector<std::string>* list = m_listFor(code);
    const uint32_t position = record.More == 1 ? record.Cursor : 0;
    if (!list || position >= list->size())
        return false;
    record = LIST_ENUM_RECORD{};
    const int units = ::MultiByteToWideChar(CP_ACP, 0, (*list)[position].c_str(), -1,
                                            reinterpret_cast<WCHAR*>(record.Name), VTX_ENUM_NAME_UNITS);
    record.NameLength = units > 0 ? static_cast<uint32_t>(units - 1) : 0;
    record.Cursor = position + 1;
    record.More = position + 1 < list->size() ? 1 : 0;
    return true;
}

int CPlayedEnumeration::ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity)
{
    const int n = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(units), static_cast<int>(count),
                                        out, capacity, nullptr, nullptr);
    return n > 0 ? n : -1;
}

BOOL FakeDriver::SendPathRequest(const char* path, DWORD code)
{
    m_requests.push_back({code, path});
    if (m_bNoDevice || std::find(m_refused.begin(), m_refused.end(), path) != m_refused.end())
        return FALSE;
    const bool locked = code == g_lockedList.dwAddCode || code == g_lockedList.dwRemoveCode;
    std::vector<std::string>& list = locked ? m_locked : m_trusted;
    const auto listed = std::find_if(list.begin(), list.end(),
                                     [&](const std::string& entry) { return ::lstrcmpiA(entry.c_str(), path) == 0; });
    if (code == g_lockedList.dwAddCode || code == g_trustedList.dwAddCode) {
        if (listed == list.end())
            list.push_back(path);
        return TRUE;
    }
    if (listed == list.end())
        return FALSE;
    list.erase(listed);
    return TRUE;
}

std::unique_ptr<IEnumerationChannel> FakeDriver::OpenEnumeration(DWORD)
{
    if (m_bNoDevice)
        return nullptr;
    return std::make_unique<CPlayedEnumeration>(
        [this, answers = size_t{0}](uint32_t code) mutable -> const std::vector<std::string>* {
            m_enumerations.push_back(code);
            if (answers++ >= m_nAnswers)
                return nullptr;
            return code == g_lockedList.dwEnumCode ? &m_locked : &m_trusted;
        });
}

std::string ListFileBytes(const std::vector<std::string>& paths)
{
    std::string bytes;
    for (const std::string& path : paths)
        bytes += path + "\r\n";
    return bytes;
}
