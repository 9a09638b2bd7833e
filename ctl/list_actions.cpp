#include "ctl/list_actions.h"

#include "ctl/core/command_line.h"
#include "ctl/core/transfer_file.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "driver/service_manager.h"
#include "framework/file_replace.h"
#include "lists/admission.h"
#include "lists/core/admission_rules.h"
#include "lists/core/list_file.h"
#include "lists/list_entry.h"

#include <shlobj.h>

#include <cstdio>
#include <optional>

namespace {

// A refusal text for the path, or nullptr when it may enter the list; may put a shortcut's
// target in place of the path.
using AdmitFunc = const char* (*)(std::string& path);

const char* AdmitLocked(std::string& path)
{
    switch (CheckLockPath(path.c_str())) {
    case PATH_SYSTEM_DIR:
        return "Can't lock Windows System Directory";
    case PATH_OWN_FILES:
        return "Can't lock Veltrix File";
    default:
        return nullptr;
    }
}

const char* AdmitTrusted(std::string& path)
{
    SHFILEINFOA info{};
    if (::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES) && (info.dwAttributes & SFGAO_LINK)) {
        char target[MAX_PATH];
        if (ResolveShortcut(path.c_str(), target) != S_OK)
            return "Can't read the shortcut's target";
        path = target;
    }
    return IsInProgramFolder(path.c_str()) ? "Don't need to trust Veltrix Program" : nullptr;
}

// TODO(structure): use the lists' descriptions
struct CtlList {
    const char* name;
    DWORD addCode;
    DWORD removeCode;
    DWORD enumCode;
    const char* file;
    const char* saveFailure;
    bool notifyShell;       // changes are announced to open folder windows
    bool skipListedAtLoad;  // a repeated entry of the driver's list is kept once
    AdmitFunc admit;
};
const CtlList kLocked{"locked", IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE, IOCTL_LOCK_ENUM, ".\\data\\filter.txt",
                      "Can't save locked list to data\\filter.txt!", true, true, &AdmitLocked};
const CtlList kTrusted{"trusted", IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE, IOCTL_TRUST_ENUM, ".\\data\\TrustedPs.txt",
                       "Can't save trusted list to data\\TrustedPs.txt!", false, false, &AdmitTrusted};

const CtlList& ListOf(bool trusted)
{
    return trusted ? kTrusted : kLocked;
}

void Report(const char* text, const std::string& path)
{
    std::fprintf(stderr, "%s: %s\n", text, path.c_str());
}

// The driver's list as the window loads it; nullopt when it was not read whole (or no driver).
std::optional<std::vector<std::string>> ReadDriverList(const CtlList& list)
{
    CDeviceEnumeration channel;
    if (!channel.IsOpen())
        return std::nullopt;
    std::vector<std::string> paths;
    const bool whole = EnumerateList(channel, list.enumCode, [&](const char* path) {
        if (!IsListablePath(path))
            return false;
        if (list.skipListedAtLoad)
            for (const std::string& listed : paths)
                if (IsSameListedPath(listed.c_str(), path))
                    return true;
        paths.emplace_back(path);
        return true;
    });
    if (!whole)
        return std::nullopt;
    return paths;
}

const std::string* FindListed(const std::vector<std::string>& paths, const std::string& path)
{
    for (const std::string& listed : paths)
        if (IsSameListedPath(listed.c_str(), path.c_str()))
            return &listed;
    return nullptr;
}

// Refused before any rule of a list: a path that could not be sent or written as it is.
const char* CheckSendable(const std::string& path)
{
    if (path.find_first_of("?*") != std::string::npos)
        return "A character outside the ANSI code page, or a wildcard";
    if (!IsListablePath(path.c_str()))
        return "A control character in the path";
    if (path.empty() || path.size() >= MAX_PATH)
        return "Path too long or empty";
    return nullptr;
}

// Writes the list file from the driver's list, as the window does at its close. An incomplete
// read leaves the file as it was.
bool SaveListFile(const CtlList& list)
{
    const auto paths = ReadDriverList(list);
    if (!paths) {
        std::fprintf(stderr, "The driver's %s list could not be read whole; %s left as it was.\n", list.name,
                     list.file + 2);
        return false;
    }
    std::string content;
    for (const std::string& path : *paths)
        AppendListFileLine(content, path);
    if (!ReplaceFileContent(list.file, content)) {
        std::fprintf(stderr, "%s\n", list.saveFailure);
        return false;
    }
    return true;
}

bool SaveBothListFiles()
{
    const bool locked = SaveListFile(kLocked);
    const bool trusted = SaveListFile(kTrusted);
    return locked && trusted;
}

// Adds each path the list admits and does not hold yet; false when any was refused or failed.
bool AddToList(const CtlList& list, const std::vector<std::string>& paths, std::vector<std::string>& listed)
{
    bool allDone = true;
    for (std::string path : paths) {
        const char* refusal = CheckSendable(path);
        if (!refusal)
            refusal = list.admit(path);
        if (!refusal)
            refusal = CheckSendable(path);  // a shortcut's target
        if (refusal) {
            Report(refusal, path);
            allDone = false;
            continue;
        }
        if (FindListed(listed, path))
            continue;
        if (!SendPathRequest(path.c_str(), list.addCode)) {
            Report("The driver did not take", path);
            allDone = false;
            continue;
        }
        if (list.notifyShell)
            NotifyShellOfLockChange(path.c_str());
        listed.push_back(path);
        std::printf("Added to the %s list: %s\n", list.name, path.c_str());
    }
    return allDone;
}

int Finish(bool allDone)
{
    const bool saved = SaveBothListFiles();
    return allDone && saved ? kCtlDone : kCtlFailed;
}

}  // namespace

int ShowStatus(const char* installDir)
{
    CServiceManager manager;
    SERVICE_STATUS status{};
    const bool running = manager.OpenManager() && manager.OpenDriverService() &&
                         ::QueryServiceStatus(manager.GetDriverService(), &status) &&
                         status.dwCurrentState == SERVICE_RUNNING;
    std::printf("Service: %s\n", running ? "running" : "not running");
    std::printf("Installation folder: %s\n", installDir);
    bool reached = true;
    for (const CtlList* list : {&kLocked, &kTrusted}) {
        CDeviceEnumeration channel;
        size_t count = 0;
        const bool whole = channel.IsOpen() && EnumerateList(channel, list->enumCode, [&](const char*) {
                               ++count;
                               return true;
                           });
        reached = reached && channel.IsOpen();
        if (!channel.IsOpen())
            std::printf("%s list entries: unknown, the driver cannot be reached\n", list->name);
        else
            std::printf("%s list entries: %zu%s\n", list->name, count, whole ? "" : " (read incompletely)");
    }
    return reached ? kCtlDone : kCtlNoDriver;
}

int PrintList(bool trusted)
{
    CDeviceEnumeration channel;
    const bool whole = EnumerateList(channel, ListOf(trusted).enumCode, [](const char* path) {
        std::printf("%s\n", path);
        return true;
    });
    if (whole)
        return kCtlDone;
    std::fprintf(stderr, "The driver's %s list could not be read whole.\n", ListOf(trusted).name);
    return kCtlFailed;
}

int AddPaths(bool trusted, const std::vector<std::string>& paths)
{
    const CtlList& list = ListOf(trusted);
    std::vector<std::string> listed = ReadDriverList(list).value_or(std::vector<std::string>{});
    return Finish(AddToList(list, paths, listed));
}

int RemovePaths(bool trusted, const std::vector<std::string>& paths)
{
    const CtlList& list = ListOf(trusted);
    std::vector<std::string> listed = ReadDriverList(list).value_or(std::vector<std::string>{});
    bool allDone = true;
    for (const std::string& path : paths) {
        const std::string* entry = FindListed(listed, path);
        if (!entry) {
            std::fprintf(stderr, "Not in the %s list: %s\n", list.name, path.c_str());
            allDone = false;
            continue;
        }
        // The driver's own spelling: it may hold the path in another letter case.
        const std::string sent = *entry;
        listed.erase(listed.begin() + (entry - listed.data()));
        if (!SendPathRequest(sent.c_str(), list.removeCode)) {
            Report("The driver did not remove", sent);
            allDone = false;
            continue;
        }
        if (list.notifyShell)
            NotifyShellOfLockChange(sent.c_str());
        std::printf("Removed from the %s list: %s\n", list.name, sent.c_str());
    }
    return Finish(allDone);
}

int ExportLists(const std::string& file)
{
    TransferLists lists;
    for (const CtlList* list : {&kLocked, &kTrusted}) {
        auto paths = ReadDriverList(*list);
        if (!paths) {
            std::fprintf(stderr, "The driver's %s list could not be read whole; nothing exported.\n", list->name);
            return kCtlFailed;
        }
        (list == &kLocked ? lists.locked : lists.trusted) = std::move(*paths);
    }
    if (!ReplaceFileContent(file.c_str(), TransferFileContent(lists))) {
        std::fprintf(stderr, "Can't write %s\n", file.c_str());
        return kCtlFailed;
    }
    std::printf("Exported %zu locked and %zu trusted entries to %s\n", lists.locked.size(), lists.trusted.size(),
                file.c_str());
    return kCtlDone;
}

int ImportLists(const std::string& file)
{
    std::string content;
    {
        CHandle handle(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) {
            std::fprintf(stderr, "Can't read %s\n", file.c_str());
            return kCtlFailed;
        }
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(handle.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            content.append(buffer, read);
    }
    TransferLists lists;
    if (const size_t line = ParseTransferFile(content, lists)) {
        std::fprintf(stderr, "%s, line %zu: not a path of the [locked] or [trusted] section; nothing imported.\n",
                     file.c_str(), line);
        return kCtlFailed;
    }
    bool allDone = true;
    for (const CtlList* list : {&kLocked, &kTrusted}) {
        std::vector<std::string> listed = ReadDriverList(*list).value_or(std::vector<std::string>{});
        if (!AddToList(*list, list == &kLocked ? lists.locked : lists.trusted, listed))
            allDone = false;
    }
    return Finish(allDone);
}
