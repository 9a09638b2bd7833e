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

// A refusal text for the path, or nullptr when the list may take it; on the trusted list a
// shortcut stands for its target, which takes the path's place.
const char* Admit(ListAdmission admission, std::string& path)
{
    SHFILEINFOA info{};
    if (admission == ADMIT_PROGRAMS &&
        ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES) && (info.dwAttributes & SFGAO_LINK)) {
        char target[MAX_PATH];
        if (ResolveShortcut(path.c_str(), target) != S_OK)
            return "Can't read the shortcut's target";
        path = target;
    }
    return AdmissionRefusal(admission, path.c_str());
}

// A list as the command line names it, with the window's own description of it.
struct CtlList {
    const char* name;
    const CListDescription& desc;
};
const CtlList kLocked{"locked", g_lockedList};
const CtlList kTrusted{"trusted", g_trustedList};

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
    const bool whole = EnumerateList(channel, list.desc.dwEnumCode, [&](const char* path) {
        if (!IsListablePath(path))
            return false;
        if (list.desc.bSkipListedAtLoad)
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
                     list.desc.pszFile + 2);
        return false;
    }
    std::string content;
    for (const std::string& path : *paths)
        AppendListFileLine(content, path);
    if (!ReplaceFileContent(list.desc.pszFile, content)) {
        std::fprintf(stderr, "%s\n", list.desc.pszSaveFailure);
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
            refusal = Admit(list.desc.admission, path);
        if (!refusal)
            refusal = CheckSendable(path);  // a shortcut's target
        if (refusal) {
            Report(refusal, path);
            allDone = false;
            continue;
        }
        if (FindListed(listed, path))
            continue;
        if (!SendPathRequest(path.c_str(), list.desc.dwAddCode)) {
            Report("The driver did not take", path);
            allDone = false;
            continue;
        }
        if (list.desc.bNotifyShell)
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
        const bool whole = channel.IsOpen() && EnumerateList(channel, list->desc.dwEnumCode, [&](const char*) {
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
    const bool whole = EnumerateList(channel, ListOf(trusted).desc.dwEnumCode, [](const char* path) {
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
        if (!SendPathRequest(sent.c_str(), list.desc.dwRemoveCode)) {
            Report("The driver did not remove", sent);
            allDone = false;
            continue;
        }
        if (list.desc.bNotifyShell)
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
