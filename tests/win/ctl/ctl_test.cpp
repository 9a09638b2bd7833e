// vtxctl.exe as an administrator's script runs it: a child process against the stand-in driver,
// started from a folder of no meaning to it, judged by its output, its exit code, the driver's
// lists and the list files it writes. What only the program itself does is here: its arguments,
// password, guard, exit codes and output; the list actions run in-process in list_actions_test.cpp.
#include "driver/core/names.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "support/audit_events.h"
#include "support/driver_lists.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/service_probe.h"
#include "support/shell_link_files.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
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
        ASSERT_TRUE(WriteWholeFile(path, *bytes)) << path;
    else
        ::DeleteFileA(path.c_str());
}

using Paths = std::vector<std::string>;

// vtxctl's mark of a change in progress under the service's key.
bool HasChangeMarkValue()
{
    return ::RegGetValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_CHANGE_MARK_VALUE, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

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
        ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_CHANGE_MARK_VALUE);
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
    // The trail on, so that each test sees the events of its commands.
    const CAuditSwitch m_auditOn{true};
    std::optional<std::string> m_savedFiles[3];
};

TEST_F(Vtxctl, HelpFitsOneScreenAndWrongUsageExitsWithTwo)
{
    const ConsoleRun help = Ctl("--help");
    EXPECT_EQ(help.dwExitCode, 0u);
    EXPECT_NE(help.strOut.find("3 wrong password, 4 another Veltrix running, 5 the driver cannot be reached,\r\n"
                               "6 (--check) something would change.\r\n"),
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
                              "\r\nAudit trail: on\r\nlocked list entries: 2\r\ntrusted list entries: 1\r\n");
}

// Output for scripts: one JSON document read back by a JSON reader; -q leaves errors only. (The
// JSON of the other commands is tested in-process, list_actions_test.cpp.)
TEST_F(Vtxctl, StatusAsJsonAndQuietForErrorsOnly)
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

    const ConsoleRun quiet = Ctl("lock C:\\VtxCtl\\New C:\\Windows -q");
    EXPECT_EQ(quiet.dwExitCode, 1u);
    EXPECT_EQ(quiet.strOut, "");
    EXPECT_EQ(quiet.strErr, "Can't lock Windows System Directory: C:\\Windows\r\n");
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM).back(), "C:\\VtxCtl\\New");
}

// Off, not one event, and the source stays as it is; "audit on" is the trail's first event,
// "audit off" its last; status tells which, and the switch stays where vtxctl set it.
TEST_F(Vtxctl, AuditOnAndOffSwitchTheTrailWithItsFirstAndLastEvent)
{
    const CAuditSwitch off(false);
    const auto status = [&] { return Ctl("status", "").strOut; };
    const std::string where = "Service: running\r\nInstallation folder: " + m_installDir + "\r\nAudit trail: ";
    EXPECT_EQ(status().rfind(where + "off\r\n", 0), 0u) << status();
    const WORD info = EVENTLOG_INFORMATION_TYPE;
    const struct {
        Paths args;
        std::string out;
        std::vector<AuditEventSeen> events;
        std::optional<DWORD> switched;
    } steps[] = {
        {{"lock", "C:\\VtxCtl\\Quiet"}, "Added to the locked list: C:\\VtxCtl\\Quiet\r\n", {}, 0},
        {{"lock", "C:\\VtxCtl\\Gone"}, "", {}, 0},  // a wrong password, unrecorded
        {{"audit", "on"}, "The audit trail is now on.\r\n", {{MSG_AUDIT_TRAIL_ON, info, {}}}, 1},
        {{"lock", "C:\\VtxCtl\\Seen"}, "Added to the locked list: C:\\VtxCtl\\Seen\r\n",
         {{MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\Seen", "locked"}}}, 1},
        {{"audit", "on"}, "The audit trail was already on.\r\n", {}, 1},
        {{"audit", "off"}, "The audit trail is now off.\r\n", {{MSG_AUDIT_TRAIL_OFF, info, {}}}, 0},
        {{"unlock", "C:\\VtxCtl\\Seen"}, "Removed from the locked list: C:\\VtxCtl\\Seen\r\n", {}, 0},
    };
    for (const auto& step : steps) {
        std::vector<AuditEventSeen> events;
        const bool wrong = step.args[1] == "C:\\VtxCtl\\Gone";
        const ConsoleRun run = Ctl(step.args, events, wrong ? "quimbly" : kPassword);
        EXPECT_EQ(run.dwExitCode, wrong ? 3u : 0u) << step.args[0] << " " << step.args[1] << ": " << run.strErr;
        EXPECT_EQ(run.strOut, step.out);
        EXPECT_EQ(events, step.events) << step.args[0] << " " << step.args[1];
        EXPECT_EQ(CAuditSwitch::Read(), step.switched) << step.args[0] << " " << step.args[1];
        if (step.args[0] == "audit")
            EXPECT_EQ(status().rfind(where + step.args[1] + "\r\n", 0), 0u) << status();
    }
    // Reading the key is all that status needs; the switch needs writing it.
    {
        const CReadOnlyServiceKey readOnly;
        ASSERT_TRUE(readOnly.Applied());
        EXPECT_EQ(Ctl("status", "").dwExitCode, 0u);
        const ConsoleRun refused = Ctl("audit on");
        EXPECT_EQ(refused.dwExitCode, 1u);
        EXPECT_EQ(refused.strErr, "Can't set the audit trail's switch (vtxaudit of the service veltrix).\r\n");
        EXPECT_EQ(CAuditSwitch::Read(), 0u);
    }
    const ConsoleRun json = Ctl("audit on --json");
    EXPECT_EQ(nlohmann::json::parse(json.strOut),
              (nlohmann::json{{"command", "audit"}, {"auditTrail", "on"}, {"changed", true}}));
    EXPECT_EQ(nlohmann::json::parse(Ctl("status --json", "").strOut)["auditTrail"], "on");
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
                                 "\r\nAudit trail: on\r\nlocked list entries: unknown, the driver cannot be reached"
                                 "\r\ntrusted list entries: unknown, the driver cannot be reached\r\n");
}

// The password file is the login's: the default password no longer opens once it holds another.
TEST_F(Vtxctl, WrongPasswordShowsAndChangesNothing)
{
    SetLocked({"C:\\VtxCtl\\Kept"});
    ASSERT_TRUE(WriteWholeFile(m_scratch.Path() + "\\in.txt", "[locked]\r\nC:\\VtxCtl\\New\r\n"));
    const std::vector<Paths> commands = {{"list", "locked"}, {"lock", "C:\\VtxCtl\\New"}, {"unlock", "C:\\VtxCtl\\Kept"},
                                         {"import", "in.txt"}, {"export", "out.txt"}, {"audit", "on"}};
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

// Either part of the guard held elsewhere refuses: a window in another session holds the
// cross-session one, "Global\Veltrix" where the system has no private namespaces (Wine).
TEST_F(Vtxctl, RefusesWhileVeltrixRunsUnderEitherName)
{
    for (const char* name : {VTX_INSTANCE_MUTEX, VTX_GLOBAL_INSTANCE_MUTEX}) {
        const CHandle running(::CreateMutexA(nullptr, TRUE, name));
        ASSERT_TRUE(running) << name;
        for (const char* args : {"list locked", "lock C:\\VtxCtl\\New", "import in.txt", "audit on"}) {
            const ConsoleRun run = Ctl(args);
            EXPECT_EQ(run.dwExitCode, 4u) << name << ": " << args;
            EXPECT_EQ(run.strErr, "Veltrix is running; close it first.\r\n") << name << ": " << args;
        }
        ::ReleaseMutex(running.Get());
    }
    EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty());
    EXPECT_EQ(ListFiles(), "|");
}

// A run killed in the middle of an import (a deployment tool's timeout, Task Manager), with no
// other handle on its mutex, leaves no abandoned mutex behind, only its mark under the service's
// key: the next run writes both files from the driver before anything else and clears the mark.
// A run that ends normally gives the guard back: a handle held elsewhere meanwhile (the setup's
// check) finds it released, not abandoned.
TEST_F(Vtxctl, AfterARunKilledInTheMiddleOfAnImportTheNextRunWritesBothFilesFromTheDriver)
{
    SetTrusted({"C:\\VtxCtl\\Tool.exe"});
    constexpr int kLines = 1000;
    std::string lines = "[locked]\n";
    for (int i = 0; i < kLines; ++i)
        lines += "C:\\VtxCtl\\Many\\" + std::to_string(i) + "\n";
    ASSERT_TRUE(WriteWholeFile(m_scratch.Path() + "\\many.txt", lines));
    const ConsoleRun killed = RunConsoleProgram("\"" + DosPath(VTX_CTL_FILE) + "\" import many.txt",
                                                std::string(kPassword) + "\r\n", m_scratch.Path().c_str(),
                                                kStepTimeout, ConsoleOutput::File,
                                                [] { return HasChangeMarkValue() && !DriverList(IOCTL_LOCK_ENUM).empty(); });
    ASSERT_EQ(killed.dwExitCode, kKilledExitCode) << "the import ended before it was killed";
    const size_t sent = DriverList(IOCTL_LOCK_ENUM).size();
    std::printf("killed after %zu of %d requests; mark left: %d; files: \"%s\"\n", sent, kLines,
                HasChangeMarkValue(), ListFiles().c_str());
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, static_cast<size_t>(kLines));
    EXPECT_TRUE(HasChangeMarkValue());
    EXPECT_EQ(ListFiles(), "|");

    const CHandle setupCheck(::CreateMutexA(nullptr, FALSE, VTX_INSTANCE_MUTEX));
    const ConsoleRun next = Ctl("list trusted");
    EXPECT_EQ(next.dwExitCode, 0u) << next.strErr;
    EXPECT_EQ(::WaitForSingleObject(setupCheck.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(setupCheck.Get());
    const std::string lockedFile = ReadWholeFile(LockedFile()).value_or("(none)");
    std::printf("next run: exit %lu; filter.txt %zu lines, equal to the driver's: %d; TrustedPs.txt \"%s\"; mark: %d\n",
                next.dwExitCode, static_cast<size_t>(std::count(lockedFile.begin(), lockedFile.end(), '\n')),
                lockedFile == ListFileBytes(DriverList(IOCTL_LOCK_ENUM)), ReadWholeFile(TrustedFile()).value_or("(none)").c_str(),
                HasChangeMarkValue());
    EXPECT_EQ(lockedFile, ListFileBytes(DriverList(IOCTL_LOCK_ENUM)));
    EXPECT_EQ(ReadWholeFile(TrustedFile()), ListFileBytes(DriverList(IOCTL_TRUST_ENUM)));
    EXPECT_FALSE(HasChangeMarkValue());
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
