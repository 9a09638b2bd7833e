// vtxctl.exe as an administrator's script runs it: a child process against the stand-in driver,
// started from a folder of no meaning to it, judged by its output, its exit code, the driver's
// lists and the list files it writes.
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "standin/driver/standin_modes.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "support/audit_events.h"
#include "support/driver_lists.h"
#include "support/file_access.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/service_probe.h"
#include "support/shell_link_files.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <thread>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kPassword[] = "s3cret";

void SetLocked(const std::vector<std::string>& paths)
{
    ClearDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, paths));
}

void SetTrusted(const std::vector<std::string>& paths)
{
    ClearDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
    ASSERT_TRUE(FillDriverList(IOCTL_TRUST_ADD, paths));
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
        for (int i = 0; i < 3; ++i)
            m_savedFiles[i] = ReadWholeFile(DataFile(i));
        PutFile(LockedFile(), "");
        PutFile(TrustedFile(), "");
        const CString digest = MD5HexDigest(kPassword, sizeof kPassword - 1);
        PutFile(DataFile(2), DigestFileContent(digest));
    }
    void TearDown() override
    {
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
    // The same, with the events that vtxctl writes, as Wine's trace shows its ReportEvent calls:
    // each with vtxctl and this user as its first strings, which are checked and left out.
    ConsoleRun Ctl(const std::vector<std::string>& args, std::vector<AuditEventSeen>& events,
                   const std::string& password = kPassword)
    {
        ConsoleRun run = RunTracedConsoleProgram(VTX_CTL_FILE, args, password + "\r\n", m_scratch.Path().c_str(),
                                                 "-all,fixme+advapi,+eventlog");
        events = DetailsOf(EventsInWineTrace(run.strErr), "vtxctl.exe");
        run.strErr = WithoutWineTrace(run.strErr);
        return run;
    }

    const std::string m_installDir = ReadInstallDir();
    ScratchFolder m_scratch{"vtxctl"};

private:
    const CEmptiedDriverLists m_emptiedLists;
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
                             "-q --json status", "export out.txt --json",
                             "list locked --dry-run", "lock --replace C:\\A"}) {
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

// Output for scripts: one JSON document read back by a JSON reader, paths in UTF-8; -q leaves
// errors only.
TEST_F(Vtxctl, JsonForScriptsAndQuietForErrorsOnly)
{
    using nlohmann::json;
    SetLocked({"C:\\VtxCtl\\Zeta", "C:\\VtxCtl\\Caf\xe9"});
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun status = Ctl("status --json", "");
    EXPECT_EQ(status.dwExitCode, 0u) << status.strErr;
    const json state = json::parse(status.strOut);
    EXPECT_EQ(state["service"], "running");
    EXPECT_EQ(state["installationFolder"], m_installDir);
    EXPECT_EQ(state["lists"], json::parse(R"({"locked": {"entries": 2, "complete": true},
                                              "trusted": {"entries": 1, "complete": true}})"));
    const ConsoleRun list = Ctl("list locked --json");
    EXPECT_EQ(list.dwExitCode, 0u) << list.strErr;
    EXPECT_EQ(json::parse(list.strOut),
              (json{{"list", "locked"}, {"complete", true}, {"entries", {"C:\\VtxCtl\\Zeta", "C:\\VtxCtl\\Caf\u00e9"}}}));

    const ConsoleRun quiet = Ctl("lock C:\\VtxCtl\\New C:\\Windows -q");
    EXPECT_EQ(quiet.dwExitCode, 1u);
    EXPECT_EQ(quiet.strOut, "");
    EXPECT_EQ(quiet.strErr, "Can't lock Windows System Directory: C:\\Windows\r\n");
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM).back(), "C:\\VtxCtl\\New");
    const ConsoleRun change = Ctl("lock C:\\VtxCtl\\Newer C:\\VtxCtl\\new C:\\Windows --json");
    EXPECT_EQ(change.dwExitCode, 1u);
    EXPECT_EQ(json::parse(change.strOut), json::parse(R"({"command": "lock", "dryRun": false, "changes": [
        {"list": "locked", "path": "C:\\VtxCtl\\Newer", "result": "added"},
        {"list": "locked", "path": "C:\\VtxCtl\\new", "result": "unchanged"},
        {"list": "locked", "path": "C:\\Windows", "result": "refused", "refusal": "Can't lock Windows System Directory"}],
        "counts": {"added": 1, "removed": 0, "refused": 1}})"));
}

// Each change a command would make is one line, then the counts; every refusal of the real run
// is reported; nothing is sent, written or recorded.
TEST_F(Vtxctl, DryRunShowsEachChangeAndEveryRefusalAndChangesNothing)
{
    SetLocked({"C:\\VtxCtl\\Listed"});
    SetTrusted({"C:\\VtxCtl\\Old.exe"});
    const struct {
        Paths args;
        DWORD exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        {{"lock", "C:\\VtxCtl\\New", "C:\\VtxCtl\\LISTED", "C:\\Windows"}, 1,
         "+ locked C:\\VtxCtl\\New\r\n1 to add, 0 to remove, 1 refused; nothing changed (dry run)\r\n",
         "Can't lock Windows System Directory: C:\\Windows\r\n"},
        {{"unlock", "C:\\VtxCtl\\listed", "C:\\VtxCtl\\Missing"}, 1,
         "- locked C:\\VtxCtl\\Listed\r\n0 to add, 1 to remove, 1 refused; nothing changed (dry run)\r\n",
         "Not in the locked list: C:\\VtxCtl\\Missing\r\n"},
        {{"trust", "C:\\VtxCtl\\New.exe"}, 0,
         "+ trusted C:\\VtxCtl\\New.exe\r\n1 to add, 0 to remove, 0 refused; nothing changed (dry run)\r\n", ""},
        {{"untrust", "C:\\VtxCtl\\Old.exe"}, 0,
         "- trusted C:\\VtxCtl\\Old.exe\r\n0 to add, 1 to remove, 0 refused; nothing changed (dry run)\r\n", ""},
    };
    for (const auto& c : cases) {
        Paths args = c.args;
        args.push_back("--dry-run");
        std::vector<AuditEventSeen> events;
        const ConsoleRun run = Ctl(args, events);
        EXPECT_EQ(run.dwExitCode, c.exitCode) << c.args[0];
        EXPECT_EQ(run.strOut, c.out);
        EXPECT_EQ(run.strErr, c.err);
        EXPECT_TRUE(events.empty()) << c.args[0];
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Listed"});
        EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), Paths{"C:\\VtxCtl\\Old.exe"});
        EXPECT_EQ(ListFiles(), "|");
    }
}

// The driver loads the list files at its start: what vtxctl wrote is what a restart brings back.
TEST_F(Vtxctl, LockReachesTheDriverAndTheListFileThatItsNextStartLoads)
{
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    const ConsoleRun run = Ctl("lock C:\\VtxCtl\\Docs \"rel\\My Notes\" c:\\vtxctl\\DOCS --password-stdin");
    const std::string relative = m_scratch.Path() + "\\rel\\My Notes";
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(run.strOut, "Added to the locked list: C:\\VtxCtl\\Docs\r\nAdded to the locked list: " + relative + "\r\n");
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Docs\r\n" + relative + "\r\n|") << "the trusted list did not change";

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
    std::vector<AuditEventSeen> events;
    const ConsoleRun unlock = Ctl({"unlock", "c:\\VTXCTL\\docs", "C:\\VtxCtl\\Missing", "--password-stdin"}, events);
    EXPECT_EQ(unlock.dwExitCode, 1u);
    EXPECT_EQ(unlock.strOut, "Removed from the locked list: C:\\VtxCtl\\Docs\r\n");
    EXPECT_EQ(unlock.strErr, "Not in the locked list: C:\\VtxCtl\\Missing\r\n");
    EXPECT_EQ(events, (std::vector<AuditEventSeen>{
                          {MSG_ENTRY_REMOVED, EVENTLOG_INFORMATION_TYPE, {"C:\\VtxCtl\\Docs", "locked"}}}));
    const ConsoleRun untrust = Ctl("untrust C:\\VTXCTL\\TOOL.EXE --password-stdin");
    EXPECT_EQ(untrust.dwExitCode, 0u) << untrust.strErr;
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Keep"});
    EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Keep\r\n|");
}

// A shortcut means what a drop onto the window's trusted list makes of it: the program it starts.
TEST_F(Vtxctl, TrustAndUntrustTakeAShortcutAsItsProgramAndRefuseOneToADocument)
{
    const std::string program = m_scratch.Make("Tools\\tool.exe");
    ASSERT_TRUE(::CopyFileA(DosPath(VTX_CTL_FILE).c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(WriteShortcut(m_scratch.Make("Tool.lnk"), program));
    const std::string document = m_scratch.Make("Docs\\notes.txt");
    ASSERT_TRUE(WriteTextFile(document, "notes"));
    ASSERT_TRUE(WriteShortcut(m_scratch.Make("Notes.lnk"), document));

    const ConsoleRun notes = Ctl("trust Notes.lnk --password-stdin");
    EXPECT_EQ(notes.dwExitCode, 1u);
    EXPECT_EQ(notes.strErr, "The shortcut's target is not a program: " + m_scratch.Path() + "\\Notes.lnk\r\n");
    EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
    EXPECT_EQ(ListFiles(), "|");

    const ConsoleRun trust = Ctl("trust Tool.lnk --password-stdin");
    EXPECT_EQ(trust.dwExitCode, 0u) << trust.strErr;
    EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), Paths{program});
    const ConsoleRun untrust = Ctl("untrust Tool.lnk --password-stdin");
    EXPECT_EQ(untrust.dwExitCode, 0u) << untrust.strErr;
    EXPECT_EQ(untrust.strOut, "Removed from the trusted list: " + program + "\r\n");
    EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
    EXPECT_EQ(ListFiles(), "|");
}

// Each refused path is told on standard error with the window's text; nothing is sent, no file
// written. Every other spelling of a refused folder is that folder, typed or imported.
TEST_F(Vtxctl, RefusesWhatTheWindowRefusesInAnySpellingAndWhatCannotBeSent)
{
    std::string upperInstall = m_installDir;
    CharUpperA(upperInstall.data());
    char shortInstall[MAX_PATH] = "";
    ASSERT_GT(::GetShortPathNameA(m_installDir.c_str(), shortInstall, MAX_PATH), 0u);
    ASSERT_STRNE(shortInstall, m_installDir.c_str()) << "the installation folder needs a short name of its own";
    const std::string system = "Can't lock Windows System Directory";
    const std::string own = "Can't lock Veltrix File";
    const struct {
        std::string command;
        std::string path;
        std::string refusal;
    } cases[] = {
        {"lock", "C:\\WINDOWS\\SYSTEM32", system},
        {"lock", "c:\\WiNdOwS\\sYsTeM32", system},
        {"lock", "C:\\Windows\\System32\\", system},
        {"lock", "C:\\Windows\\System32\\.", system},
        {"lock", "C:\\Windows\\..\\Windows\\System32", system},
        {"lock", "C:/Windows", system},
        {"lock", "\\\\.\\C:\\Windows", system},
        {"lock", "\\\\?\\C:\\Windows\\System32", system},
        {"lock", "\\\\localhost\\C$\\Windows", system},
        {"lock", shortInstall, own},
        {"lock", upperInstall + "\\DATA\\", own},
        {"trust", upperInstall + "\\VTX.EXE", "Don't need to trust Veltrix Program"},
        {"lock", "C:\\VtxCtl\\tab\there", "A control character in the path"},
        {"lock", "C:\\" + std::string(270, 'x'), "Path too long or empty"},
        {"lock", "C:\\VtxCtl\\what?", "A character outside the ANSI code page, or one no file name holds"},
        {"lock", "\\\\.\\PhysicalDrive0", "A device path; give the file or folder itself"},
    };
    for (const auto& c : cases) {
        const std::string section = c.command == "lock" ? "[locked]" : "[trusted]";
        ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", section + "\r\n" + c.path + "\r\n"));
        // A typed path is told as vtxctl made it full; an import line as it stands.
        char full[1024] = "";
        if (!::GetFullPathNameA(c.path.c_str(), sizeof full, full, nullptr))
            lstrcpynA(full, c.path.c_str(), sizeof full);  // too long for the call: kept as typed
        const std::string quoted = "\"" + c.path + (c.path.back() == '\\' ? "\\\"" : "\"");
        for (const std::string& args : {c.command + " " + quoted, std::string("import in.txt")}) {
            const ConsoleRun run = Ctl(args + " --password-stdin");
            EXPECT_EQ(run.dwExitCode, 1u) << args;
            EXPECT_EQ(run.strErr, c.refusal + ": " + (args[0] == 'i' ? c.path : full) + "\r\n") << args;
            EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty()) << args;
            EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty()) << args;
            EXPECT_EQ(ListFiles(), "|") << args;
        }
    }
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", "[locked]\r\nVtxCtl\\Relative\r\n"));
    EXPECT_EQ(Ctl("import in.txt").strErr, "Not a full path (a drive or \\\\server\\share): VtxCtl\\Relative\r\n");
}

// A list the driver did not give whole is not changed: its file could not be written to match,
// and the change would be gone at the next start. Only a changed list's file is written.
TEST_F(Vtxctl, ChangesNoListThatTheDriverDidNotGiveWhole)
{
    CStandinModeGuard failing(VTX_MODE_FAIL_AFTER_MORE);
    ASSERT_TRUE(failing.Running());
    SetTrusted({"C:\\VtxCtl\\1.exe", "C:\\VtxCtl\\2.exe", "C:\\VtxCtl\\3.exe"});
    PutFile(LockedFile(), "C:\\VtxCtl\\Old\r\n");
    PutFile(TrustedFile(), "C:\\VtxCtl\\Old.exe\r\n");
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", "[locked]\r\nC:\\VtxCtl\\X\r\n[trusted]\r\nC:\\VtxCtl\\X.exe\r\n"));
    for (const char* args : {"trust C:\\VtxCtl\\X.exe", "untrust C:\\VtxCtl\\1.exe", "import in.txt"}) {
        const ConsoleRun run = Ctl(args);
        EXPECT_EQ(run.dwExitCode, 1u) << args;
        EXPECT_EQ(run.strOut, "") << args;
        EXPECT_EQ(run.strErr, "Can't read trusted list from Veltrix driver!\r\n") << args;
        EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty()) << args;
        EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM).size(), 2u) << args << ": the two the driver gives before failing";
        EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Old\r\n|C:\\VtxCtl\\Old.exe\r\n") << args;
    }
    const ConsoleRun lock = Ctl("lock C:\\VtxCtl\\X");
    EXPECT_EQ(lock.dwExitCode, 0u) << lock.strErr;
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\X\r\n|C:\\VtxCtl\\Old.exe\r\n");
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
    EXPECT_EQ(run.strErr, "A character outside the ANSI code page, or one no file name holds: C:\\VtxCtl\\?mega\r\n");
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
    EXPECT_TRUE(nlohmann::json::parse(Ctl("status --json", "").strOut)["lists"]["locked"]["entries"].is_null());
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

    // A read that fails is not the end of the file: here the pipe it comes through breaks after
    // its first part.
    const char pipeName[] = "\\\\.\\pipe\\vtxctl-import";
    CHandle pipe(::CreateNamedPipeA(pipeName, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr));
    ASSERT_TRUE(pipe);
    std::thread writer([&] {
        const char part[] = "[locked]\r\nC:\\VtxCtl\\First\r\nC:\\VtxCtl\\Sec";
        DWORD written = 0;
        ::ConnectNamedPipe(pipe.Get(), nullptr);
        ::WriteFile(pipe.Get(), part, sizeof part - 1, &written, nullptr);
        ::Sleep(500);
        ::DisconnectNamedPipe(pipe.Get());
    });
    const ConsoleRun cut = Ctl(std::string("import ") + pipeName);
    writer.join();
    EXPECT_EQ(cut.dwExitCode, 1u);
    EXPECT_EQ(cut.strErr, std::string("Can't read ") + pipeName + "\r\n");
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New"}));
}

// A machine's lists made the file's, after a dry run that shows exactly that and changes nothing:
// what a list lacks added in the file's order, what the file does not list removed, each change
// and the import itself in the audit trail; a list that the file does not name is left alone.
TEST_F(Vtxctl, ImportReplaceMakesEachListTheFilesAfterADryRunThatChangesNothing)
{
    SetLocked({"C:\\VtxCtl\\Old", "C:\\VtxCtl\\Keep"});
    SetTrusted({"C:\\VtxCtl\\Gone.exe", "C:\\VtxCtl\\Kept.exe"});
    const std::string file = m_scratch.Path() + "\\in.txt";
    ASSERT_TRUE(WriteTextFile(file, "[locked]\r\nc:\\vtxctl\\KEEP\r\nC:\\VtxCtl\\New\r\n"
                                    "[trusted]\r\nC:\\VtxCtl\\Kept.exe\r\nC:\\VtxCtl\\New.exe\r\n"));
    std::vector<AuditEventSeen> events;
    const ConsoleRun dry = Ctl({"import", "--replace", "in.txt", "--dry-run"}, events);
    EXPECT_EQ(dry.dwExitCode, 0u) << dry.strErr;
    EXPECT_EQ(dry.strOut, "+ locked C:\\VtxCtl\\New\r\n- locked C:\\VtxCtl\\Old\r\n"
                          "+ trusted C:\\VtxCtl\\New.exe\r\n- trusted C:\\VtxCtl\\Gone.exe\r\n"
                          "2 to add, 2 to remove, 0 refused; nothing changed (dry run)\r\n");
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Old", "C:\\VtxCtl\\Keep"}));
    EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), (Paths{"C:\\VtxCtl\\Gone.exe", "C:\\VtxCtl\\Kept.exe"}));
    EXPECT_EQ(ListFiles(), "|");

    const ConsoleRun run = Ctl({"import", "--replace", "in.txt"}, events);
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Keep", "C:\\VtxCtl\\New"}));
    EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), (Paths{"C:\\VtxCtl\\Kept.exe", "C:\\VtxCtl\\New.exe"}));
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Keep\r\nC:\\VtxCtl\\New\r\n|C:\\VtxCtl\\Kept.exe\r\nC:\\VtxCtl\\New.exe\r\n");
    const WORD info = EVENTLOG_INFORMATION_TYPE;
    EXPECT_EQ(events, (std::vector<AuditEventSeen>{
                          {MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\New", "locked"}},
                          {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Old", "locked"}},
                          {MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\New.exe", "trusted"}},
                          {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Gone.exe", "trusted"}},
                          {MSG_LISTS_IMPORTED, info, {file, "2", "2", "0"}}}));

    // An empty section empties its list; the list of no section stays as it is.
    ASSERT_TRUE(WriteTextFile(file, "[trusted]\r\n"));
    EXPECT_EQ(Ctl("import --replace in.txt").dwExitCode, 0u);
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Keep", "C:\\VtxCtl\\New"}));
    EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
}

// A refused line may stand for an entry the list holds: that list keeps everything.
TEST_F(Vtxctl, ImportReplaceRemovesNothingFromAListWithARefusedLine)
{
    SetLocked({"C:\\VtxCtl\\Old"});
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", "[locked]\r\n%VtxCtlNoSuch%\\Old\r\nC:\\VtxCtl\\New\r\n"));
    for (const char* dryRun : {" --dry-run", ""}) {
        const ConsoleRun run = Ctl(std::string("import --replace in.txt") + dryRun);
        EXPECT_EQ(run.dwExitCode, 1u) << dryRun;
        EXPECT_EQ(run.strErr, "Unknown variable %VtxCtlNoSuch%: %VtxCtlNoSuch%\\Old\r\n"
                              "Nothing removed from the locked list: a line of " + m_scratch.Path() +
                              "\\in.txt for it was refused.\r\n") << dryRun;
    }
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (Paths{"C:\\VtxCtl\\Old", "C:\\VtxCtl\\New"}));
}

// Variables are the importing machine's; a line naming one it lacks is refused, the rest taken.
TEST_F(Vtxctl, ImportExpandsEnvironmentVariablesAndRefusesAnUndefinedOne)
{
    char drive[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableA("SystemDrive", drive, MAX_PATH), 0u);
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt",
                              "[locked]\r\n%SystemDrive%\\VtxCtl\\Data\r\n%VtxCtlNoSuch%\\Data\r\n"
                              "[trusted]\r\n%systemdrive%\\VtxCtl\\T.exe\r\n"));
    const ConsoleRun run = Ctl("import in.txt");
    EXPECT_EQ(run.dwExitCode, 1u);
    EXPECT_EQ(run.strErr, "Unknown variable %VtxCtlNoSuch%: %VtxCtlNoSuch%\\Data\r\n");
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{std::string(drive) + "\\VtxCtl\\Data"});
    EXPECT_EQ(DriverList(IOCTL_TRUST_ENUM), Paths{std::string(drive) + "\\VtxCtl\\T.exe"});
}

// The password file is the login's: the default password no longer opens once it holds another.
TEST_F(Vtxctl, WrongPasswordShowsAndChangesNothing)
{
    SetLocked({"C:\\VtxCtl\\Kept"});
    ASSERT_TRUE(WriteTextFile(m_scratch.Path() + "\\in.txt", "[locked]\r\nC:\\VtxCtl\\New\r\n"));
    const std::vector<Paths> commands = {{"list", "locked"}, {"lock", "C:\\VtxCtl\\New"}, {"unlock", "C:\\VtxCtl\\Kept"},
                                         {"import", "in.txt"}, {"export", "out.txt"}};
    for (Paths args : commands) {
        args.push_back("--password-stdin");
        std::vector<AuditEventSeen> events;
        const ULONGLONG start = ::GetTickCount64();
        const ConsoleRun run = Ctl(args, events, "quimbly");
        // A wrong password costs two seconds: no script tries passwords at speed.
        EXPECT_GE(::GetTickCount64() - start, 2000u) << args[0];
        EXPECT_EQ(run.dwExitCode, 3u) << args[0];
        EXPECT_EQ(run.strOut, "") << args[0];
        EXPECT_EQ(run.strErr, "Wrong password.\r\n") << args[0];
        EXPECT_EQ(events, (std::vector<AuditEventSeen>{{MSG_CTL_WRONG_PASSWORD, EVENTLOG_WARNING_TYPE, {args[0]}}}));
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), Paths{"C:\\VtxCtl\\Kept"}) << args[0];
        EXPECT_EQ(ListFiles(), "|") << args[0];
        EXPECT_FALSE(ReadWholeFile(m_scratch.Path() + "\\out.txt")) << args[0];
    }
}

// Either name of the guard held elsewhere refuses: a window in another session holds the
// global one, which Wine keeps apart from the session's own, as Windows does.
TEST_F(Vtxctl, RefusesWhileVeltrixRunsUnderEitherName)
{
    for (const char* name : {"Veltrix", "Global\\Veltrix"}) {
        const CHandle running(::CreateMutexA(nullptr, TRUE, name));
        ASSERT_TRUE(running) << name;
        for (const char* args : {"list locked", "lock C:\\VtxCtl\\New", "import in.txt"}) {
            const ConsoleRun run = Ctl(args);
            EXPECT_EQ(run.dwExitCode, 4u) << name << ": " << args;
            EXPECT_EQ(run.strErr, "Veltrix is running; close it first.\r\n") << name << ": " << args;
        }
        ::ReleaseMutex(running.Get());
    }
    EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty());
    EXPECT_EQ(ListFiles(), "|");
}

// A run that ended holding the guard (killed between its requests and its files) left the files
// behind the driver: the next run writes them from the driver before anything else.
TEST_F(Vtxctl, AfterAnAbandonedGuardTheListFilesAreWrittenFromTheDriverFirst)
{
    SetLocked({"C:\\VtxCtl\\Sent"});
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    CHandle abandoned;
    std::thread([&] { abandoned.Attach(::CreateMutexA(nullptr, TRUE, "Global\\Veltrix")); }).join();
    ASSERT_TRUE(abandoned);
    const ConsoleRun run = Ctl("list trusted");
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Sent\r\n|C:\\VtxCtl\\Tool.exe\r\n");
}

// Held by another program without sharing, the file cannot be read: that opens the gate to no
// password, not to the default one. Held with read sharing, or marked read-only, it is read.
TEST_F(Vtxctl, PasswordFileThatCannotBeReadAcceptsNoPassword)
{
    const std::string password = DataFile(2);
    {
        const CHandle holder(::CreateFileA(password.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        for (const char* typed : {kPassword, "quimbly"}) {
            const ConsoleRun run = Ctl("list locked --password-stdin", typed);
            EXPECT_EQ(run.dwExitCode, 3u) << typed;
            EXPECT_EQ(run.strErr, "Can't read data\\password.txt\r\n") << typed;
        }
    }
    {
        const CHandle reader(::CreateFileA(password.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(Ctl("list locked --password-stdin").dwExitCode, 0u);
        EXPECT_EQ(Ctl("list locked --password-stdin", "quimbly").dwExitCode, 3u);
    }
    ASSERT_TRUE(::SetFileAttributesA(password.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Ctl("list locked --password-stdin").dwExitCode, 0u);
    EXPECT_EQ(Ctl("list locked --password-stdin", "quimbly").dwExitCode, 3u);
    ::SetFileAttributesA(password.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The list files hold what the driver enforces: readable to SYSTEM and Administrators only,
// whatever the data folder lets others do.
TEST_F(Vtxctl, WrittenListFilesGetTheAdministratorsOnlyAccessList)
{
    if (!AccessListsAreKept())
        GTEST_SKIP() << "files keep no access list here (Wine 8 neither stores nor applies one)";
    ASSERT_EQ(Ctl("lock C:\\VtxCtl\\Docs").dwExitCode, 0u);
    EXPECT_EQ(AccessListOf(LockedFile()), kAdministratorsOnly);
    EXPECT_EQ(AccessListOf(TrustedFile()), kAdministratorsOnly);
}

// A path as the driver holds it, in UTF-16: also what no ANSI code page holds.
bool SendWidePath(const std::wstring& path, DWORD code)
{
    const CHandle device(OpenVeltrixDevice());
    DWORD returned = 0;
    return device && ::DeviceIoControl(device.Get(), code, const_cast<wchar_t*>(path.data()),
                                       static_cast<DWORD>(path.size() * 2), nullptr, 0, &returned, nullptr);
}

// An entry the code page cannot hold as itself is not shown as another path: not as the default
// character, not as a look-alike (a best fit), not with a lone surrogate made U+FFFD.
TEST_F(Vtxctl, DriverEntriesOutsideTheAnsiCodePageAreNotShownAsOtherPaths)
{
    SetLocked({"C:\\VtxCtl\\Plain"});
    for (const wchar_t* foreign : {L"C:\\VtxCtl\\\u03A9mega", L"C:\\VtxCtl\\\u0100bc", L"C:\\VtxCtl\\e\u0301"}) {
        ASSERT_TRUE(SendWidePath(foreign, IOCTL_LOCK_ADD));
        const ConsoleRun run = Ctl("list locked");
        EXPECT_EQ(run.dwExitCode, 1u);
        EXPECT_EQ(run.strOut, "C:\\VtxCtl\\Plain\r\n");
        EXPECT_EQ(run.strErr, "Can't read locked list from Veltrix driver!\r\n");
        ASSERT_TRUE(SendWidePath(foreign, IOCTL_LOCK_REMOVE));
    }
}

// The command line run in a console of its own, with the text typed there and Enter; its exit code.
DWORD RunAtConsole(const std::string& commandLine, const std::wstring& typed, const char* currentDir)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, currentDir,
                          &startup, &process)) {
        ADD_FAILURE() << "not started: error " << ::GetLastError();
        return ~0u;
    }
    const CHandle child(process.hProcess);
    ::CloseHandle(process.hThread);
    ::FreeConsole();
    EXPECT_TRUE(PollUntil([&] { return ::AttachConsole(process.dwProcessId) != FALSE; })) << "no console to type in";
    {
        const CHandle input(::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        std::vector<INPUT_RECORD> keys;
        for (const wchar_t c : typed + L"\r")
            for (const BOOL down : {TRUE, FALSE}) {
                INPUT_RECORD key{};
                key.EventType = KEY_EVENT;
                key.Event.KeyEvent.bKeyDown = down;
                key.Event.KeyEvent.wRepeatCount = 1;
                key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
                key.Event.KeyEvent.uChar.UnicodeChar = c;
                keys.push_back(key);
            }
        DWORD written = 0;
        EXPECT_TRUE(::WriteConsoleInputW(input.Get(), keys.data(), static_cast<DWORD>(keys.size()), &written));
    }
    ::FreeConsole();
    if (::WaitForSingleObject(child.Get(), kStepTimeout) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "still waiting for its password";
        ::TerminateProcess(child.Get(), 1);
        return ~0u;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(child.Get(), &code);
    return code;
}

// Typed at the console, the password is taken as the characters typed, in the ANSI code page as
// the window takes it: not as the console's OEM bytes. Blanks are the password's own.
TEST_F(Vtxctl, PasswordTypedAtTheConsoleIsDigestedAsTheWindowDigestsIt)
{
    const char windowBytes[] = " p\xF6ss ";  // " pöss " in code page 1252
    PutFile(DataFile(2), DigestFileContent(MD5HexDigest(windowBytes, sizeof windowBytes - 1)));
    const std::string command = "\"" + DosPath(VTX_CTL_FILE) + "\" list locked";
    EXPECT_EQ(RunAtConsole(command, L" p\u00F6ss ", m_scratch.Path().c_str()), 0u);
    EXPECT_EQ(RunAtConsole(command, L"p\u00F6ss", m_scratch.Path().c_str()), 3u);
}

TEST_F(Vtxctl, ManifestRunsItAsInvoked)
{
    const HMODULE ctl = ::LoadLibraryExA(DosPath(VTX_CTL_FILE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(ctl);
    const HRSRC resource = ::FindResourceA(ctl, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(resource) << "no manifest";
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(ctl, resource))),
                               ::SizeofResource(ctl, resource));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << manifest;
    ::FreeLibrary(ctl);
}

// Output that never arrived is no success: a script reading only the first line closes the pipe.
TEST_F(Vtxctl, OutputToAClosedPipeExitsWithOne)
{
    SetLocked({"C:\\VtxCtl\\A"});
    for (const char* args : {"--help", "status", "list locked"}) {
        const ConsoleRun run = RunConsoleProgram("\"" + DosPath(VTX_CTL_FILE) + "\" " + args, std::string(kPassword) + "\n",
                                                 m_scratch.Path().c_str(), kStepTimeout, ConsoleOutput::ClosedPipe);
        EXPECT_EQ(run.dwExitCode, 1u) << args;
        EXPECT_EQ(run.strErr, "Can't write to standard output.\r\n") << args;
    }
}

}  // namespace
