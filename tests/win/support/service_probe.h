// Looks at and steers the service "veltrix" with the service manager's own calls, independent of
// the code under test.
#pragma once

#include "support/file_bytes.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ServiceConfig {
    DWORD dwServiceType = 0;
    DWORD dwStartType = 0;
    DWORD dwErrorControl = 0;
    std::string strBinaryPath;
    std::string strGroup;
    std::string strDisplayName;
    std::string strDependencies; // the double-NUL list, NULs as '|'
    std::string strStartName;
};

bool ServiceExists();
// The configuration as QueryServiceConfigA reports it; false when the service cannot be read.
bool QueryVeltrixConfig(ServiceConfig& config);
// dwCurrentState by QueryServiceStatus (not an interrogation); 0 when the service is missing.
DWORD QueryVeltrixState();
// Asks the manager to stop (SERVICE_STOPPED) or start (SERVICE_RUNNING) the service and waits
// until it is there; false when it is not in time.
bool BringVeltrixTo(DWORD dwState);
// Changes the service's start type through the manager; false when it could not.
bool SetVeltrixStartType(DWORD dwStartType);
// Stops the service if it runs, deletes it and waits until the manager has removed it.
// false when it is still there after that.
bool RemoveVeltrixService();
// The installation folder recorded in the service key (vtxapp); empty when there is none.
std::string ReadInstallDir();
// Runs the test installer (built beside the stand-in driver) as the standin fixture does:
// creates the service if it is missing, adapts it to Wine, records installDir and starts it.
// true when it ended with 0.
bool RunInstaller(const std::string& installDir);

// The other tests of the standin fixture need its service as the fixture made it: installed,
// running, vtxapp naming installDir. Whatever a test did to it, it is put back when the object
// goes, the test failed or not.
class CVeltrixRestorer {
public:
    explicit CVeltrixRestorer(std::string installDir = ReadInstallDir()) : m_strInstallDir(std::move(installDir)) {}
    ~CVeltrixRestorer();
    CVeltrixRestorer(const CVeltrixRestorer&) = delete;
    CVeltrixRestorer& operator=(const CVeltrixRestorer&) = delete;

private:
    std::string m_strInstallDir;
};

// The service's key as an account sees it that may read it but not write it: an access list
// that grants reading only, to everyone; the list it had comes back when the object goes.
class CReadOnlyServiceKey {
public:
    CReadOnlyServiceKey();
    ~CReadOnlyServiceKey();
    CReadOnlyServiceKey(const CReadOnlyServiceKey&) = delete;
    CReadOnlyServiceKey& operator=(const CReadOnlyServiceKey&) = delete;

    bool Applied() const { return m_bApplied; }

private:
    std::vector<BYTE> m_previous;  // the key's own access list, self-relative
    bool m_bApplied = false;
};

// Runs the stand-in driver in one of its misbehaving modes (standin/driver/standin_modes.h),
// started with both lists empty: the list files it loads at start are put aside meanwhile. When
// the object goes, the files come back and the driver runs again as it did, in its default mode.
class CStandinModeGuard {
public:
    explicit CStandinModeGuard(DWORD dwMode);
    ~CStandinModeGuard();
    CStandinModeGuard(const CStandinModeGuard&) = delete;
    CStandinModeGuard& operator=(const CStandinModeGuard&) = delete;

    bool Running() const { return m_bRunning; }

private:
    std::string m_strData;
    std::optional<CFileSwap> m_files[2];
    bool m_bRunning = false;
};
