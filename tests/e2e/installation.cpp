#include "installation.h"

#include "driver/core/service_name.h"
#include "driver/device_channel.h"
#include "driver/service_handle.h"

#include "vtx_process.h"

#include <gtest/gtest.h>

const char g_szInstallDir[] = "C:\\Program Files\\Veltrix";

namespace {

DWORD ServiceState(SC_HANDLE hService)
{
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(hService, &status) ? status.dwCurrentState : 0;
}

}  // namespace

void EnsureDriverRunning()
{
    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ASSERT_TRUE(manager) << "no service manager, error " << ::GetLastError();
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_STATUS | SERVICE_START));
    ASSERT_TRUE(service) << "no service " VTX_SERVICE_NAME " (is the prefix prepared?), error " << ::GetLastError();
    if (ServiceState(service.Get()) != SERVICE_RUNNING && !::StartServiceA(service.Get(), 0, nullptr)) {
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    }
    ASSERT_TRUE(WaitUntil([&] { return ServiceState(service.Get()) == SERVICE_RUNNING; }))
        << "the service " VTX_SERVICE_NAME " does not run";
}

std::vector<std::string> DriverList(DWORD enumCode)
{
    std::vector<std::string> paths;
    if (!EnumerateDriverList(enumCode, [&](const char* path) { paths.emplace_back(path); }))
        ADD_FAILURE() << "the device \\\\.\\veltrix cannot be opened, error " << ::GetLastError();
    return paths;
}

void ClearDriverList(DWORD enumCode, DWORD removeCode)
{
    for (const std::string& path : DriverList(enumCode))
        EXPECT_TRUE(SendPathRequest(path.c_str(), removeCode)) << path;
}

std::string DataFile(const char* name)
{
    return std::string(g_szInstallDir) + "\\data\\" + name;
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << path;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ", error " << ::GetLastError();
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    EXPECT_TRUE(ok && written == bytes.size()) << path;
}

void RemoveFile(const std::string& path)
{
    if (!::DeleteFileA(path.c_str())) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << path;
    }
}
