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
    auto channel = std::make_unique<CPlayedEnumeration>(CPlayedEnumeration::ListFor([this](uint32_t code) {
        m_enumerations.push_back(code);
        return code == g_lockedList.dwEnumCode ? &m_locked : &m_trusted;
    }));
    channel->m_nAnswers = m_nAnswers;
    return channel;
}

std::string ListFileBytes(const std::vector<std::string>& paths)
{
    std::string bytes;
    for (const std::string& path : paths)
        bytes += path + "\r\n";
    return bytes;
}
