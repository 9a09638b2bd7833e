// vtxctl: the protection lists from the command line, for administrators and scripts. It runs
// in the installation folder, behind the same password and the same named mutex as vtx.exe.
#include "audit/audit_trail.h"
#include "ctl/audit_switch.h"
#include "ctl/console_signals.h"
#include "ctl/core/command_line.h"
#include "ctl/list_actions.h"
#include "driver/change_mark.h"
#include "driver/core/instance_guard.h"
#include "driver/core/names.h"
#include "driver/device_channel.h"
#include "driver/install_dir_key.h"
#include "driver/instance_guard.h"
#include "framework/codepage.h"
#include "framework/dll_search.h"
#include "framework/handle.h"
#include "framework/mutex.h"
#include "lists/admission.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"
#include "password/password_store.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const char kHelp[] =
    "Usage: vtxctl COMMAND [--password-stdin] [--json | -q] [--dry-run | --check]\n"
    "The Veltrix protection lists from the command line.\n"
    "\n"
    "  status                  service, installation folder, audit trail, list sizes\n"
    "  list locked|trusted     the driver's list, one path a line\n"
    "  lock PATH...            add to the locked list (unlock PATH... removes)\n"
    "  trust PATH...           add programs or their shortcuts to the trusted list\n"
    "                          (untrust PATH... removes)\n"
    "  export FILE             both lists to FILE, a [locked] and a [trusted] section\n"
    "  import FILE             adds what FILE lists and the lists lack; removes nothing\n"
    "  import --replace FILE   makes each list that FILE names exactly FILE's list\n"
    "  audit on|off            turns the audit trail (the Application log) on or off\n"
    "\n"
    "--dry-run: what lock, unlock, trust, untrust or import would change; nothing changes.\n"
    "--check: the same; exit code 6 when something would change (a refusal's code wins).\n"
    "--json (all but export): one JSON document, in ASCII. -q, --quiet: errors only.\n"
    "Every command but status needs administrative rights and asks for the Veltrix\n"
    "password; --password-stdin reads it from the first line of standard input, in the\n"
    "ANSI code page. After a change the list's file is written. No command but status\n"
    "runs while Veltrix (vtx.exe) is open.\n"
    "\n"
    "Exit codes: 0 done, 1 something refused or failed (each is reported), 2 usage,\n"
    "3 wrong password, 4 another Veltrix running, 5 the driver cannot be reached,\n"
    "6 (--check) something would change.\n";

// One argument in the ANSI code page. A character the code page cannot hold as itself becomes
// '?', which no path holds: such a path is refused, never sent as another one.
std::string AnsiArgument(const std::wstring& wide)
{
    const UINT codePage = ::GetACP();
    if (const auto whole = WideToCodePage(codePage, wide.c_str()))
        return *whole;
    std::string arg;
    for (size_t i = 0; i < wide.size();) {
        const size_t units = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]) ? 2 : 1;
        const std::wstring character = wide.substr(i, units);
        arg += WideToCodePage(codePage, character.c_str()).value_or("?");
        i += units;
    }
    return arg;
}

std::vector<std::string> AnsiArguments()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(AnsiArgument(wide[i]));
    ::LocalFree(wide);
    return args;
}

// The password typed at the console: read in UTF-16 (a byte read would give the console's OEM
// code page) and converted as the window's edit control gives its text, so that both digest the
// same bytes. Unechoed, after a prompt.
std::string ReadConsolePassword(HANDLE input, DWORD mode)
{
    std::fputs("Password: ", stderr);
    std::wstring line;
    {
        const CUnechoedInput unechoed(input, mode);
        WCHAR buffer[256];
        DWORD read = 0;
        while (line.find(L'\n') == std::wstring::npos && ::ReadConsoleW(input, buffer, 256, &read, nullptr) &&
               read > 0)
            line.append(buffer, read);
    }
    std::fputs("\n", stderr);
    line = line.substr(0, line.find(L'\n'));
    if (!line.empty() && line.back() == L'\r')
        line.pop_back();
    const int size = ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string password(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), password.data(), size,
                              nullptr, nullptr);
    return password;
}

// The password: typed at the console, or the first line of standard input as ANSI bytes. Only
// the line end goes; every other byte, blanks too, is the password's.
std::string ReadPassword(bool fromStdin)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!fromStdin && ::GetConsoleMode(input, &mode))
        return ReadConsolePassword(input, mode);
    _setmode(_fileno(stdin), _O_BINARY);
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// An administrator's token with the Administrators group in force (elevated, under UAC).
bool RunsAsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &admins))
        return false;
    BOOL member = FALSE;
    const bool checked = ::CheckTokenMembership(nullptr, admins, &member);
    ::FreeSid(admins);
    return checked && member;
}

// A wrong password costs two seconds, the mutex held meanwhile, so that a script cannot try
// passwords at speed.
constexpr DWORD kWrongPasswordDelay = 2000;

// The lists through the real device, with this machine's facts.
CListActions g_actions(VeltrixDevice(), MachinePathFacts());

// Runs a command with the guard held: password, driver, then the command. A change is marked
// under the service's key from before its first request until both list files are known to hold
// the driver's lists; a mark left by a run cut short has both files written from the driver
// first.
int RunGuarded(const CtlCommand& command, const std::vector<std::string>& operands)
{
    const std::optional<CString> stored = ReadStoredDigest(kPasswordFilePath);
    if (!stored) {
        std::fputs("Can't read data\\password.txt\n", stderr);
        return kCtlWrongPassword;
    }
    const std::string password = ReadPassword(command.passwordFromStdin);
    if (MD5HexDigest(password.c_str(), static_cast<uint32_t>(password.size())) != *stored) {
        std::fputs("Wrong password.\n", stderr);
        WriteAuditEvent(MSG_CTL_WRONG_PASSWORD, {command.verb});
        ::Sleep(kWrongPasswordDelay);
        return kCtlWrongPassword;
    }
    if (command.action != CtlAction::Audit && !g_actions.CanReachDriver()) {
        std::fprintf(stderr, "%s\n", kCtlNoDriverMessage);
        return kCtlNoDriver;
    }
    const bool marked = HasChangeMark();
    const bool changes = !command.dryRun && (command.action == CtlAction::Add ||
                                             command.action == CtlAction::Remove || command.action == CtlAction::Import);
    if ((marked || changes) && !g_changeGuard.Begin())
        return kCtlFailed;
    const bool filesBehind = marked && !g_actions.SaveListFiles();
    int code = filesBehind ? kCtlFailed : kCtlDone;
    if (changes && !marked && !SetChangeMark()) {
        std::fputs("Can't record the change under the service's key; nothing changed.\n", stderr);
        code = kCtlFailed;
    } else {
        // A change writes the file of each list it changed, unless it is refused before sending.
        code = std::max(code, command.action == CtlAction::Audit ? SwitchAuditTrail(command.auditOn, command.json)
                                                                 : g_actions.Run(command, operands));
    }
    if ((marked || changes) && !filesBehind && g_actions.EveryListFileWritten())
        ClearChangeMark();
    if (marked || changes)
        g_changeGuard.Finish();
    return code;
}

// Holds the guard while the command runs: vtx.exe refuses to start meanwhile, as vtxctl refuses
// while it runs. Either part held elsewhere (or a session's name that cannot be opened here,
// another user's) refuses. Given back at the end, so that a later run or the setup finds it
// free, never abandoned.
int RunWithGuard(const CtlCommand& command, const std::vector<std::string>& operands)
{
    CMutex instance(FALSE, kInstanceMutexName);
    CCrossSessionGuard crossSession;
    if (!instance.Lock(1) || !crossSession.Lock(1)) {
        std::fputs("Veltrix is running; close it first.\n", stderr);
        return kCtlRunning;
    }
    const int code = RunGuarded(command, operands);
    crossSession.Unlock();
    instance.Unlock();
    return code;
}

int Run(const CtlCommand& command)
{
    if (command.action == CtlAction::Help) {
        std::fputs(kHelp, stdout);
        return kCtlDone;
    }
    if (command.action != CtlAction::Status && !RunsAsAdministrator()) {
        std::fputs("vtxctl needs administrative rights\n", stderr);
        return kCtlFailed;
    }
    // Paths and files given relative to where vtxctl was started.
    std::vector<std::string> operands;
    for (const std::string& operand : command.operands)
        operands.push_back(MachinePathFacts().FullPath(operand));

    std::string installDir;
    {
        // Query access, which any user has: status needs no more.
        const CServiceKey key(KEY_QUERY_VALUE);
        installDir = key.InstallDir().value_or("");
        SetAuditTrailOn(key.AuditTrailOn());
    }
    if (installDir.empty() || !::SetCurrentDirectoryA(installDir.c_str())) {
        std::fputs("Can't find the installation folder (" VTX_INSTALL_DIR_VALUE " of the service "
                   VTX_SERVICE_NAME ").\n", stderr);
        return kCtlFailed;
    }
    if (command.action == CtlAction::Status)
        return g_actions.ShowStatus(installDir.c_str(), IsAuditTrailOn(), command.json);
    return RunWithGuard(command, operands);
}

int Main()
{
    CtlCommand command;
    if (!ParseCtlCommand(AnsiArguments(), command)) {
        std::fputs("vtxctl: wrong usage; vtxctl --help shows it.\n", stderr);
        return kCtlUsage;
    }
    // Errors only: whatever would go to standard output goes nowhere.
    if (command.quiet && !std::freopen("NUL", "w", stdout))
        return kCtlFailed;
    InstallConsoleSignalHandler();
    // Shortcuts are read through the shell's COM objects.
    const bool com = SUCCEEDED(::CoInitialize(nullptr));
    int code = Run(command);
    // Output that did not arrive (a closed pipe, a full disk) is a failure like any other.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && code == kCtlDone) {
        std::fputs("Can't write to standard output.\n", stderr);
        code = kCtlFailed;
    }
    if (com)
        ::CoUninitialize();
    return code;
}

}  // namespace

int main()
{
    RestrictDllSearch();
    // An exception would end the process with abort()'s code, 3, which says "wrong password".
    // A change it cut short leaves the instance mutex abandoned: the next run writes the files
    // first.
    try {
        return Main();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtxctl failed: %s\n", e.what());
    } catch (...) {
        std::fputs("vtxctl failed.\n", stderr);
    }
    return kCtlFailed;
}
