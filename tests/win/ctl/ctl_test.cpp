// vtxctl.exe as an administrator's script runs it: a child process against the stand-in driver,
// started from a folder of no meaning to it, judged by its output, its exit code, the driver's
// lists and the list files it writes.
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "lists/shell_link_files.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/service_probe.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const char kPassword[] = "s3cret";

std::vector<std::string> DriverList(DWORD enumCode)
{
    std::vector<std::string> paths;
    EnumerateDriverList(enumCode, [&](const char* path) { paths.push_back(path); });
    return paths;
}

void SetDriverList(DWORD enumCode, DWORD removeCode, DWORD addCode, const std::vector<std::string>& paths)
{
    for (const std::string& path : DriverList(enumCode))
        SendPathRequest(path.c_str(), removeCode);
    for (const std::string& path : paths)
        ASSERT_TRUE(SendPathRequest(path.c_str(), addCode)) << path;
}

void SetLocked(const std::vector<std::string>& paths)
{
    SetDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE, IOCTL_LOCK_ADD, paths);
}

void SetTrusted(const std::vector<std::string>& paths)
{
    SetDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE, IOCTL_TRUST_ADD, paths);
}

void PutFile(const std::string& path, const std::optional<std::string>& bytes)
{
    if (bytes)
        ASSERT_TRUE(WriteTextFile(path, *bytes)) << path;
    else
        ::DeleteFileA(path.c_str());
}

using Paths = std::vector<std::string>;

// Each test starts with both of the driver's lists empty, empty list files and the password
// kPassword; the driver's lists and the files come back as they were afterwards.
class Vtxctl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CDeviceEnumeration().IsOpen()) << "the stand-in driver is not running";
        m_savedLocked = DriverList(IOCTL_LOCK_ENUM);
        m_savedTrusted = DriverList(IOCTL_TRUST_ENUM);
        for (int i = 0; i < 3; ++i)
            m_savedFiles[i] = ReadWholeFile(DataFile(i));
        SetLocked({});
        SetTrusted({});
        PutFile(LockedFile(), "");
        PutFile(TrustedFile(), "");
        const CString digest = MD5HexDigest(kPassword, sizeof kPassword - 1);
        PutFile(DataFile(2), DigestFileContent(digest));
    }
    void TearDown() override
    {
        SetLocked(m_savedLocked);
        SetTrusted(m_savedTrusted);
        for (int i = 0; i < 3; ++i)
            PutFile(DataFile(i), m_savedFiles[i]);
    }

    std::string DataFile(int i) const
    {
        static const char* const names[] = {"filter.txt", "TrustedPs.txt", "password.txt"};
        return m_installDir + "\\data\\" + names[i];
    }
    std::string LockedFile() const { return DataFile(0); }
    std::string TrustedFile() const { return DataFile(1); }
    std::string ListFiles() const
    {
        return ReadWholeFile(LockedFile()).value_or("(none)") + "|" + ReadWholeFile(TrustedFile()).value_or("(none)");
    }

    // vtxctl with the arguments, the password on standard input, started in the scratch folder.
    ConsoleRun Ctl(const std::string& args, const std::string& password = kPassword)
    {
        return RunConsoleProgram("\"" + DosPath(VTX_CTL_FILE) + "\" " + args, password + "\r\n",
                                 m_scratch.Path().c_str());
    }

    const std::string m_installDir = ReadInstallDir();
    ScratchFolder m_scratch{"vtxctl"};

private:
    Paths m_savedLocked;
    Paths m_savedTrusted;
    std::optional<std::string> m_savedFiles[3];
};

TEST_F(Vtxctl, HelpFitsOneScreenAndWrongUsageExitsWithTwo)
{
    const ConsoleRun help = Ctl("--help");
    EXPECT_EQ(help.dwExitCode, 0u);
    EXPECT_NE(help.strOut.find("3 wrong password, 4 another Veltrix running, 5 the driver cannot be reached"),
              std::string::npos)
        << help.strOut;
    size_t lines = 0;
    for (char c : help.strOut)
        lines += c == '\n';
    EXPECT_LE(lines, 24u);

    for (const char* args : {"", "frobnicate", "list", "list both", "lock", "export", "export a b", "status x",
                             "--quiet status"}) {
        const ConsoleRun run = Ctl(args);
        EXPECT_EQ(run.dwExitCode, 2u) << args;
        EXPECT_EQ(run.strErr, "vtxctl: wrong usage; vtxctl --help shows it.\r\n") << args;
    }
}

TEST_F(Vtxctl, StatusShowsServiceInstallationFolderAndListSizesWithoutPassword)
{
    SetLocked({"C:\\VtxCtl\\A", "C:\\VtxCtl\\B"});
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun run = Ctl("status", "");
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(run.strOut, "Service: running\r\nInstallation folder: " + m_installDir +
                              "\r\nlocked list entries: 2\r\ntrusted list entries: 1\r\n");
}

TEST_F(Vtxctl, ListPrintsTheDriversListInItsOrder)
{
    SetLocked({"C:\\VtxCtl\\Zeta", "C:\\VtxCtl\\Alpha"});
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun locked = Ctl("list locked --password-stdin");
    EXPECT_EQ(locked.dwExitCode, 0u) << locked.strErr;
    EXPECT_EQ(locked.strOut, "C:\\VtxCtl\\Zeta\r\nC:\\VtxCtl\\Alpha\r\n");
    const ConsoleRun trusted = Ctl("list trusted --password-stdin");
    EXPECT_EQ(trusted.strOut, "C:\\VtxCtl\\Tool.exe\r\n");
}

// The driver loads the list files at its start: what vtxctl wrote is what a restart brings back.
TEST_F(Vtxctl, LockReachesTheDriverAndTheListFileThatItsNextStartLoads)
{
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun run = Ctl("lock C:\\VtxCtl\\Docs \"rel\\My Notes\" c:\\vtxctl\\DOCS --password-stdin");
    const std::string relative = m_scratch.Path() + "\\rel\\My Notes";
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(run.strOut, "Added to the locked list: C:\\VtxCtl\\Docs\r\nAdded to the locked list: " + relative + "\r\n");
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Docs\r\n" + relative + "\r\n|C:\\VtxCtl\\Tool.exe\r\n");

    CVeltrixRestorer restorer;
    ASSERT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
    SetLocked({});  // fails quietly: the device is gone
    ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING));
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Docs", relative}));
}

TEST_F(Vtxctl, UnlockAndUntrustRemoveTheDriversSpellingInAnyLetterCase)
{
    SetLocked({"C:\\VtxCtl\\Docs", "C:\\VtxCtl\\Keep"});
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun unlock = Ctl("unlock c:\\VTXCTL\\docs C:\\VtxCtl\\Missing --password-stdin");
    EXPECT_EQ(unlock.dwExitCode, 1u);
    EXPECT_EQ(unlock.strOut, "Removed from the locked list: C:\\VtxCtl\\Docs\r\n");
    EXPECT_EQ(unlock.strErr, "Not in the locked list: C:\\VtxCtl\\Missing\r\n");
    const ConsoleRun untrust = Ctl("untrust C:\\VTXCTL\\TOOL.EXE --password-stdin");
    EXPECT_EQ(untrust.dwExitCode, 0u) << untrust.strErr;
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Keep"});
    EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Keep\r\n|");
}

TEST_F(Vtxctl, TrustTakesAShortcutsTarget)
{
    const std::string program = m_scratch.Make("Tools\\tool.exe");
    ASSERT_TRUE(WriteTextFile(program, "MZ"));
    const std::string shortcut = m_scratch.Make("Tool.lnk");
    ASSERT_TRUE(WriteShortcut(shortcut, program));
    const ConsoleRun run = Ctl("trust Tool.lnk --password-stdin");
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), Paths{program});
}

// Each refused path is told on standard error with the window's text; nothing is sent.
TEST_F(Vtxctl, RefusesWhatTheWindowRefusesAndWhatCannotBeSent)
{
    std::string upperInstall = m_installDir;
    CharUpperA(upperInstall.data());
    const struct {
        std::string args;
        std::string error;
    } cases[] = {
        {"lock C:\\WINDOWS\\SYSTEM32", "Can't lock Windows System Directory: C:\\WINDOWS\\SYSTEM32"},
        {"lock c:\\windows", "Can't lock Windows System Directory: c:\\windows"},
        {"lock c:\\WiNdOwS\\sYsTeM32", "Can't lock Windows System Directory: c:\\WiNdOwS\\sYsTeM32"},
        {"lock " + upperInstall + "\\DATA", "Can't lock Veltrix File: " + upperInstall + "\\DATA"},
        {"trust " + upperInstall + "\\VTX.EXE", "Don't need to trust Veltrix Program: " + upperInstall + "\\VTX.EXE"},
        {"lock \"C:\\VtxCtl\\tab\there\"", "A control character in the path: C:\\VtxCtl\\tab\there"},
        {"lock C:\\" + std::string(270, 'x'), "Path too long or empty: C:\\" + std::string(270, 'x')},
        {"lock C:\\VtxCtl\\what?", "A character outside the ANSI code page, or a wildcard: C:\\VtxCtl\\what?"},
    };
    for (const auto& c : cases) {
        const ConsoleRun run = Ctl(c.args + " --password-stdin");
        EXPECT_EQ(run.dwExitCode, 1u) << c.args;
        EXPECT_EQ(run.strErr, c.error + "\r\n") << c.args;
        EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty()) << c.args;
        EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty()) << c.args;
    }
}

// A character that the code page lacks would reach the driver as another path: it is never sent.
TEST_F(Vtxctl, RefusesAPathOutsideTheAnsiCodePage)
{
    const std::string program = DosPath(VTX_CTL_FILE);  // ASCII
    const ConsoleRun run =
        RunConsoleProgram(L"\"" + std::wstring(program.begin(), program.end()) +
                              L"\" lock C:\\VtxCtl\\\u03A9mega C:\\VtxCtl\\Plain",
                          std::string(kPassword) + "\n", m_scratch.Path().c_str());
    EXPECT_EQ(run.dwExitCode, 1u);
    EXPECT_EQ(run.strErr, "A character outside the ANSI code page, or a wildcard: C:\\VtxCtl\\?mega\r\n");
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Plain"});
}

TEST_F(Vtxctl, WithoutTheDriverExitsWithFive)
{
    CVeltrixRestorer restorer;
    ASSERT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
    const ConsoleRun list = Ctl("list locked");
    EXPECT_EQ(list.dwExitCode, 5u);
    EXPECT_EQ(list.strErr, "The driver cannot be reached.\r\n");
    const ConsoleRun status = Ctl("status", "");
    EXPECT_EQ(status.dwExitCode, 5u);
    EXPECT_EQ(status.strOut, "Service: not running\r\nInstallation folder: " + m_installDir +
                                 "\r\nlocked list entries: unknown, the driver cannot be reached"
                                 "\r\ntrusted list entries: unknown, the driver cannot be reached\r\n");
}

TEST_F(Vtxctl, ExportThenClearThenImportRestoresBothListFilesByteForByte)
{
    ASSERT_EQ(Ctl("lock C:\\VtxCtl\\One C:\\VtxCtl\\Two \"C:\\VtxCtl\\Three Words\"").dwExitCode, 0u);
    ASSERT_EQ(Ctl("trust C:\\VtxCtl\\Tool.exe C:\\VtxCtl\\Other.exe").dwExitCode, 0u);
    const std::string before = ListFiles();
    const ConsoleRun exported = Ctl("export lists.txt");
    EXPECT_EQ(exported.dwExitCode, 0u) << exported.strErr;
    EXPECT_EQ(ReadWholeFile(m_scratch.Path() + "\\lists.txt"),
              "[locked]\r\nC:\\VtxCtl\\One\r\nC:\\VtxCtl\\Two\r\nC:\\VtxCtl\\Three Words\r\n"
              "[trusted]\r\nC:\\VtxCtl\\Tool.exe\r\nC:\\VtxCtl\\Other.exe\r\n");

    ASSERT_EQ(Ctl("unlock C:\\VtxCtl\\One C:\\VtxCtl\\Two \"C:\\VtxCtl\\Three Words\"").dwExitCode, 0u);
    ASSERT_EQ(Ctl("untrust C:\\VtxCtl\\Tool.exe C:\\VtxCtl\\Other.exe").dwExitCode, 0u);
    ASSERT_EQ(ListFiles(), "|");

    const ConsoleRun imported = Ctl("import lists.txt");
    EXPECT_EQ(imported.dwExitCode, 0u) << imported.strErr;
    EXPECT_EQ(ListFiles(), before);
}

TEST_F(Vtxctl, ImportAddsOnlyWhatIsMissingAndReportsWhatItRefuses)
{
    SetLocked({"C:\\VtxCtl\\Kept"});
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt",
                              "[locked]\nc:\\vtxctl\\KEPT\nC:\\Windows\n\nC:\\VtxCtl\\New\n[trusted]\nC:\\VtxCtl\\T.exe\n"));
    const ConsoleRun run = Ctl("import in.txt");
    EXPECT_EQ(run.dwExitCode, 1u);
    EXPECT_EQ(run.strErr, "Can't lock Windows System Directory: C:\\Windows\r\n");
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Kept\r\nC:\\VtxCtl\\New\r\n|C:\\VtxCtl\\T.exe\r\n");

    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\bad.txt", "C:\\VtxCtl\\Orphan\r\n[locked]\r\n"));
    const ConsoleRun bad = Ctl("import bad.txt");
    EXPECT_EQ(bad.dwExitCode, 1u);
    EXPECT_NE(bad.strErr.find("line 1"), std::string::npos) << bad.strErr;
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New"}));
}

// The password file is the login's: the default password no longer opens once it holds another.
TEST_F(Vtxctl, WrongPasswordShowsAndChangesNothing)
{
    SetLocked({"C:\\VtxCtl\\Kept"});
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", "[locked]\r\nC:\\VtxCtl\\New\r\n"));
    for (const char* args : {"list locked", "lock C:\\VtxCtl\\New", "unlock C:\\VtxCtl\\Kept", "import in.txt",
                             "export out.txt"}) {
        const ConsoleRun run = Ctl(std::string(args) + " --password-stdin", "quimbly");
        EXPECT_EQ(run.dwExitCode, 3u) << args;
        EXPECT_EQ(run.strOut, "") << args;
        EXPECT_EQ(run.strErr, "Wrong password.\r\n") << args;
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Kept"}) << args;
        EXPECT_EQ(ListFiles(), "|") << args;
        EXPECT_FALSE(ReadWholeFile(m_scratch.Path() + "\\out.txt")) << args;
    }
}

TEST_F(Vtxctl, RefusesWhileVeltrixRuns)
{
    const HANDLE running = ::CreateMutexA(nullptr, TRUE, "Veltrix");
    ASSERT_TRUE(running);
    for (const char* args : {"list locked", "lock C:\\VtxCtl\\New", "import in.txt"}) {
        const ConsoleRun run = Ctl(args);
        EXPECT_EQ(run.dwExitCode, 4u) << args;
        EXPECT_EQ(run.strErr, "Veltrix is running; close it first.\r\n") << args;
    }
    ::ReleaseMutex(running);
    ::CloseHandle(running);
    EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty());
    EXPECT_EQ(ListFiles(), "|");
}

}  // namespace
