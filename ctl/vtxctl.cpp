// vtxctl: the protection lists from the command line, for administrators and scripts. It runs
// in the installation folder, behind the same password and the same named mutex as vtx.exe.
#include "audit/audit_trail.h"
#include "ctl/core/command_line.h"
#include "ctl/list_actions.h"
#include "driver/device_channel.h"
#include "driver/install_dir_key.h"
#include "lists/admission.h"
#include "framework/handle.h"
#include "framework/mutex.h"
#include "password/core/md5.h"
#include "password/core/password_file.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kHelp[] =
    "Usage: vtxctl COMMAND [--password-stdin] [--json | -q] [--dry-run]\n"
    "The Veltrix protection lists from the command line.\n"
    "\n"
    "  status                  whether the service runs, the installation folder and\n"
    "                          how many entries each of the driver's lists holds\n"
    "  list locked|trusted     the driver's list, one path a line\n"
    "  lock PATH...            add to the locked list (unlock PATH... removes)\n"
    "  trust PATH...           add programs or their shortcuts to the trusted list\n"
    "                          (untrust PATH... removes)\n"
    "  export FILE             both lists to FILE: a [locked] and a [trusted] section,\n"
    "                          one path a line\n"
    "  import FILE             adds what FILE lists and the lists lack; removes nothing\n"
    "  import --replace FILE   makes each list that FILE names exactly FILE's list\n"
    "\n"
    "--dry-run: what lock, unlock, trust, untrust or import would change; nothing changes.\n"
    "--json (all but export): one JSON document, in UTF-8. -q, --quiet: errors only.\n"
    "Every command but status asks for the Veltrix password; --password-stdin reads it\n"
    "from the first line of standard input. After a change the list's file is written.\n"
    "No command but status runs while Veltrix (vtx.exe) is open.\n"
    "\n"
    "Exit codes: 0 done, 1 something refused or failed (each is reported), 2 usage,\n"
    "3 wrong password, 4 another Veltrix running, 5 the driver cannot be reached.\n";

// The arguments in the ANSI code page. A character the code page lacks becomes '?', which no
// path holds: such a path is refused, never sent.
std::vector<std::string> AnsiArguments()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return args;
    for (int i = 1; i < count; ++i) {
        const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0, "?", nullptr);
        std::string arg(size > 0 ? size : 1, '\0');
        if (size > 0)
            ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, arg.data(), size, "?", nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    ::LocalFree(wide);
    return args;
}

// One line of standard input, without its line end. From the console, unechoed after a prompt.
std::string ReadPassword(bool fromStdin)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = !fromStdin && ::GetConsoleMode(input, &mode);
    if (console) {
        std::fputs("Password: ", stderr);
        ::SetConsoleMode(input, mode & ~ENABLE_ECHO_INPUT);
    }
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (console) {
        ::SetConsoleMode(input, mode);
        std::fputs("\n", stderr);
    }
    return line;
}

// As the login compares: the digest of what was typed against the password file's.
bool IsPasswordRight(const std::string& password)
{
    return MD5HexDigest(password.c_str(), static_cast<uint32_t>(password.size())) ==
           ReadStoredDigest(kPasswordFilePath);
}

int Run(const CtlCommand& command)
{
    if (command.action == CtlAction::Help) {
        std::fputs(kHelp, stdout);
        return kCtlDone;
    }
    // Held to the end: vtx.exe refuses to start meanwhile, as vtxctl refuses while it runs.
    CMutex instance(FALSE, "Veltrix");
    if (command.action != CtlAction::Status && !instance.Lock(1)) {
        std::fputs("Veltrix is running; close it first.\n", stderr);
        return kCtlRunning;
    }
    // Paths and files given relative to where vtxctl was started.
    std::vector<std::string> operands;
    for (const std::string& operand : command.operands)
        operands.push_back(MachinePathFacts().FullPath(operand));

    const std::string installDir = ReadServiceInstallDir().value_or("");
    if (installDir.empty() || !::SetCurrentDirectoryA(installDir.c_str())) {
        std::fputs("Can't find the installation folder (vtxapp of the service veltrix).\n", stderr);
        return kCtlFailed;
    }
    if (command.action == CtlAction::Status)
        return ShowStatus(installDir.c_str(), command.json);

    if (!IsPasswordRight(ReadPassword(command.passwordFromStdin))) {
        std::fputs("Wrong password.\n", stderr);
        WriteAuditEvent(MSG_CTL_WRONG_PASSWORD, {command.verb});
        return kCtlWrongPassword;
    }
    if (!CDeviceEnumeration().IsOpen()) {
        std::fputs("The driver cannot be reached.\n", stderr);
        return kCtlNoDriver;
    }
    switch (command.action) {
    case CtlAction::List:
        return PrintList(command.trusted, command.json);
    case CtlAction::Add:
        return AddPaths(command, operands);
    case CtlAction::Remove:
        return RemovePaths(command, operands);
    case CtlAction::Export:
        return ExportLists(operands[0]);
    case CtlAction::Import:
        return ImportLists(command, operands[0]);
    default:
        return kCtlUsage;
    }
}

}  // namespace

int main()
{
    CtlCommand command;
    if (!ParseCtlCommand(AnsiArguments(), command)) {
        std::fputs("vtxctl: wrong usage; vtxctl --help shows it.\n", stderr);
        return kCtlUsage;
    }
    // Errors only: whatever would go to standard output goes nowhere.
    if (command.quiet && !std::freopen("NUL", "w", stdout))
        return kCtlFailed;
    // Shortcuts are read through the shell's COM objects.
    const bool com = SUCCEEDED(::CoInitialize(nullptr));
    const int code = Run(command);
    std::fflush(stdout);
    if (com)
        ::CoUninitialize();
    return code;
}
