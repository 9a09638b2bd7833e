// The setup and its uninstaller as a deployment tool and a user meet them, in a Wine prefix made
// afresh for this test (setup-run.sh): silent install, upgrade in place, the refusals while
// Veltrix runs, "Uninstall Veltrix..." from the main window, a second uninstall, a folder with
// blanks, and a failure half-way that leaves nothing behind.
#include "driver/core/names.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/service_probe.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <map>

namespace {

const char kDefaultDir[] = "C:\\Program Files\\Veltrix";
const char kSpacedDir[] = "C:\\Program Files\\My Tools\\Veltrix";
const char kScratch[] = "C:\\SetupTest";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltrix";
// The program's names are the header's and the release's files the build's list, as the setup
// is given them: what it writes and looks for is read back under the names the programs use.
const char kServiceKey[] = VTX_SERVICE_KEY;
const char kEventSourceKey[] = VTX_EVENT_SOURCE_KEY;
const char* const kProgramFiles[] = {VTX_RELEASE_FILE_NAMES, "unins000.exe"};
const char* const kDataFiles[] = {"filter.txt", "TrustedPs.txt", "password.txt"};
// The setup's exit codes besides 0.
constexpr DWORD kExitRunning = 2;
constexpr DWORD kExitFailed = 3;
// A cold Wine starting the driver's service can take a while.
constexpr DWORD kSetupTimeout = 120000;

std::string SetupFile()
{
    return DosPath(VTX_SETUP_FILE);
}

std::string DriverFile()
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
    return std::string(folder, length) + "\\drivers\\veltrix.sys";
}

std::string ShortcutFile()
{
    char folder[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, folder);
    return std::string(folder) + "\\Veltrix.lnk";
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The setup run silently, with more arguments (/D=... must come last); its exit code.
DWORD RunSetup(const std::string& arguments = "")
{
    return RunConsoleProgram("\"" + SetupFile() + "\" /S" + arguments, "", nullptr, kSetupTimeout)
        .dwExitCode;
}

// unins000.exe started from a copy outside the folder, as it starts itself (it copies itself
// away so that it can remove its own file): the copy, with _?=, runs in place until it is done.
DWORD RunUninstallerCopy(const std::string& copy, const std::string& installDir)
{
    return RunConsoleProgram("\"" + copy + "\" /S _?=" + installDir, "", nullptr, kSetupTimeout)
        .dwExitCode;
}

std::string MachineText(const char* key, const char* name)
{
    char value[1024] = "";
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "(missing)";
    return value;
}

DWORD MachineNumber(const char* key, const char* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

bool MachineKeyExists(const char* key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

// The access list of a folder in its text form.
std::string AccessList(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return "(unreadable)";
    char* text = nullptr;
    std::string result = "(not convertible)";
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                               DACL_SECURITY_INFORMATION, &text, nullptr)) {
        result = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return result;
}

using DataSnapshot = std::map<std::string, std::optional<std::string>>;

DataSnapshot ReadData(const std::string& installDir)
{
    DataSnapshot data;
    for (const char* name : kDataFiles)
        data[name] = ReadWholeFile(installDir + "\\data\\" + name);
    return data;
}

// Everything the setup puts in place, for the installation in installDir.
void ExpectInstalled(const std::string& installDir)
{
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(ReadInstallDir(), installDir);
    ServiceConfig config;
    ASSERT_TRUE(QueryVeltrixConfig(config));
    EXPECT_EQ(config.dwServiceType, static_cast<DWORD>(SERVICE_FILE_SYSTEM_DRIVER));
    EXPECT_EQ(config.dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config.strGroup, "FSFilter Activity Monitor");
    // Wine's adaptation: the absolute path of the driver file.
    EXPECT_EQ(config.strBinaryPath, DriverFile());

    for (const char* name : kProgramFiles)
        EXPECT_TRUE(Exists(installDir + "\\" + name)) << name;
    // Windows reads back the lists as set: data\ "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", the
    // folder the same and Users' read and execute. Wine keeps no access lists: it maps them onto
    // the folder's Unix mode (no access for others) and reads back SYSTEM and the owner, an
    // administrator; nobody else. Neither ever shows anyone else with more than that.
    for (const std::string& folder : {installDir, installDir + "\\data"}) {
        const std::string access = AccessList(folder);
        EXPECT_NE(access.find("(A;OICI;FA;;;SY)"), std::string::npos) << folder << ": " << access;
        for (const char* everyone : {";;;WD)", ";;;AU)"})
            EXPECT_EQ(access.find(everyone), std::string::npos) << folder << ": " << access;
        // Users: read and execute in the folder, nothing in data\.
        const size_t users = access.find(";;;BU)");
        const char kUsersReadExecute[] = "(A;OICI;0x1200a9;;;BU)";
        EXPECT_TRUE(users == std::string::npos ||
                    (folder == installDir && users >= 16 && access.compare(users - 16, 22, kUsersReadExecute) == 0))
            << folder << ": " << access;
    }
    EXPECT_TRUE(ReadWholeFile(DriverFile()) == ReadWholeFile(DosPath(VTX_SETUP_DRIVER))) << "driver file";
    EXPECT_TRUE(Exists(ShortcutFile()));

    const std::string uninstaller = "\"" + installDir + "\\unins000.exe\"";
    EXPECT_EQ(MachineText(kUninstallKey, "DisplayName"), "Veltrix");
    EXPECT_EQ(MachineText(kUninstallKey, "DisplayVersion"), VTX_VERSION);
    EXPECT_EQ(MachineText(kUninstallKey, "Publisher"), "the Veltrix developers");
    EXPECT_EQ(MachineText(kUninstallKey, "DisplayIcon"), installDir + "\\vtx.exe,0");
    EXPECT_EQ(MachineText(kUninstallKey, "InstallLocation"), installDir);
    EXPECT_EQ(MachineText(kUninstallKey, "UninstallString"), uninstaller);
    EXPECT_EQ(MachineText(kUninstallKey, "QuietUninstallString"), uninstaller + " /S");
    // Kilobytes: the four program files and the uninstaller come to several hundred.
    const DWORD size = MachineNumber(kUninstallKey, "EstimatedSize");
    EXPECT_GT(size, 200u);
    EXPECT_LT(size, 10000u);
    EXPECT_EQ(MachineNumber(kUninstallKey, "NoModify"), 1u);
    EXPECT_EQ(MachineNumber(kUninstallKey, "NoRepair"), 1u);
    // Veltrix as an event source: Event Viewer reads the texts from vtx.exe's message table.
    EXPECT_EQ(MachineText(kEventSourceKey, "EventMessageFile"), installDir + "\\vtx.exe");
    EXPECT_EQ(MachineNumber(kEventSourceKey, "TypesSupported"), 7u);
}

// Nothing of the installation left but data\, which holds what it held.
void ExpectRemoved(const std::string& installDir, const DataSnapshot& data)
{
    EXPECT_FALSE(ServiceExists());
    for (const char* name : kProgramFiles)
        EXPECT_FALSE(Exists(installDir + "\\" + name)) << name;
    EXPECT_FALSE(Exists(DriverFile()));
    EXPECT_FALSE(Exists(ShortcutFile()));
    EXPECT_FALSE(MachineKeyExists(kUninstallKey));
    EXPECT_FALSE(MachineKeyExists(kEventSourceKey));
    EXPECT_EQ(ReadData(installDir), data);
}

bool IsShownDialog(HWND hWnd, const char* caption)
{
    return ::IsWindowVisible(hWnd) && ClassName(hWnd) == "#32770" && WindowText(hWnd) == caption;
}

// vtx.exe of the installation started as the Start-menu shortcut starts it and logged in; its
// main window, or nullptr (the test has failed then).
HWND LogIn(CVtxProcess& vtx, const std::string& installDir, const char* password)
{
    if (!vtx.Start(installDir + "\\vtx.exe", installDir.c_str())) {
        ADD_FAILURE() << "cannot start vtx.exe, error " << ::GetLastError();
        return nullptr;
    }
    HWND login = vtx.WaitForTopLevel([](HWND hWnd) {
        return IsShownDialog(hWnd, "Login Veltrix ") && ::GetDlgItem(hWnd, IDC_PASSWORD);
    });
    if (!login) {
        ADD_FAILURE() << "no login dialog";
        return nullptr;
    }
    HWND ok = ::GetDlgItem(login, IDOK);
    SetWindowTextTo(::GetDlgItem(login, IDC_PASSWORD), password);
    PollUntil([&] { return IsEnabled(ok); });
    Click(ok);
    HWND main = vtx.WaitForTopLevel([](HWND hWnd) {
        return IsShownDialog(hWnd, "Veltrix") && ::GetDlgItem(hWnd, IDC_LOCKED_LIST);
    });
    if (!main)
        ADD_FAILURE() << "no main window after logging in with \"" << password << "\"";
    return main;
}

BOOL CALLBACK CollectVisibleWindow(HWND hWnd, LPARAM lParam)
{
    if (::IsWindowVisible(hWnd))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The visible top-level windows of every process.
std::vector<HWND> VisibleWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A visible top-level window of any process that satisfies match, once there; nullptr when none
// came in time.
HWND WaitForAnyWindow(const std::function<bool(HWND)>& match, DWORD dwMilliseconds = kStepTimeout)
{
    HWND found = nullptr;
    PollUntil(
        [&] {
            for (HWND hWnd : VisibleWindows())
                if (match(hWnd))
                    found = hWnd;
            return found != nullptr;
        },
        dwMilliseconds);
    return found;
}

std::string DescribeWindows()
{
    std::string text;
    for (HWND hWnd : VisibleWindows())
        text += ClassName(hWnd) + " '" + Caption(hWnd) + "'; ";
    return text;
}

// The window of the uninstaller that "Uninstall Veltrix..." started.
HWND WaitForUninstaller()
{
    // NSIS puts a page's subcaption, a blank here, after the caption.
    return WaitForAnyWindow([](HWND hWnd) { return Caption(hWnd).rfind("Veltrix Uninstall", 0) == 0 &&
                                                   ::GetDlgItem(hWnd, IDOK); },
                            kSetupTimeout);
}

// The uninstaller that "Uninstall Veltrix..." started, answered as a user who keeps the data:
// "Uninstall", "No" to removing the password and the lists, then "Close".
void UninstallInteractively()
{
    HWND wizard = WaitForUninstaller();
    ASSERT_TRUE(wizard) << "no uninstaller window; windows: " << DescribeWindows();
    Click(::GetDlgItem(wizard, IDOK));
    HWND question = WaitForAnyWindow([](HWND hWnd) {
        const std::vector<std::string> texts = StaticTextsOf(hWnd);
        return ClassName(hWnd) == "#32770" && !texts.empty() &&
               texts.back().find("Remove the Veltrix password and both lists") == 0;
    }, kSetupTimeout);
    ASSERT_TRUE(question) << "the uninstaller did not ask about data\\";
    EXPECT_EQ(::GetWindowLongPtrA(::GetDlgItem(question, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON,
              BS_DEFPUSHBUTTON) << "keeping is the default";
    Click(::GetDlgItem(question, IDNO));
    HWND close = ::GetDlgItem(wizard, IDOK);
    EXPECT_TRUE(PollUntil([&] { return IsEnabled(close) && Caption(close) == "&Close"; }, kSetupTimeout));
    Click(close);
}

void LogInAndClose(const std::string& installDir)
{
    CVtxProcess vtx;
    HWND main = LogIn(vtx, installDir, "quimbly");
    if (!main)
        return;
    Click(::GetDlgItem(main, IDOK));
    EXPECT_TRUE(vtx.EndsWithin());
}

class Setup : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(ServiceExists()) << "the prefix is not fresh";
        ::CreateDirectoryA(kScratch, nullptr);
    }
    void TearDown() override
    {
        RemoveTree(kScratch);
        RemoveTree(kDefaultDir);
        RemoveTree(kSpacedDir);
    }
};

TEST_F(Setup, FailureHalfWayIsUndoneAndReported)
{
    // A folder where the driver file goes: the program files are in place by then.
    ASSERT_TRUE(::CreateDirectoryA(DriverFile().c_str(), nullptr));
    EXPECT_EQ(RunSetup(), kExitFailed);
    ::RemoveDirectoryA(DriverFile().c_str());

    EXPECT_FALSE(ServiceExists());
    EXPECT_FALSE(Exists(kDefaultDir));
    EXPECT_FALSE(Exists(DriverFile()));
    EXPECT_FALSE(Exists(ShortcutFile()));
    EXPECT_FALSE(MachineKeyExists(kUninstallKey));

    // A folder where the uninstaller goes: the service runs and the event source is there by
    // then, and both go again.
    ASSERT_TRUE(::CreateDirectoryA(kDefaultDir, nullptr));
    ASSERT_TRUE(::CreateDirectoryA((std::string(kDefaultDir) + "\\unins000.exe").c_str(), nullptr));
    EXPECT_EQ(RunSetup(), kExitFailed);
    EXPECT_FALSE(ServiceExists());
    EXPECT_FALSE(MachineKeyExists(kEventSourceKey));
}

TEST_F(Setup, InstallsUpgradesInPlaceAndUninstallsFromTheMainWindow)
{
    ASSERT_EQ(RunSetup(), 0u);
    ExpectInstalled(kDefaultDir);
    LogInAndClose(kDefaultDir);

    // A lock made from the command line, and a password of the user's own.
    const std::string secret = std::string(kScratch) + "\\Secret";
    ::CreateDirectoryA(secret.c_str(), nullptr);
    const std::string vtxctl = "\"" + std::string(kDefaultDir) + "\\vtxctl.exe\" ";
    EXPECT_EQ(RunConsoleProgram(vtxctl + "lock " + secret + " --password-stdin", "quimbly\r\n").dwExitCode, 0u);
    // The digest of "tulip7".
    ASSERT_TRUE(WriteWholeFile(std::string(kDefaultDir) + "\\data\\password.txt",
                               "a82737ed9dfa1f74344d413168b8954e\n"));
    const DataSnapshot data = ReadData(kDefaultDir);
    ASSERT_TRUE(data.at("filter.txt"));

    // While vtx.exe or vtxctl.exe runs (either mutex name), the setup refuses and changes nothing.
    for (const char* mutex : {VTX_INSTANCE_MUTEX, VTX_GLOBAL_INSTANCE_MUTEX}) {
        CHandle held(::CreateMutexA(nullptr, FALSE, mutex));
        ASSERT_TRUE(held) << mutex;
        EXPECT_EQ(RunSetup(), kExitRunning) << mutex;
    }
    // Without private namespaces (Wine) the programs' cross-session guard is "Global\Veltrix" owned
    // by the Administrators: it refuses too. One that a standard account could have made (Wine
    // names the token's default owner, not the Administrators) is passed by: the upgrade runs.
    for (const auto& [accessList, expected] : {std::pair{"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)", kExitRunning},
                                               std::pair{"D:(A;;GA;;;WD)", DWORD{0}}}) {
        SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(accessList, SDDL_REVISION_1,
                                                                          &attributes.lpSecurityDescriptor, nullptr));
        CHandle held(::CreateMutexA(&attributes, TRUE, VTX_GLOBAL_INSTANCE_MUTEX));
        ::LocalFree(attributes.lpSecurityDescriptor);
        ASSERT_TRUE(held) << accessList;
        EXPECT_EQ(RunSetup(), expected) << accessList;
    }
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));

    // A file in use half-way through an upgrade: the files written before it go back to the
    // installed ones (here an "older" vtx.exe), and the service runs again.
    const std::string program = std::string(kDefaultDir) + "\\vtx.exe";
    const std::string olderProgram = ReadWholeFile(program).value_or("") + "older";
    ASSERT_TRUE(WriteWholeFile(program, olderProgram));
    {
        CHandle inUse(::CreateFileA((std::string(kDefaultDir) + "\\VeltrixHelp.chm").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(inUse);
        EXPECT_EQ(RunSetup(), kExitFailed);
    }
    EXPECT_TRUE(ReadWholeFile(program) == olderProgram) << "vtx.exe is not the installed one";
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(ReadData(kDefaultDir), data);
    // Failed at the uninstaller, after the event source was written: the one it found stays.
    {
        CHandle inUse(::CreateFileA((std::string(kDefaultDir) + "\\unins000.exe").c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(inUse);
        EXPECT_EQ(RunSetup(), kExitFailed);
    }
    EXPECT_EQ(MachineText(kEventSourceKey, "EventMessageFile"), std::string(kDefaultDir) + "\\vtx.exe");
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));

    ASSERT_EQ(RunSetup(), 0u);
    ExpectInstalled(kDefaultDir);
    EXPECT_EQ(ReadData(kDefaultDir), data);
    const ConsoleRun listed = RunConsoleProgram(vtxctl + "list locked --password-stdin", "tulip7\r\n");
    EXPECT_EQ(listed.strOut, secret + "\r\n") << "the driver runs with the kept lists";

    // "Uninstall Veltrix...", then Cancel in the uninstaller: the driver runs again. This test's
    // own process keeps Wine's session going, so nothing but the uninstaller can have started it.
    {
        CVtxProcess vtx;
        HWND main = LogIn(vtx, kDefaultDir, "tulip7");
        ASSERT_TRUE(main);
        Post(main, WM_SYSCOMMAND, IDM_UNINSTALL);
        HWND wizard = WaitForUninstaller();
        ASSERT_TRUE(wizard) << "no uninstaller window; windows: " << DescribeWindows();
        EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_STOPPED)) << "stopped for the uninstaller";
        Click(::GetDlgItem(wizard, IDCANCEL));
        EXPECT_TRUE(PollUntil([&] { return !::IsWindow(wizard); }, kSetupTimeout));
        EXPECT_TRUE(vtx.EndsWithin());
        const ConsoleRun query = RunConsoleProgram("sc query veltrix");
        std::printf("after Cancel in the uninstaller, sc query veltrix:\n%s", query.strOut.c_str());
        EXPECT_NE(query.strOut.find("RUNNING"), std::string::npos);
        ExpectInstalled(kDefaultDir);
        EXPECT_EQ(ReadData(kDefaultDir), data);
    }

    // "Uninstall Veltrix..." stops the driver, closes the window and starts unins000.exe.
    const std::string uninstallerCopy = std::string(kScratch) + "\\unins000.exe";
    ASSERT_TRUE(::CopyFileA((std::string(kDefaultDir) + "\\unins000.exe").c_str(), uninstallerCopy.c_str(), FALSE));
    {
        CVtxProcess vtx;
        HWND main = LogIn(vtx, kDefaultDir, "tulip7");
        ASSERT_TRUE(main);
        Post(main, WM_SYSCOMMAND, IDM_UNINSTALL);
        // The uninstaller runs on as a child of vtx.exe: the process object stays until it is done.
        UninstallInteractively();
        EXPECT_TRUE(vtx.EndsWithin());
    }
    ExpectRemoved(kDefaultDir, data);

    // Again, over what is left: nothing to do, and no failure.
    EXPECT_EQ(RunUninstallerCopy(uninstallerCopy, kDefaultDir), 0u);
    ExpectRemoved(kDefaultDir, data);
}

TEST_F(Setup, InstallsAndUninstallsInAFolderWithBlanks)
{
    ASSERT_EQ(RunSetup(std::string(" /D=") + kSpacedDir), 0u);
    ExpectInstalled(kSpacedDir);
    LogInAndClose(kSpacedDir);
    const DataSnapshot data = ReadData(kSpacedDir);

    // A new installation starts with the audit trail off; /AUDIT=1 turns it on, and a run without
    // /AUDIT= keeps it as it finds it. Any other value is refused before anything is done.
    const auto auditSwitch = [] { return MachineNumber(kServiceKey, VTX_AUDIT_SWITCH_VALUE); };
    EXPECT_EQ(auditSwitch(), 0u);
    // Without /D= the setup upgrades where Veltrix is; with another folder it refuses, since
    // the service names one folder only.
    EXPECT_EQ(RunSetup(" /AUDIT=1"), 0u);
    EXPECT_EQ(ReadInstallDir(), kSpacedDir);
    EXPECT_FALSE(Exists(kDefaultDir));
    EXPECT_EQ(auditSwitch(), 1u);
    EXPECT_EQ(RunSetup(" /AUDIT=yes"), kExitFailed);
    EXPECT_EQ(RunSetup(), 0u);
    EXPECT_EQ(auditSwitch(), 1u);
    const std::string other = std::string(kScratch) + "\\Veltrix";
    EXPECT_EQ(RunSetup(" /AUDIT=0 /D=" + other), kExitFailed);
    EXPECT_EQ(ReadInstallDir(), kSpacedDir);
    EXPECT_FALSE(Exists(other));
    EXPECT_EQ(auditSwitch(), 1u);

    const std::string uninstallerCopy = std::string(kScratch) + "\\unins000.exe";
    ASSERT_TRUE(::CopyFileA((std::string(kSpacedDir) + "\\unins000.exe").c_str(), uninstallerCopy.c_str(), FALSE));
    // A copy run where it lies is no uninstaller of the installation that the service or, with
    // vtxapp gone, Apps and Features records: it refuses, removes nothing, and starts the driver
    // that was stopped for it.
    for (const bool withVtxapp : {true, false}) {
        SCOPED_TRACE(withVtxapp ? "recorded by the service" : "recorded by Apps and Features");
        ASSERT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
        if (!withVtxapp)
            ASSERT_EQ(::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kServiceKey, VTX_INSTALL_DIR_VALUE), ERROR_SUCCESS);
        EXPECT_EQ(RunUninstallerCopy(uninstallerCopy, kScratch), kExitFailed);
        EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_TRUE(Exists(uninstallerCopy));
        EXPECT_EQ(MachineText(kUninstallKey, "InstallLocation"), kSpacedDir);
        if (!withVtxapp)
            ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kServiceKey, VTX_INSTALL_DIR_VALUE, REG_SZ, kSpacedDir,
                                        sizeof kSpacedDir), ERROR_SUCCESS);
    }
    ExpectInstalled(kSpacedDir);
    // The installation's own folder named in other letters is the same folder.
    std::string lower = kSpacedDir;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(RunUninstallerCopy(uninstallerCopy, lower), 0u);
    ExpectRemoved(kSpacedDir, data);
}

#ifndef _WIN64
// The 32-bit setup on 64-bit Windows, whose kernel its driver cannot join (setup-run.sh gives
// this test a 64-bit prefix): refused before anything changes, with the failure's exit code when
// silent, and with its message otherwise.
TEST_F(Setup, ThirtyTwoBitSetupRefusesSixtyFourBitWindows)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64) << "the prefix is not a 64-bit Windows";
    EXPECT_EQ(RunSetup(), kExitFailed);

    CVtxProcess setup;
    ASSERT_TRUE(setup.Start(SetupFile()));
    const HWND box = setup.WaitForTopLevel([](HWND hWnd) {
        const std::vector<std::string> texts = StaticTextsOf(hWnd);
        return ClassName(hWnd) == "#32770" && !texts.empty() &&
               texts.back().find("This setup is for 32-bit Windows.") == 0;
    }, kSetupTimeout);
    ASSERT_TRUE(box) << "no refusal; windows: " << DescribeWindows();
    EXPECT_EQ(StaticTextsOf(box).back(), "This setup is for 32-bit Windows. On 64-bit Windows, run Veltrix-" VTX_VERSION
                                         "-win64-standin-setup.exe.");
    Click(::GetDlgItem(box, IDOK));
    ASSERT_TRUE(setup.EndsWithin(kSetupTimeout));
    EXPECT_EQ(setup.ExitCode(), kExitFailed);

    EXPECT_FALSE(ServiceExists());
    EXPECT_FALSE(Exists(kDefaultDir));
    EXPECT_FALSE(Exists(DriverFile()));
    EXPECT_FALSE(MachineKeyExists(kUninstallKey));
}
#endif

} // namespace
