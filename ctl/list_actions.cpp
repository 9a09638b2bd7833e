#include "ctl/list_actions.h"

#include "ctl/core/command_line.h"
#include "ctl/core/transfer_file.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "driver/service_manager.h"
#include "framework/file_replace.h"
#include "lists/admission.h"
#include "lists/list_entry.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

const CListDescription& ListOf(bool trusted)
{
    return trusted ? g_trustedList : g_lockedList;
}

void Report(const char* text, const std::string& path)
{
    std::fprintf(stderr, "%s: %s\n", text, path.c_str());
}

// The driver's list into the model. A list not read whole is not changed at all: its file
// could not be written to match, and the change would be lost at the next start.
bool LoadWhole(CListModel& model)
{
    CDeviceEnumeration channel;
    if (model.Load(channel.IsOpen() ? &channel : nullptr))
        return true;
    std::fprintf(stderr, "%s\n", model.Description().pszUnreadMessage);
    return false;
}

// Sends each change of the plan and keeps the model in step with what the driver took; false
// when anything was refused, missing or failed. Each of those is told.
bool CarryOut(CListModel& model, const std::vector<ListChange>& plan)
{
    const CListDescription& desc = model.Description();
    bool allDone = true;
    for (const ListChange& change : plan) {
        switch (change.kind) {
        case ListChange::Listed:
            continue;
        case ListChange::Refused:
            Report(change.refusal, change.given);
            allDone = false;
            continue;
        case ListChange::Missing:
            std::fprintf(stderr, "Not in the %s list: %s\n", desc.pszName, change.given.c_str());
            allDone = false;
            continue;
        case ListChange::Add:
        case ListChange::Remove:
            break;
        }
        const bool add = change.kind == ListChange::Add;
        if (!SendPathRequest(change.path.c_str(), add ? desc.dwAddCode : desc.dwRemoveCode)) {
            Report(add ? "The driver did not take" : "The driver did not remove", change.path);
            allDone = false;
            continue;
        }
        if (desc.bNotifyShell)
            NotifyShellOfLockChange(change.path.c_str());
        if (add) {
            model.Append(change.path);
        } else {
            const auto& entries = model.Entries();
            model.RemoveAt(std::find(entries.begin(), entries.end(), change.path) - entries.begin());
        }
        std::printf("%s the %s list: %s\n", add ? "Added to" : "Removed from", desc.pszName, change.path.c_str());
    }
    return allDone;
}

// Only a changed list's file is written: the others keep what they hold.
bool SaveIfChanged(const CListModel& model)
{
    if (!model.IsChanged() || ReplaceFileContent(model.Description().pszFile, model.FileContent()))
        return true;
    std::fprintf(stderr, "%s\n", model.Description().pszSaveFailure);
    return false;
}

int Change(bool trusted, const std::vector<std::string>& paths, bool add)
{
    CListModel model(ListOf(trusted), MachinePathFacts());
    if (!LoadWhole(model))
        return kCtlFailed;
    const bool allDone = CarryOut(model, add ? model.PlanAdds(paths, PathSource::Typed)
                                             : model.PlanRemoves(paths, PathSource::Typed));
    return SaveIfChanged(model) && allDone ? kCtlDone : kCtlFailed;
}

// The whole file, or nothing when any part of it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& file)
{
    CHandle handle(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return std::nullopt;
    std::string content;
    for (;;) {
        char buffer[4096];
        DWORD read = 0;
        if (!::ReadFile(handle.Get(), buffer, sizeof buffer, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            return content;
        content.append(buffer, read);
    }
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
    for (const CListDescription* list : {&g_lockedList, &g_trustedList}) {
        CDeviceEnumeration channel;
        size_t count = 0;
        const bool whole = channel.IsOpen() && EnumerateList(channel, list->dwEnumCode, [&](const char*) {
                               ++count;
                               return true;
                           });
        reached = reached && channel.IsOpen();
        if (!channel.IsOpen())
            std::printf("%s list entries: unknown, the driver cannot be reached\n", list->pszName);
        else
            std::printf("%s list entries: %zu%s\n", list->pszName, count, whole ? "" : " (read incompletely)");
    }
    return reached ? kCtlDone : kCtlNoDriver;
}

int PrintList(bool trusted)
{
    CListModel model(ListOf(trusted), MachinePathFacts());
    CDeviceEnumeration channel;
    const bool whole = model.Load(&channel);
    for (const std::string& path : model.Entries())
        std::printf("%s\n", path.c_str());
    if (whole)
        return kCtlDone;
    std::fprintf(stderr, "%s\n", model.Description().pszUnreadMessage);
    return kCtlFailed;
}

int AddPaths(bool trusted, const std::vector<std::string>& paths)
{
    return Change(trusted, paths, true);
}

int RemovePaths(bool trusted, const std::vector<std::string>& paths)
{
    return Change(trusted, paths, false);
}

int ExportLists(const std::string& file)
{
    CListModel locked(g_lockedList, MachinePathFacts());
    CListModel trusted(g_trustedList, MachinePathFacts());
    if (!LoadWhole(locked) || !LoadWhole(trusted))
        return kCtlFailed;
    const TransferLists lists{locked.Entries(), trusted.Entries()};
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
    const std::optional<std::string> content = ReadWholeFile(file);
    if (!content) {
        std::fprintf(stderr, "Can't read %s\n", file.c_str());
        return kCtlFailed;
    }
    TransferLists lists;
    if (const size_t line = ParseTransferFile(*content, lists)) {
        std::fprintf(stderr, "%s, line %zu: not a path of the [locked] or [trusted] section; nothing imported.\n",
                     file.c_str(), line);
        return kCtlFailed;
    }
    // Both lists are read before anything is sent: a list that cannot be changed stops the whole import.
    CListModel locked(g_lockedList, MachinePathFacts());
    CListModel trusted(g_trustedList, MachinePathFacts());
    if ((!lists.locked.empty() && !LoadWhole(locked)) || (!lists.trusted.empty() && !LoadWhole(trusted)))
        return kCtlFailed;
    bool allDone = CarryOut(locked, locked.PlanAdds(lists.locked, PathSource::Imported));
    allDone = CarryOut(trusted, trusted.PlanAdds(lists.trusted, PathSource::Imported)) && allDone;
    const bool saved = SaveIfChanged(locked);
    return SaveIfChanged(trusted) && saved && allDone ? kCtlDone : kCtlFailed;
}
