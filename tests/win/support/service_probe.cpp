#include "service_probe.h"

#include "vtx_process.h"

#include "file_bytes.h"

#include "driver/core/names.h"
#include "framework/handle.h"
#include "standin/driver/standin_modes.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <vector>

namespace {

std::string Text(const char* text)
{
    return text ? text : "";
}

std::string MultiText(const char* list)
{
    std::string out;
    for (const char* p = list; p && *p; p += strlen(p) + 1)
        out += std::string(p) + "|";
    return out;
}

} // namespace

bool ServiceExists()
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

bool QueryVeltrixConfig(ServiceConfig& config)
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_CONFIG));
    if (!service)
        return false;
    DWORD needed = 0;
    ::QueryServiceConfigA(service.Get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(QUERY_SERVICE_CONFIGA));
    auto* query = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!::QueryServiceConfigA(service.Get(), query, static_cast<DWORD>(buffer.size()), &needed))
        return false;
    config.dwServiceType = query->dwServiceType;
    config.dwStartType = query->dwStartType;
    config.dwErrorControl = query->dwErrorControl;
    config.strBinaryPath = Text(query->lpBinaryPathName);
    config.strGroup = Text(query->lpLoadOrderGroup);
    config.strDisplayName = Text(query->lpDisplayName);
    config.strDependencies = MultiText(query->lpDependencies);
    config.strStartName = Text(query->lpServiceStartName);
    return true;
}

DWORD QueryVeltrixState()
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    if (!service || !::QueryServiceStatus(service.Get(), &status))
        return 0;
    return status.dwCurrentState;
}

bool BringVeltrixTo(DWORD dwState)
{
    if (QueryVeltrixState() == dwState)
        return true;
    // A start asked for while the last stop is still under way would fail.
    if (dwState == SERVICE_RUNNING)
        PollUntil([] { return QueryVeltrixState() != SERVICE_STOP_PENDING; });
    {
        CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_START | SERVICE_STOP));
        if (!service)
            return false;
        SERVICE_STATUS status{};
        if (dwState == SERVICE_STOPPED)
            ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        else
            ::StartServiceA(service.Get(), 0, nullptr);
    }
    return PollUntil([=] { return QueryVeltrixState() == dwState; });
}

bool SetVeltrixStartType(DWORD dwStartType)
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_CHANGE_CONFIG));
    return service && ::ChangeServiceConfigA(service.Get(), SERVICE_NO_CHANGE, dwStartType, SERVICE_NO_CHANGE,
                                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool RemoveVeltrixService()
{
    {
        CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));
        if (!service)
            return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        SERVICE_STATUS status{};
        ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service.Get());
    }
    // The manager removes a service marked for deletion once it has stopped and the last
    // handle to it is closed.
    return PollUntil([] { return !ServiceExists(); }, 10000);
}

std::string ReadInstallDir()
{
    char folder[MAX_PATH] = "";
    DWORD size = sizeof folder - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_INSTALL_DIR_VALUE, RRF_RT_REG_SZ, nullptr,
                       folder, &size) != ERROR_SUCCESS)
        return std::string();
    return folder;
}

bool RunInstaller(const std::string& installDir)
{
    std::string commandLine = "\"" + DosPath(VTX_INSTALLER_FILE) + "\" \"" +
                              DosPath(VTX_DRIVER_FILE) + "\" \"" + installDir + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return exitCode == 0;
}

CVeltrixRestorer::~CVeltrixRestorer()
{
    if (QueryVeltrixState() != SERVICE_RUNNING || ReadInstallDir() != m_strInstallDir) {
        EXPECT_TRUE(RunInstaller(m_strInstallDir)) << "the service could not be put back";
    }
}

namespace {

// The key opened to read and set its access list: an owner's right that no access list takes away.
LSTATUS OpenForAccessList(CRegKey& key)
{
    return key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, READ_CONTROL | WRITE_DAC);
}

}  // namespace

CReadOnlyServiceKey::CReadOnlyServiceKey()
{
    CRegKey key;
    DWORD size = 0;
    if (OpenForAccessList(key) != ERROR_SUCCESS ||
        ::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size) != ERROR_INSUFFICIENT_BUFFER)
        return;
    m_previous.resize(size);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    if (::RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, m_previous.data(), &size) != ERROR_SUCCESS ||
        !::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)(A;;KR;;;BA)(A;;KR;;;SY)",
                                                                SDDL_REVISION_1, &readOnly, nullptr))
        return;
    m_bApplied = ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
    ::LocalFree(readOnly);
}

CReadOnlyServiceKey::~CReadOnlyServiceKey()
{
    CRegKey key;
    if (m_bApplied)
        EXPECT_TRUE(OpenForAccessList(key) == ERROR_SUCCESS &&
                    ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, m_previous.data()) == ERROR_SUCCESS)
            << "the service key's access list could not be put back";
}

namespace {

const char* const kListFiles[] = {"filter.txt", "TrustedPs.txt"};

bool SetStandinMode(DWORD dwMode)
{
    if (dwMode == VTX_MODE_DEFAULT) {
        const LSTATUS status = ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_STANDIN_MODE_VALUE);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_STANDIN_MODE_VALUE, REG_DWORD, &dwMode,
                             sizeof dwMode) == ERROR_SUCCESS;
}

} // namespace

CStandinModeGuard::CStandinModeGuard(DWORD dwMode) : m_strData(ReadInstallDir() + "\\data\\")
{
    if (!BringVeltrixTo(SERVICE_STOPPED))
        return;
    for (size_t i = 0; i < std::size(kListFiles); ++i)
        m_files[i].emplace(m_strData + kListFiles[i], std::nullopt);
    m_bRunning = SetStandinMode(dwMode) && BringVeltrixTo(SERVICE_RUNNING);
}

CStandinModeGuard::~CStandinModeGuard()
{
    EXPECT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
    for (std::optional<CFileSwap>& file : m_files)
        file.reset();
    EXPECT_TRUE(SetStandinMode(VTX_MODE_DEFAULT));
    EXPECT_TRUE(BringVeltrixTo(SERVICE_RUNNING)) << "the stand-in driver was left stopped";
}
