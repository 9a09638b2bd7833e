// vtxinstall <path of veltrix.sys> <installation folder>
//
// The test prefix's installer. Veltrix itself is installed by its setup (installer/), also for
// the demo and the end-to-end test; but the win tests' prefix is shared by the win32 and win64
// builds, and the 32-bit setup installs only on 32-bit Windows, so the standin fixture and the
// tests that put the service back use this instead. It runs under Wine only, and so always
// adapts the service to Wine, as the setup does there.
//
// Does the installer's job for the stand-in driver in a Wine prefix: places the driver file,
// creates the service "veltrix" through the service library, adapts it to Wine, records the
// installation folder in the service key's value for it, creates that folder with its data
// folder, and starts the service. Safe to run again: what is in place stays, a running service
// keeps running. A driver file that differs from the installed one replaces it, and a test mode
// that a killed test left goes; for either the service is stopped and started again.
#include "driver/core/names.h"
#include "framework/handle.h"
#include "servicelib/vtxlib32.h"
#include "standin/driver/standin_modes.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A start or stop takes well under a second; a cold Wine may need several.
constexpr DWORD kPollInterval = 100;
constexpr int kPollCount = 150;

int Fail(const char* what, DWORD error)
{
    char message[512] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     message, sizeof message, nullptr);
    std::fprintf(stderr, "vtxinstall: %s failed: error %lu %s", what, error, message);
    if (message[0] == '\0')
        std::fputc('\n', stderr);
    return 1;
}

// A 32-bit process sees system32 redirected to syswow64; the driver belongs in the real one,
// where the 64-bit winedevice.exe looks for it. Redirection is off only while this lives.
class CNativeSystemFolder {
public:
    CNativeSystemFolder()
    {
        BOOL bWow64 = FALSE;
        if (::IsWow64Process(::GetCurrentProcess(), &bWow64) && bWow64)
            m_bDisabled = ::Wow64DisableWow64FsRedirection(&m_pOldValue);
    }
    ~CNativeSystemFolder()
    {
        if (m_bDisabled)
            ::Wow64RevertWow64FsRedirection(m_pOldValue);
    }
    CNativeSystemFolder(const CNativeSystemFolder&) = delete;
    CNativeSystemFolder& operator=(const CNativeSystemFolder&) = delete;

private:
    BOOL m_bDisabled = FALSE;
    void* m_pOldValue = nullptr;
};

std::string SystemFolder()
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

bool ReadWholeFile(const std::string& path, std::vector<char>& content)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    // A driver is a few kilobytes; anything near this size is not one.
    constexpr LONGLONG kMaxDriverSize = 16 << 20;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file.Get(), &size);
    if (ok && size.QuadPart > kMaxDriverSize) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        ok = false;
    }
    DWORD read = 0;
    if (ok) {
        content.resize(static_cast<size_t>(size.QuadPart));
        ok = ::ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) &&
             read == content.size();
    }
    const DWORD error = ::GetLastError();
    file.Close();
    ::SetLastError(error);
    return ok;
}

// Creates every missing folder of path, which is absolute.
bool CreateFolderTree(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!::CreateDirectoryA(part.c_str(), nullptr) &&
                ::GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return true;
}

DWORD ServiceState(SC_HANDLE hService)
{
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(hService, &status) ? status.dwCurrentState : 0;
}

bool WaitForState(SC_HANDLE hService, DWORD state)
{
    for (int i = 0; i < kPollCount; ++i) {
        if (ServiceState(hService) == state)
            return true;
        ::Sleep(kPollInterval);
    }
    return ServiceState(hService) == state;
}

bool StopAndWait(SC_HANDLE hService)
{
    SERVICE_STATUS status{};
    if (ServiceState(hService) == SERVICE_STOPPED)
        return true;
    if (!::ControlService(hService, SERVICE_CONTROL_STOP, &status) &&
        ::GetLastError() != ERROR_SERVICE_NOT_ACTIVE)
        return false;
    return WaitForState(hService, SERVICE_STOPPED);
}

bool StartAndWait(SC_HANDLE hService)
{
    if (ServiceState(hService) == SERVICE_RUNNING)
        return true;
    if (ServiceState(hService) == SERVICE_STOP_PENDING)
        WaitForState(hService, SERVICE_STOPPED);
    if (!::StartServiceA(hService, 0, nullptr) &&
        ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return false;
    if (WaitForState(hService, SERVICE_RUNNING))
        return true;
    ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
    return false;
}

// Two Wine differences, undone before the service first starts; Windows needs neither.
// - Wine's loader of drivers does not load one from an image path relative to the Windows folder
//   (status c0000142, error 1114), while the absolute path of the same file works. The path goes
//   in through the service manager, so that the manager's own copy of the configuration and the
//   registry agree.
// - Wine marks a service created by a 32-bit process as a WoW64 one (value WOW64 = 1 in its key).
//   Whenever it cannot read the driver file's machine itself, it then loads the driver in the
//   32-bit winedevice.exe, where a 64-bit driver cannot load (c0000135). The manager writes the
//   mark again with every configuration change, so the value goes after the path is changed.
bool AdaptServiceToWine(SC_HANDLE hService, const std::string& driverPath, DWORD& error)
{
    if (!::ChangeServiceConfigA(hService, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                driverPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr)) {
        error = ::GetLastError();
        return false;
    }
    CRegKey key;
    error = key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE);
    if (error == ERROR_SUCCESS) {
        error = ::RegDeleteValueA(key.Get(), "WOW64");
        if (error == ERROR_FILE_NOT_FOUND)
            error = ERROR_SUCCESS;
    }
    return error == ERROR_SUCCESS;
}

// The installation folder, which the program makes its current directory and the driver reads
// its list files from.
DWORD WriteInstallFolder(const std::string& folder)
{
    CRegKey key;
    DWORD error = key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE);
    if (error == ERROR_SUCCESS)
        error = ::RegSetValueExA(key.Get(), VTX_INSTALL_DIR_VALUE, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>(folder.size() + 1));
    return error;
}

// A test that plays a misbehaving driver sets its mode and puts the default back at its end; one
// killed in between leaves the mode set, and every later test would read its lists from a driver
// that answers wrongly (one that says More forever makes each enumeration 65536 requests). The
// value goes; bRemoved tells whether there was one.
DWORD RemoveStandinMode(bool& bRemoved)
{
    CRegKey key;
    DWORD error = key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE);
    if (error == ERROR_SUCCESS)
        error = ::RegDeleteValueA(key.Get(), VTX_STANDIN_MODE_VALUE);
    bRemoved = error == ERROR_SUCCESS;
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

std::string FullPath(const char* path)
{
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return std::string();
    std::string result(full, length);
    while (result.size() > 3 && result.back() == '\\')
        result.pop_back();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vtxinstall <path of veltrix.sys> <installation folder>\n");
        return 2;
    }
    const std::string driverSource = FullPath(argv[1]);
    const std::string installDir = FullPath(argv[2]);
    const std::string systemDir = SystemFolder();
    if (driverSource.empty() || installDir.empty() || systemDir.empty())
        return Fail("resolving the paths", ERROR_BAD_PATHNAME);
    const std::string driverTarget = systemDir + "\\drivers\\" VTX_SERVICE_NAME ".sys";

    if (!CreateFolderTree(installDir + "\\data"))
        return Fail("creating the installation folder", ::GetLastError());

    CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return Fail("opening the service manager", ::GetLastError());
    CServiceHandle service(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));

    std::vector<char> driverBytes;
    if (!ReadWholeFile(driverSource, driverBytes))
        return Fail("reading the driver file", ::GetLastError());
    {
        CNativeSystemFolder nativeSystemFolder;
        std::vector<char> installedBytes;
        if (!ReadWholeFile(driverTarget, installedBytes) || installedBytes != driverBytes) {
            // A loaded driver keeps running its old code: stop it so the new file is the one
            // that starts below.
            if (service && !StopAndWait(service.Get()))
                return Fail("stopping the service to replace its driver", ::GetLastError());
            if (!::CopyFileA(driverSource.c_str(), driverTarget.c_str(), FALSE))
                return Fail("copying the driver file", ::GetLastError());
        }
    }

    if (!service) {
        // The service library creates it, as it does for the real installer: a file-system
        // driver, started automatically, in "FSFilter Activity Monitor", with the image path
        // relative to the Windows folder. Its 0 means created now and failed alike, so the
        // service is looked for afterwards.
        vtxCreate();
        service.Attach(::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_ALL_ACCESS));
        if (!service)
            return Fail("creating the service", ::GetLastError());
    }
    DWORD error = ERROR_SUCCESS;
    if (!AdaptServiceToWine(service.Get(), driverTarget, error))
        return Fail("adapting the service to Wine", error);
    error = WriteInstallFolder(installDir);
    if (error != ERROR_SUCCESS)
        return Fail("writing " VTX_INSTALL_DIR_VALUE, error);
    // The driver reads its mode when it starts: a running one is started again without it.
    bool bModeRemoved = false;
    error = RemoveStandinMode(bModeRemoved);
    if (error != ERROR_SUCCESS)
        return Fail("removing the stand-in's test mode", error);
    if (bModeRemoved && !StopAndWait(service.Get()))
        return Fail("stopping the service to start it without its test mode", ::GetLastError());
    if (!StartAndWait(service.Get()))
        return Fail("starting the service", ::GetLastError());
    std::printf("veltrix is running; installation folder %s\n", installDir.c_str());
    return 0;
}
