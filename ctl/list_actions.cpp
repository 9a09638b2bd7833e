#include "ctl/list_actions.h"

#include "audit/audit_trail.h"
#include "ctl/console_signals.h"
#include "ctl/core/change_plan.h"
#include "ctl/core/command_line.h"
#include "ctl/core/import_plan.h"
#include "ctl/core/json_output.h"
#include "ctl/core/transfer_file.h"
#include "ctl/core/variables.h"
#include "driver/core/names.h"
#include "driver/core/protocol.h"
#include "driver/service_manager.h"
#include "framework/file_replace.h"
#include "lists/admission.h"
#include "lists/list_changer.h"
#include "lists/list_entry.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

const CListDescription& ListOf(bool trusted)
{
    return trusted ? g_trustedList : g_lockedList;
}


// JSON is UTF-8; the paths are in the ANSI code page.
std::string AnsiToUtf8(std::string_view ansi)
{
    const int length = static_cast<int>(ansi.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), wideLength);
    const int utf8Length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(utf8Length, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
    return utf8;
}

std::optional<std::string> EnvironmentVariable(const std::string& name)
{
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name.c_str(), value.data(), size);
    if (length == 0 || length >= size)
        return std::nullopt;
    value.resize(length);
    return value;
}

}  // namespace

// The driver's list into the model. A list not read whole is not changed at all: its file
// could not be written to match, and the change would be lost at the next start.
bool CListActions::LoadWhole(CListModel& model)
{
    if (model.Load(m_device.OpenEnumeration().get()))
        return true;
    std::fprintf(m_err, "%s\n", model.Description().pszUnreadMessage);
    return false;
}

// One change command's run: each path's result, as it goes to the driver (or in a dry run would
// go), is told and recorded. Refusals go to the error stream as they come; the changes to the
// output, with --json and in a dry run all at the end.
class CListActions::CChangeRun {
public:
    CChangeRun(const CtlCommand& command, CListActions& actions) : m_command(command), m_actions(actions) {}

    // Sends each change of the plan, unless this is a dry run, and keeps the model in step with
    // what the driver took; each change done is an event of the audit trail.
    void CarryOut(CListModel& model, const std::vector<ListChange>& plan)
    {
        const CListDescription& desc = model.Description();
        // The console is closing: what was sent is written, nothing more is sent.
        const auto mustStop = [] { return g_changeGuard.MustStop(); };
        std::vector<ChangeOutcome> outcomes(plan.size(), ChangeOutcome::Done);
        if (!m_command.dryRun)
            outcomes = CListChanger(model, m_actions.m_device, FailedRequest::LeaveOut).CarryOut(plan, false, mustStop);
        for (size_t k = 0; k < plan.size(); ++k) {
            const ListChange& change = plan[k];
            const bool add = change.kind == ListChange::Add;
            switch (outcomes[k]) {
            case ChangeOutcome::Stopped:
                return;
            case ChangeOutcome::Failed: {
                const char* failure = add ? "The driver did not take" : "The driver did not remove";
                Report(failure, change.path);
                Record(desc, change.path, CtlResult::Failed, failure);
                continue;
            }
            default:
                break;
            }
            switch (change.kind) {
            case ListChange::Listed:
                Record(desc, change.given, CtlResult::Unchanged);
                break;
            case ListChange::Refused:
                Refuse(desc, change.given, change.refusal);
                break;
            case ListChange::Missing:
                Refuse(desc, change.given, std::string("Not in the ") + desc.pszName + " list");
                break;
            case ListChange::Add:
            case ListChange::Remove:
                if (!m_command.json && !m_command.dryRun)
                    std::fprintf(Out(), "%s the %s list: %s\n", add ? "Added to" : "Removed from", desc.pszName,
                                 change.path.c_str());
                Record(desc, change.path, add ? CtlResult::Added : CtlResult::Removed);
                break;
            }
        }
    }
    CtlCounts Counts() const { return CountChanges(m_changes); }
    // Prints what is left to print; the exit code.
    int Finish(bool saved) const
    {
        const CtlCounts counts = Counts();
        if (m_command.json) {
            std::fputs(ChangesJson(m_command.verb, m_command.dryRun, m_changes, AnsiToUtf8).c_str(), Out());
        } else if (m_command.dryRun) {
            for (const CtlChange& change : m_changes)
                if (const std::string line = DryRunLine(change); !line.empty())
                    std::fprintf(Out(), "%s\n", line.c_str());
            std::fprintf(Out(), "%s\n", CountsLine(counts, true).c_str());
        } else if (m_command.action == CtlAction::Import) {
            std::fprintf(Out(), "%s\n", CountsLine(counts, false).c_str());
        }
        return ChangeExitCode(counts, saved, m_command.check);
    }

private:
    std::FILE* Out() const { return m_actions.m_out; }
    // The path as given, an import line perhaps: its control characters are shown, not obeyed.
    void Report(const std::string& text, const std::string& path) const
    {
        std::fprintf(m_actions.m_err, "%s: %s\n", EscapeControlCharacters(text).c_str(),
                     EscapeControlCharacters(path).c_str());
    }
    void Record(const CListDescription& desc, const std::string& path, CtlResult result, std::string refusal = {})
    {
        m_changes.push_back({desc.pszName, path, result, std::move(refusal)});
    }
    void Refuse(const CListDescription& desc, const std::string& path, const std::string& refusal)
    {
        Report(refusal, path);
        Record(desc, path, CtlResult::Refused, refusal);
    }
    const CtlCommand& m_command;
    CListActions& m_actions;
    std::vector<CtlChange> m_changes;
};

// The list's file written from the model, for SYSTEM and Administrators only. Only a changed
// list's file is written (SaveIfChanged): the others keep what they hold.
bool CListActions::Save(const CListModel& model)
{
    if (ReplaceFileContent(model.Description().pszFile, model.FileContent(), FileAccess::AdministratorsOnly))
        return true;
    std::fprintf(m_err, "%s\n", model.Description().pszSaveFailure);
    m_bFileNotWritten = true;
    return false;
}

int CListActions::Change(const CtlCommand& command, const std::vector<std::string>& paths, bool add)
{
    CListModel model(ListOf(command.trusted), m_facts);
    if (!LoadWhole(model))
        return kCtlFailed;
    CChangeRun run(command, *this);
    run.CarryOut(model, add ? model.PlanAdds(paths, PathSource::Typed) : model.PlanRemoves(paths, PathSource::Typed));
    return run.Finish(command.dryRun || SaveIfChanged(model));
}

namespace {

// The whole file, or nothing when any part of it cannot be read or it holds more than maxSize
// bytes (then tooLarge).
std::optional<std::string> ReadWholeFile(const std::string& file, size_t maxSize, bool& tooLarge)
{
    tooLarge = false;
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
        if (content.size() > maxSize) {
            tooLarge = true;
            return std::nullopt;
        }
    }
}

}  // namespace

int CListActions::Run(const CtlCommand& command, const std::vector<std::string>& operands)
{
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

bool CListActions::SaveListFiles()
{
    bool allSaved = true;
    for (const CListDescription* list : {&g_lockedList, &g_trustedList}) {
        CListModel model(*list, m_facts);
        allSaved = LoadWhole(model) && Save(model) && allSaved;
    }
    return allSaved;
}

int CListActions::ShowStatus(const char* installDir, bool auditTrailOn, bool json)
{
    // Query access only, which any user has: the state is there to be seen without elevation.
    const CServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const CServiceHandle service(manager ? ::OpenServiceA(manager.Get(), VTX_SERVICE_NAME, SERVICE_QUERY_STATUS)
                                         : nullptr);
    SERVICE_STATUS status{};
    const bool running = service && ::QueryServiceStatus(service.Get(), &status) &&
                         status.dwCurrentState == SERVICE_RUNNING;
    std::vector<CtlListCount> counts;
    for (const CListDescription* list : {&g_lockedList, &g_trustedList}) {
        // Shared, so that a look never makes a running window's or script's request fail.
        const auto channel = m_device.OpenEnumeration(FILE_SHARE_READ | FILE_SHARE_WRITE);
        CtlListCount& count = counts.emplace_back(CtlListCount{list->pszName, std::nullopt, false});
        if (!channel)
            continue;
        count.entries = 0;
        count.complete = EnumerateList(*channel, list->dwEnumCode, [&](const char*) {
            ++*count.entries;
            return true;
        });
    }
    if (json) {
        std::fputs(StatusJson(running, installDir, auditTrailOn, counts, AnsiToUtf8).c_str(), m_out);
    } else {
        std::fprintf(m_out, "Service: %s\n", running ? "running" : "not running");
        std::fprintf(m_out, "Installation folder: %s\n", installDir);
        std::fprintf(m_out, "Audit trail: %s\n", auditTrailOn ? "on" : "off");
        for (const CtlListCount& count : counts)
            if (!count.entries)
                std::fprintf(m_out, "%s list entries: unknown, the driver cannot be reached\n", count.name.c_str());
            else
                std::fprintf(m_out, "%s list entries: %zu%s\n", count.name.c_str(), *count.entries,
                             count.complete ? "" : " (read incompletely)");
    }
    return counts[0].entries && counts[1].entries ? kCtlDone : kCtlNoDriver;
}

int CListActions::PrintList(bool trusted, bool json)
{
    CListModel model(ListOf(trusted), m_facts);
    const auto channel = m_device.OpenEnumeration();
    // Gone since the password was checked: the list is unknown, not empty.
    if (!channel) {
        std::fprintf(m_err, "%s\n", kCtlNoDriverMessage);
        return kCtlNoDriver;
    }
    const bool whole = model.Load(channel.get());
    if (json)
        std::fputs(ListJson(model.Description().pszName, model.Entries(), whole, AnsiToUtf8).c_str(), m_out);
    else
        for (const std::string& path : model.Entries())
            std::fprintf(m_out, "%s\n", path.c_str());
    if (whole)
        return kCtlDone;
    std::fprintf(m_err, "%s\n", model.Description().pszUnreadMessage);
    return kCtlFailed;
}

int CListActions::AddPaths(const CtlCommand& command, const std::vector<std::string>& paths)
{
    return Change(command, paths, true);
}

int CListActions::RemovePaths(const CtlCommand& command, const std::vector<std::string>& paths)
{
    return Change(command, paths, false);
}

int CListActions::ExportLists(const std::string& file)
{
    CListModel locked(g_lockedList, m_facts);
    CListModel trusted(g_trustedList, m_facts);
    if (!LoadWhole(locked) || !LoadWhole(trusted))
        return kCtlFailed;
    const TransferLists lists{locked.Entries(), trusted.Entries()};
    if (!ReplaceFileContent(file.c_str(), TransferFileContent(lists))) {
        std::fprintf(m_err, "Can't write %s\n", file.c_str());
        return kCtlFailed;
    }
    std::fprintf(m_out, "Exported %zu locked and %zu trusted entries to %s\n", lists.locked.size(),
                 lists.trusted.size(), file.c_str());
    return kCtlDone;
}

int CListActions::ImportLists(const CtlCommand& command, const std::string& file)
{
    bool tooLarge = false;
    const std::optional<std::string> content = ReadWholeFile(file, kMaxTransferFileSize, tooLarge);
    if (tooLarge) {
        std::fprintf(m_err, "%s is larger than %zu MB, more than both lists can hold; nothing imported.\n",
                     file.c_str(), kMaxTransferFileSize >> 20);
        return kCtlFailed;
    }
    if (!content) {
        std::fprintf(m_err, "Can't read %s\n", file.c_str());
        return kCtlFailed;
    }
    TransferLists lists;
    if (const size_t line = ParseTransferFile(*content, lists)) {
        std::fprintf(m_err, "%s, line %zu: not a path of the [locked] or [trusted] section; nothing imported.\n",
                     file.c_str(), line);
        return kCtlFailed;
    }
    // Both lists are read before anything is sent: a list that cannot be changed stops the whole
    // import. With --replace a list is changed when the file names it, though with no line.
    CListModel locked(g_lockedList, m_facts);
    CListModel trusted(g_trustedList, m_facts);
    const bool changesLocked = command.replace ? lists.namesLocked : !lists.locked.empty();
    const bool changesTrusted = command.replace ? lists.namesTrusted : !lists.trusted.empty();
    if ((changesLocked && !LoadWhole(locked)) || (changesTrusted && !LoadWhole(trusted)))
        return kCtlFailed;
    // Both lists are planned before anything is sent: a plan that fails sends nothing.
    CtlImportPlan lockedPlan;
    CtlImportPlan trustedPlan;
    if (changesLocked)
        lockedPlan = PlanImport(locked, lists.locked, command.replace, EnvironmentVariable);
    if (changesTrusted)
        trustedPlan = PlanImport(trusted, lists.trusted, command.replace, EnvironmentVariable);
    CChangeRun run(command, *this);
    for (auto [model, plan] : {std::pair{&locked, &lockedPlan}, std::pair{&trusted, &trustedPlan}}) {
        run.CarryOut(*model, plan->changes);
        if (plan->keptForRefusal)
            std::fprintf(m_err, "Nothing removed from the %s list: a line of %s for it was refused.\n",
                         model->Description().pszName, file.c_str());
    }
    bool saved = true;
    if (!command.dryRun) {
        const bool lockedSaved = SaveIfChanged(locked);
        saved = SaveIfChanged(trusted) && lockedSaved;
    }
    const int code = run.Finish(saved);
    if (!command.dryRun) {
        const CtlCounts counts = run.Counts();
        WriteAuditEvent(MSG_LISTS_IMPORTED, {file, std::to_string(counts.added), std::to_string(counts.removed),
                                             std::to_string(counts.refused)});
    }
    return code;
}
