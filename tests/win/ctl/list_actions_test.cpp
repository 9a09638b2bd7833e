// vtxctl's list actions in-process, as the window's tests run the window: against the played
// driver, in a scratch installation folder, judged by what they print, their exit codes, the
// driver's lists, the list files and the audit trail. The end-to-end runs of vtxctl.exe are in
// ctl_test.cpp.
#include "ctl/list_actions.h"
#include "driver/core/protocol.h"
#include "lists/admission.h"
#include "support/audit_events.h"
#include "support/file_access.h"
#include "support/main_window_harness.h"
#include "support/shell_link_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

// A stream written to a temporary file, read back whole.
class CaughtStream {
public:
    CaughtStream() : m_file(std::tmpfile()) {}
    ~CaughtStream() { std::fclose(m_file); }
    CaughtStream(const CaughtStream&) = delete;
    CaughtStream& operator=(const CaughtStream&) = delete;

    std::FILE* Get() const { return m_file; }
    std::string Text() const
    {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file))
            text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* m_file;
};

struct ActionRun {
    int code;
    std::string out;
    std::string err;
};

// Each test starts with both of the played driver's lists empty and both list files empty.
class ListActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteWholeFile(LockedFile(), ""));
        ASSERT_TRUE(WriteWholeFile(TrustedFile(), ""));
    }

    // vtxctl with the arguments, as it parses them and with its operands made full against the
    // scratch folder it was started in; the password is vtxctl.exe's own business.
    ActionRun Ctl(const Paths& args)
    {
        CtlCommand command;
        EXPECT_TRUE(ParseCtlCommand(args, command)) << args[0];
        Paths operands;
        ::SetCurrentDirectoryA(m_install.Root().c_str());
        for (const std::string& operand : command.operands)
            operands.push_back(MachinePathFacts().FullPath(operand));
        ::SetCurrentDirectoryA(m_install.Path().c_str());
        const CaughtStream out, err;
        CListActions actions(m_driver, MachinePathFacts(), out.Get(), err.Get());
        const int code = actions.Run(command, operands);
        return {code, out.Text(), err.Text()};
    }

    std::string LockedFile() const { return m_install.DataFile("filter.txt"); }
    std::string TrustedFile() const { return m_install.DataFile("TrustedPs.txt"); }
    std::string ListFiles() const
    {
        return ReadWholeFile(LockedFile()).value_or("(none)") + "|" + ReadWholeFile(TrustedFile()).value_or("(none)");
    }
    std::string Scratch(const std::string& name) const { return m_install.Root() + "\\" + name; }
    std::vector<AuditEventSeen> Events() const { return DetailsOf(m_events.m_events, "win_ctl_actions.exe"); }

    InstallFolder m_install{"vtxctl-actions"};
    FakeDriver m_driver;
    CAuditRecorder m_events;
};

TEST_F(ListActions, ListPrintsTheDriversListInItsOrderAndTellsOneNotReadWhole)
{
    using nlohmann::json;
    m_driver.m_locked = {"C:\\VtxCtl\\Zeta", "C:\\VtxCtl\\Donn\xe9" "es"};
    m_driver.m_trusted = {"C:\\VtxCtl\\Tool.exe"};
    const ActionRun locked = Ctl({"list", "locked"});
    EXPECT_EQ(locked.code, kCtlDone) << locked.err;
    EXPECT_EQ(locked.out, "C:\\VtxCtl\\Zeta\nC:\\VtxCtl\\Donn\xe9" "es\n");
    EXPECT_EQ(Ctl({"list", "trusted"}).out, "C:\\VtxCtl\\Tool.exe\n");
    // JSON in ASCII, whatever the code page of the paths: Windows PowerShell reads a program's
    // output in the console's code page.
    const std::string text = Ctl({"list", "locked", "--json"}).out;
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c > 0; })) << text;
    EXPECT_NE(text.find("C:\\\\VtxCtl\\\\Donn\\u00e9es"), std::string::npos) << text;
    EXPECT_EQ(json::parse(text), (json{{"list", "locked"}, {"complete", true},
                                       {"entries", {"C:\\VtxCtl\\Zeta", "C:\\VtxCtl\\Donn\u00e9es"}}}));

    m_driver.m_nAnswers = 1;
    const ActionRun cut = Ctl({"list", "locked"});
    EXPECT_EQ(cut.code, kCtlFailed);
    EXPECT_EQ(cut.out, "C:\\VtxCtl\\Zeta\n");
    EXPECT_EQ(cut.err, "Can't read locked list from Veltrix driver!\n");
    EXPECT_EQ(json::parse(Ctl({"list", "locked", "--json"}).out)["complete"], false);

    // Gone since vtxctl found it: the list is unknown, not empty.
    m_driver.m_bNoDevice = true;
    const ActionRun gone = Ctl({"list", "locked", "--json"});
    EXPECT_EQ(gone.code, kCtlNoDriver);
    EXPECT_EQ(gone.out, "");
    EXPECT_EQ(gone.err, "The driver cannot be reached.\n");
}

// Each path is sent once, in the driver's spelling for a removal; a request the driver does not
// take is reported and left out of the list and its file; each change done is an audit event.
TEST_F(ListActions, ChangesReachTheDriverTheListFileAndTheAuditTrailAndAFailedRequestIsLeftOut)
{
    using nlohmann::json;
    m_driver.m_trusted = {"C:\\VtxCtl\\Tool.exe"};
    const std::string relative = m_install.Root() + "\\rel\\My Notes";
    const ActionRun lock = Ctl({"lock", "C:\\VtxCtl\\Docs", "rel\\My Notes", "c:\\vtxctl\\DOCS"});
    EXPECT_EQ(lock.code, kCtlDone) << lock.err;
    EXPECT_EQ(lock.out, "Added to the locked list: C:\\VtxCtl\\Docs\nAdded to the locked list: " + relative + "\n");
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Docs", relative}));
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Docs\r\n" + relative + "\r\n|") << "the trusted list did not change";

    m_driver.m_refused = {"C:\\VtxCtl\\Refused"};
    const ActionRun refused = Ctl({"lock", "C:\\VtxCtl\\Refused", "C:\\VtxCtl\\Taken", "--json"});
    EXPECT_EQ(refused.code, kCtlFailed);
    EXPECT_EQ(refused.err, "The driver did not take: C:\\VtxCtl\\Refused\n");
    EXPECT_EQ(json::parse(refused.out), json::parse(R"({"command": "lock", "dryRun": false, "changes": [
        {"list": "locked", "path": "C:\\VtxCtl\\Refused", "result": "failed", "refusal": "The driver did not take"},
        {"list": "locked", "path": "C:\\VtxCtl\\Taken", "result": "added"}],
        "counts": {"added": 1, "removed": 0, "refused": 1}})"));
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Docs\r\n" + relative + "\r\nC:\\VtxCtl\\Taken\r\n|");

    m_driver.m_refused = {"C:\\VtxCtl\\Taken"};
    const ActionRun unlock = Ctl({"unlock", "c:\\VTXCTL\\docs", "C:\\VtxCtl\\Missing", "C:\\VtxCtl\\Taken"});
    EXPECT_EQ(unlock.code, kCtlFailed);
    EXPECT_EQ(unlock.out, "Removed from the locked list: C:\\VtxCtl\\Docs\n");
    EXPECT_EQ(unlock.err, "Not in the locked list: C:\\VtxCtl\\Missing\nThe driver did not remove: C:\\VtxCtl\\Taken\n");
    const ActionRun untrust = Ctl({"untrust", "C:\\VTXCTL\\TOOL.EXE"});
    EXPECT_EQ(untrust.code, kCtlDone) << untrust.err;
    EXPECT_EQ(m_driver.m_locked, (Paths{relative, "C:\\VtxCtl\\Taken"}));
    EXPECT_TRUE(m_driver.m_trusted.empty());
    EXPECT_EQ(ListFiles(), relative + "\r\nC:\\VtxCtl\\Taken\r\n|");
    const WORD info = EVENTLOG_INFORMATION_TYPE;
    EXPECT_EQ(Events(), (std::vector<AuditEventSeen>{{MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\Docs", "locked"}},
                                                     {MSG_ENTRY_ADDED, info, {relative, "locked"}},
                                                     {MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\Taken", "locked"}},
                                                     {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Docs", "locked"}},
                                                     {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Tool.exe", "trusted"}}}));
}

// Each change a command would make is one line, then the counts; every refusal of the real run
// is reported; nothing is sent, written or recorded.
TEST_F(ListActions, DryRunShowsEachChangeAndEveryRefusalAndChangesNothing)
{
    m_driver.m_locked = {"C:\\VtxCtl\\Listed"};
    m_driver.m_trusted = {"C:\\VtxCtl\\Old.exe"};
    const struct {
        Paths args;
        int code;
        std::string out;
        std::string err;
    } cases[] = {
        {{"lock", "C:\\VtxCtl\\New", "C:\\VtxCtl\\LISTED", "C:\\Windows"}, kCtlFailed,
         "+ locked C:\\VtxCtl\\New\n1 to add, 0 to remove, 1 refused; nothing changed (dry run)\n",
         "Can't lock Windows System Directory: C:\\Windows\n"},
        {{"unlock", "C:\\VtxCtl\\listed", "C:\\VtxCtl\\Missing"}, kCtlFailed,
         "- locked C:\\VtxCtl\\Listed\n0 to add, 1 to remove, 1 refused; nothing changed (dry run)\n",
         "Not in the locked list: C:\\VtxCtl\\Missing\n"},
        {{"trust", "C:\\VtxCtl\\New.exe"}, kCtlDone,
         "+ trusted C:\\VtxCtl\\New.exe\n1 to add, 0 to remove, 0 refused; nothing changed (dry run)\n", ""},
        {{"untrust", "C:\\VtxCtl\\Old.exe"}, kCtlDone,
         "- trusted C:\\VtxCtl\\Old.exe\n0 to add, 1 to remove, 0 refused; nothing changed (dry run)\n", ""},
    };
    for (const auto& c : cases) {
        Paths args = c.args;
        args.push_back("--dry-run");
        const ActionRun run = Ctl(args);
        EXPECT_EQ(run.code, c.code) << c.args[0];
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_TRUE(m_driver.m_requests.empty());
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(ListFiles(), "|");
}

// A shortcut means what a drop onto the window's trusted list makes of it: the program it starts.
TEST_F(ListActions, TrustAndUntrustTakeAShortcutAsItsProgramAndRefuseOneToADocument)
{
    char self[MAX_PATH] = "";
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    const std::string program = m_install.Make("Tools\\tool.exe");
    ASSERT_TRUE(::CopyFileA(self, program.c_str(), FALSE));
    ASSERT_TRUE(WriteShortcut(m_install.Make("Tool.lnk"), program));
    const std::string document = m_install.Make("Docs\\notes.txt");
    ASSERT_TRUE(WriteWholeFile(document, "notes"));
    ASSERT_TRUE(WriteShortcut(m_install.Make("Notes.lnk"), document));

    const ActionRun notes = Ctl({"trust", "Notes.lnk"});
    EXPECT_EQ(notes.code, kCtlFailed);
    EXPECT_EQ(notes.err, "The shortcut's target is not a program: " + Scratch("Notes.lnk") + "\n");
    const ActionRun trust = Ctl({"trust", "Tool.lnk"});
    EXPECT_EQ(trust.code, kCtlDone) << trust.err;
    EXPECT_EQ(m_driver.m_trusted, Paths{program});
    const ActionRun untrust = Ctl({"untrust", "Tool.lnk"});
    EXPECT_EQ(untrust.code, kCtlDone) << untrust.err;
    EXPECT_EQ(untrust.out, "Removed from the trusted list: " + program + "\n");
    EXPECT_EQ(m_driver.m_requests, (std::vector<PathRequest>{{IOCTL_TRUST_ADD, program}, {IOCTL_TRUST_REMOVE, program}}));
    EXPECT_EQ(ListFiles(), "|");
}

// A refused path as vtxctl echoes it: its control characters shown, not obeyed.
std::string Shown(const std::string& path)
{
    std::string shown;
    for (const char c : path)
        shown += c == '\t' ? "\\x09" : c == '\x1b' ? "\\x1B" : c == '\r' ? "\\x0D" : std::string(1, c);
    return shown;
}

// Each refused path is told with the window's text; nothing is sent, no file written. Every
// other spelling of a refused folder is that folder, typed or imported.
TEST_F(ListActions, RefusesWhatTheWindowRefusesInAnySpellingAndWhatCannotBeSent)
{
    std::string upperInstall = m_install.Path();
    CharUpperA(upperInstall.data());
    char shortInstall[MAX_PATH] = "";
    ASSERT_GT(::GetShortPathNameA(m_install.Path().c_str(), shortInstall, MAX_PATH), 0u);
    ASSERT_STRNE(shortInstall, m_install.Path().c_str()) << "the installation folder needs a short name of its own";
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
        {"lock", "C:\\Windows::$INDEX_ALLOCATION", system},
        {"lock", "\\\\127.0.0.2\\C$\\Windows", system},
        {"lock", "\\\\localhost\\ADMIN$\\System32", system},
        {"lock", "C:\\VtxCtl\\Data:secret", "A character outside the ANSI code page, or one no file name holds"},
        {"lock", shortInstall, own},
        {"lock", upperInstall + "\\DATA\\", own},
        {"trust", upperInstall + "\\VTX.EXE", "Don't need to trust Veltrix Program"},
        {"lock", "C:\\VtxCtl\\tab\there", "A control character in the path"},
        {"lock", "C:\\VtxCtl\\\x1b[2J\x1b[1;1Hcls\rC:\\", "A control character in the path"},
        {"lock", "C:\\" + std::string(270, 'x'), "Path too long or empty"},
        {"lock", "C:\\VtxCtl\\what?", "A character outside the ANSI code page, or one no file name holds"},
        {"lock", "\\\\.\\PhysicalDrive0", "A device path; give the file or folder itself"},
    };
    const std::string file = Scratch("in.txt");
    for (const auto& c : cases) {
        const std::string section = c.command == "lock" ? "[locked]" : "[trusted]";
        ASSERT_TRUE(WriteWholeFile(file, section + "\r\n" + c.path + "\r\n"));
        // A typed path is told as vtxctl made it full; an import line as it stands.
        const ActionRun typed = Ctl({c.command, c.path});
        EXPECT_EQ(typed.code, kCtlFailed) << c.path;
        EXPECT_EQ(typed.err, c.refusal + ": " + Shown(MachinePathFacts().FullPath(c.path)) + "\n") << c.path;
        const ActionRun imported = Ctl({"import", file});
        EXPECT_EQ(imported.code, kCtlFailed) << c.path;
        EXPECT_EQ(imported.err, c.refusal + ": " + Shown(c.path) + "\n") << c.path;
    }
    EXPECT_TRUE(m_driver.m_requests.empty());
    EXPECT_EQ(ListFiles(), "|");
    ASSERT_TRUE(WriteWholeFile(file, "[locked]\r\nVtxCtl\\Relative\r\n"));
    EXPECT_EQ(Ctl({"import", file}).err, "Not a full path (a drive or \\\\server\\share): VtxCtl\\Relative\n");
}

// A list the driver did not give whole is not changed: its file could not be written to match,
// and the change would be gone at the next start. Only a changed list's file is written.
TEST_F(ListActions, ChangesNoListThatTheDriverDidNotGiveWhole)
{
    m_driver.m_nAnswers = 2;
    m_driver.m_trusted = {"C:\\VtxCtl\\1.exe", "C:\\VtxCtl\\2.exe", "C:\\VtxCtl\\3.exe"};
    ASSERT_TRUE(WriteWholeFile(LockedFile(), "C:\\VtxCtl\\Old\r\n"));
    ASSERT_TRUE(WriteWholeFile(TrustedFile(), "C:\\VtxCtl\\Old.exe\r\n"));
    const std::string file = Scratch("in.txt");
    ASSERT_TRUE(WriteWholeFile(file, "[locked]\r\nC:\\VtxCtl\\X\r\n[trusted]\r\nC:\\VtxCtl\\X.exe\r\n"));
    for (const Paths& args : {Paths{"trust", "C:\\VtxCtl\\X.exe"}, Paths{"untrust", "C:\\VtxCtl\\1.exe"},
                              Paths{"import", file}, Paths{"export", Scratch("out.txt")}}) {
        const ActionRun run = Ctl(args);
        EXPECT_EQ(run.code, kCtlFailed) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_EQ(run.err, "Can't read trusted list from Veltrix driver!\n") << args[0];
        EXPECT_TRUE(m_driver.m_requests.empty()) << args[0];
        EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Old\r\n|C:\\VtxCtl\\Old.exe\r\n") << args[0];
    }
    const ActionRun lock = Ctl({"lock", "C:\\VtxCtl\\X"});
    EXPECT_EQ(lock.code, kCtlDone) << lock.err;
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\X\r\n|C:\\VtxCtl\\Old.exe\r\n");
}

TEST_F(ListActions, ExportThenClearThenImportRestoresBothListFilesByteForByte)
{
    ASSERT_EQ(Ctl({"lock", "C:\\VtxCtl\\One", "C:\\VtxCtl\\Two", "C:\\VtxCtl\\Three Words"}).code, kCtlDone);
    ASSERT_EQ(Ctl({"trust", "C:\\VtxCtl\\Tool.exe", "C:\\VtxCtl\\Other.exe"}).code, kCtlDone);
    const std::string before = ListFiles();
    const ActionRun exported = Ctl({"export", "lists.txt"});
    EXPECT_EQ(exported.code, kCtlDone) << exported.err;
    EXPECT_EQ(exported.out, "Exported 3 locked and 2 trusted entries to " + Scratch("lists.txt") + "\n");
    EXPECT_EQ(ReadWholeFile(Scratch("lists.txt")),
              "[locked]\r\nC:\\VtxCtl\\One\r\nC:\\VtxCtl\\Two\r\nC:\\VtxCtl\\Three Words\r\n"
              "[trusted]\r\nC:\\VtxCtl\\Tool.exe\r\nC:\\VtxCtl\\Other.exe\r\n");

    ASSERT_EQ(Ctl({"unlock", "C:\\VtxCtl\\One", "C:\\VtxCtl\\Two", "C:\\VtxCtl\\Three Words"}).code, kCtlDone);
    ASSERT_EQ(Ctl({"untrust", "C:\\VtxCtl\\Tool.exe", "C:\\VtxCtl\\Other.exe"}).code, kCtlDone);
    ASSERT_EQ(ListFiles(), "|");

    const ActionRun imported = Ctl({"import", "lists.txt"});
    EXPECT_EQ(imported.code, kCtlDone) << imported.err;
    EXPECT_EQ(imported.out.substr(imported.out.rfind("Added to the trusted list")),
              "Added to the trusted list: C:\\VtxCtl\\Other.exe\n5 added, 0 removed, 0 refused\n");
    EXPECT_EQ(ListFiles(), before);
}

TEST_F(ListActions, ImportAddsOnlyWhatIsMissingAndReportsWhatItRefuses)
{
    m_driver.m_locked = {"C:\\VtxCtl\\Kept"};
    ASSERT_TRUE(WriteWholeFile(Scratch("in.txt"),
                              "[locked]\nc:\\vtxctl\\KEPT\nC:\\Windows\n\nC:\\VtxCtl\\New\n[trusted]\nC:\\VtxCtl\\T.exe\n"));
    const ActionRun run = Ctl({"import", "in.txt"});
    EXPECT_EQ(run.code, kCtlFailed);
    EXPECT_EQ(run.err, "Can't lock Windows System Directory: C:\\Windows\n");
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Kept\r\nC:\\VtxCtl\\New\r\n|C:\\VtxCtl\\T.exe\r\n");

    ASSERT_TRUE(WriteWholeFile(Scratch("bad.txt"), "C:\\VtxCtl\\Orphan\r\n[locked]\r\n"));
    const ActionRun bad = Ctl({"import", "bad.txt"});
    EXPECT_EQ(bad.code, kCtlFailed);
    EXPECT_NE(bad.err.find("line 1"), std::string::npos) << bad.err;
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New"}));

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
    const ActionRun cut = Ctl({"import", pipeName});
    writer.join();
    EXPECT_EQ(cut.code, kCtlFailed);
    EXPECT_EQ(cut.err, std::string("Can't read ") + pipeName + "\n");
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New"}));
}

// A machine's lists made the file's, after a dry run that shows exactly that and changes nothing:
// what a list lacks added in the file's order, what the file does not list removed, each change
// and the import itself in the audit trail; a list that the file does not name is left alone.
TEST_F(ListActions, ImportReplaceMakesEachListTheFilesAfterADryRunThatChangesNothing)
{
    m_driver.m_locked = {"C:\\VtxCtl\\Old", "C:\\VtxCtl\\Keep"};
    m_driver.m_trusted = {"C:\\VtxCtl\\Gone.exe", "C:\\VtxCtl\\Kept.exe"};
    const std::string file = Scratch("in.txt");
    ASSERT_TRUE(WriteWholeFile(file, "[locked]\r\nc:\\vtxctl\\KEEP\r\nC:\\VtxCtl\\New\r\n"
                                    "[trusted]\r\nC:\\VtxCtl\\Kept.exe\r\nC:\\VtxCtl\\New.exe\r\n"));
    // --check is the dry run of a detection script: its exit code says the lists would change.
    for (const char* option : {"--dry-run", "--check"}) {
        const ActionRun dry = Ctl({"import", "--replace", "in.txt", option});
        EXPECT_EQ(dry.code, option == std::string("--check") ? kCtlWouldChange : kCtlDone) << dry.err;
        EXPECT_EQ(dry.out, "+ locked C:\\VtxCtl\\New\n- locked C:\\VtxCtl\\Old\n"
                           "+ trusted C:\\VtxCtl\\New.exe\n- trusted C:\\VtxCtl\\Gone.exe\n"
                           "2 to add, 2 to remove, 0 refused; nothing changed (dry run)\n");
    }
    EXPECT_EQ(Ctl({"import", "--replace", "in.txt", "--check", "--json"}).code, kCtlWouldChange);
    EXPECT_TRUE(Events().empty());
    EXPECT_TRUE(m_driver.m_requests.empty());
    EXPECT_EQ(ListFiles(), "|");

    const ActionRun run = Ctl({"import", "--replace", "in.txt"});
    EXPECT_EQ(run.code, kCtlDone) << run.err;
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Keep", "C:\\VtxCtl\\New"}));
    EXPECT_EQ(m_driver.m_trusted, (Paths{"C:\\VtxCtl\\Kept.exe", "C:\\VtxCtl\\New.exe"}));
    EXPECT_EQ(ListFiles(), "C:\\VtxCtl\\Keep\r\nC:\\VtxCtl\\New\r\n|C:\\VtxCtl\\Kept.exe\r\nC:\\VtxCtl\\New.exe\r\n");
    const WORD info = EVENTLOG_INFORMATION_TYPE;
    EXPECT_EQ(Events(), (std::vector<AuditEventSeen>{{MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\New", "locked"}},
                                                     {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Old", "locked"}},
                                                     {MSG_ENTRY_ADDED, info, {"C:\\VtxCtl\\New.exe", "trusted"}},
                                                     {MSG_ENTRY_REMOVED, info, {"C:\\VtxCtl\\Gone.exe", "trusted"}},
                                                     {MSG_LISTS_IMPORTED, info, {file, "2", "2", "0"}}}));
    // In step now: the check finds nothing to do, as text and as JSON.
    const ActionRun inStep = Ctl({"import", "--replace", "in.txt", "--check"});
    EXPECT_EQ(inStep.code, kCtlDone) << inStep.err;
    EXPECT_EQ(inStep.out, "0 to add, 0 to remove, 0 refused; nothing changed (dry run)\n");
    EXPECT_EQ(Ctl({"import", "--replace", "in.txt", "--check", "--json"}).code, kCtlDone);

    // An empty section empties its list; the list of no section stays as it is.
    ASSERT_TRUE(WriteWholeFile(file, "[trusted]\r\n"));
    EXPECT_EQ(Ctl({"import", "--replace", "in.txt"}).code, kCtlDone);
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Keep", "C:\\VtxCtl\\New"}));
    EXPECT_TRUE(m_driver.m_trusted.empty());
}

// A refused line may stand for an entry the list holds: that list keeps everything.
TEST_F(ListActions, ImportReplaceRemovesNothingFromAListWithARefusedLine)
{
    m_driver.m_locked = {"C:\\VtxCtl\\Old"};
    ASSERT_TRUE(WriteWholeFile(Scratch("in.txt"), "[locked]\r\n%VtxCtlNoSuch%\\Old\r\nC:\\VtxCtl\\New\r\n"));
    for (const char* dryRun : {"--dry-run", "--check", "-q"}) {
        const ActionRun run = Ctl({"import", "--replace", "in.txt", dryRun});
        EXPECT_EQ(run.code, kCtlFailed) << dryRun;
        EXPECT_EQ(run.err, "Unknown variable %VtxCtlNoSuch%: %VtxCtlNoSuch%\\Old\n"
                           "Nothing removed from the locked list: a line of " + Scratch("in.txt") +
                               " for it was refused.\n") << dryRun;
    }
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Old", "C:\\VtxCtl\\New"}));
}

// Variables are the importing machine's; a line naming one it lacks is refused, the rest taken.
TEST_F(ListActions, ImportExpandsEnvironmentVariablesAndRefusesAnUndefinedOne)
{
    char drive[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableA("SystemDrive", drive, MAX_PATH), 0u);
    ASSERT_TRUE(WriteWholeFile(Scratch("in.txt"), "[locked]\r\n%SystemDrive%\\VtxCtl\\Data\r\n%VtxCtlNoSuch%\\Data\r\n"
                                                 "[trusted]\r\n%systemdrive%\\VtxCtl\\T.exe\r\n"));
    const ActionRun run = Ctl({"import", "in.txt"});
    EXPECT_EQ(run.code, kCtlFailed);
    EXPECT_EQ(run.err, "Unknown variable %VtxCtlNoSuch%: %VtxCtlNoSuch%\\Data\n");
    EXPECT_EQ(m_driver.m_locked, Paths{std::string(drive) + "\\VtxCtl\\Data"});
    EXPECT_EQ(m_driver.m_trusted, Paths{std::string(drive) + "\\VtxCtl\\T.exe"});
}

// An import cannot make vtxctl read without end or expand without bound: a file over the cap is
// not read at all, a line that a variable makes longer than a path is refused on its own.
TEST_F(ListActions, ImportRefusesAFileOverTheCapAndALineThatItsVariablesMakeTooLong)
{
    m_driver.m_locked = {"C:\\VtxCtl\\Kept"};
    std::string big = "[locked]\r\nC:\\VtxCtl\\New\r\n";
    big.resize((64 << 20) + 1, '\n');
    ASSERT_TRUE(WriteWholeFile(Scratch("big.txt"), big));
    const ActionRun over = Ctl({"import", "big.txt"});
    EXPECT_EQ(over.code, kCtlFailed);
    EXPECT_EQ(over.err, Scratch("big.txt") + " is larger than 64 MB, more than both lists can hold; nothing imported.\n");
    EXPECT_TRUE(m_driver.m_requests.empty());
    big.pop_back();
    ASSERT_TRUE(WriteWholeFile(Scratch("big.txt"), big));
    EXPECT_EQ(Ctl({"import", "big.txt"}).code, kCtlDone) << "at the cap it is read";
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New"}));

    ASSERT_TRUE(::SetEnvironmentVariableA("VtxCtlLong", std::string(200, 'x').c_str()));
    ASSERT_TRUE(WriteWholeFile(Scratch("in.txt"), "[locked]\r\nC:\\VtxCtl\\%VtxCtlLong%\\%VtxCtlLong%\r\n"
                                                 "C:\\VtxCtl\\%VtxCtlLong%\r\n"));
    const ActionRun run = Ctl({"import", "in.txt"});
    ::SetEnvironmentVariableA("VtxCtlLong", nullptr);
    EXPECT_EQ(run.code, kCtlFailed);
    EXPECT_EQ(run.err, "Path too long or empty: C:\\VtxCtl\\%VtxCtlLong%\\%VtxCtlLong%\n");
    const std::string taken = "C:\\VtxCtl\\" + std::string(200, 'x');
    EXPECT_EQ(run.out, "Added to the locked list: " + taken + "\n1 added, 0 removed, 1 refused\n");
    EXPECT_EQ(m_driver.m_locked, (Paths{"C:\\VtxCtl\\Kept", "C:\\VtxCtl\\New", taken}));
}

// The list files hold what the driver enforces: readable to SYSTEM and Administrators only,
// whatever the data folder lets others do.
TEST_F(ListActions, WrittenListFilesGetTheAdministratorsOnlyAccessList)
{
    if (!AccessListsAreKept())
        GTEST_SKIP() << "files keep no access list here (Wine 8 neither stores nor applies one)";
    ASSERT_EQ(Ctl({"lock", "C:\\VtxCtl\\Docs"}).code, kCtlDone);
    EXPECT_EQ(AccessListOf(LockedFile()), kAdministratorsOnly);
}

}  // namespace
