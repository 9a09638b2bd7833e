#include "standin_support.h"

#include "driver/core/service_name.h"
#include "driver/device_channel.h"
#include "framework/handle.h"

const ListCodes g_lockedList{IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE, IOCTL_LOCK_ENUM, "Locked"};
const ListCodes g_trustedList{IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE, IOCTL_TRUST_ENUM, "Trusted"};

RawResult RawRequest(DWORD code, const void* input, DWORD inputLength, void* output,
                     DWORD outputLength)
{
    CHandle device(OpenVeltrixDevice());
    if (!device)
        return {FALSE, ::GetLastError(), 0};
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(device.Get(), code, const_cast<void*>(input), inputLength,
                                      output, outputLength, &returned, nullptr);
    return {ok, ok ? 0 : ::GetLastError(), returned};
}

RawResult SendUnits(DWORD code, const std::wstring& path)
{
    return RawRequest(code, path.data(), static_cast<DWORD>(path.size() * sizeof(WCHAR)), nullptr,
                      0);
}

std::vector<std::wstring> ReadList(DWORD enumCode)
{
    std::vector<std::wstring> names;
    CHandle device(OpenVeltrixDevice());
    if (!device)
        return names;
    LIST_ENUM_RECORD record{};
    // The stand-in holds at most 4096 entries per list.
    for (int i = 0; i < 5000; ++i) {
        DWORD returned = 0;
        if (!::DeviceIoControl(device.Get(), enumCode, &record, VTX_ENUM_INPUT_BYTES, &record,
                               sizeof record, &returned, nullptr))
            break;
        if (record.NameLength > VTX_ENUM_NAME_UNITS) {
            ADD_FAILURE() << "NameLength " << record.NameLength;
            break;
        }
        names.emplace_back(reinterpret_cast<const WCHAR*>(record.Name), record.NameLength);
        if (record.More != 1)
            break;
    }
    return names;
}

namespace {

constexpr int kPolls = 100;
constexpr DWORD kPollInterval = 100;

DWORD QueryState(SC_HANDLE hService)
{
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(hService, &status) ? status.dwCurrentState : 0;
}

bool WaitForState(SC_HANDLE hService, DWORD state)
{
    for (int i = 0; i < kPolls; ++i) {
        if (QueryState(hService) == state)
            return true;
        ::Sleep(kPollInterval);
    }
    return QueryState(hService) == state;
}

// Changes the service's state through the service manager and waits for the new one.
bool DriveService(DWORD wanted)
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (!service)
        return false;
    if (QueryState(service.Get()) == wanted)
        return true;
    if (wanted == SERVICE_RUNNING) {
        if (QueryState(service.Get()) == SERVICE_STOP_PENDING)
            WaitForState(service.Get(), SERVICE_STOPPED);
        ::StartServiceA(service.Get(), 0, nullptr);
    } else {
        SERVICE_STATUS status{};
        ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    }
    return WaitForState(service.Get(), wanted);
}

void RemoveAll(const ListCodes& list)
{
    for (const std::wstring& name : ReadList(list.dwEnum))
        EXPECT_TRUE(SendUnits(list.dwRemove, name).bOk);
    EXPECT_TRUE(ReadList(list.dwEnum).empty()) << list.name;
}

void AddAll(const ListCodes& list, const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names)
        EXPECT_TRUE(SendUnits(list.dwAdd, name).bOk);
}

} // namespace

bool IsServiceRunning()
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    CServiceHandle service(
        manager ? ::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_STATUS) : nullptr);
    return service && QueryState(service.Get()) == SERVICE_RUNNING;
}

bool StartStandin()
{
    return DriveService(SERVICE_RUNNING);
}

bool StopStandin()
{
    return DriveService(SERVICE_STOPPED);
}

std::string InstallFolder()
{
    char folder[MAX_PATH] = "";
    DWORD size = sizeof folder - 1;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return std::string();
    const LSTATUS status =
        ::RegQueryValueExA(hKey, "vtxapp", nullptr, nullptr, reinterpret_cast<BYTE*>(folder), &size);
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS ? std::string(folder) : std::string();
}

void StandinTest::SetUp()
{
    ASSERT_TRUE(StartStandin()) << "the stand-in driver's service does not run";
    m_savedLocked = ReadList(IOCTL_LOCK_ENUM);
    m_savedTrusted = ReadList(IOCTL_TRUST_ENUM);
    RemoveAll(g_lockedList);
    RemoveAll(g_trustedList);
}

void StandinTest::TearDown()
{
    ASSERT_TRUE(StartStandin()) << "the stand-in driver's service was left stopped";
    RemoveAll(g_lockedList);
    RemoveAll(g_trustedList);
    AddAll(g_lockedList, m_savedLocked);
    AddAll(g_trustedList, m_savedTrusted);
}
