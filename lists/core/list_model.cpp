#include "lists/core/list_model.h"

#include "lists/core/list_file.h"

#include <unordered_set>

namespace {

// Characters that no file or folder name holds (':' only after a drive letter).
const char kNoNameHolds[] = "?*\"<>|";

// A list entry, as the driver's path buffers hold it: 259 characters and the terminator.
constexpr size_t kMaxPathLength = 259;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::optional<size_t> IPathFacts::FindEntry(const std::vector<std::string>& entries, const std::string& path)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (IsSameEntry(entries[i], path))
            return i;
    return std::nullopt;
}

std::string IPathFacts::EntryKey(const std::string&)
{
    return {};
}

bool IsAbsolutePath(const std::string& path)
{
    const bool drive = path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
    const bool unc = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
    return drive || unc;
}

std::optional<std::string> DeviceNamespaceTarget(const std::string& path)
{
    if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || (path[2] != '.' && path[2] != '?') ||
        !IsSeparator(path[3]))
        return std::nullopt;
    std::string rest = path.substr(4);
    // "\\?\UNC\server\share" is "\\server\share".
    if (rest.size() >= 4 && (rest[0] == 'U' || rest[0] == 'u') && (rest[1] == 'N' || rest[1] == 'n') &&
        (rest[2] == 'C' || rest[2] == 'c') && IsSeparator(rest[3]))
        return "\\\\" + rest.substr(4);
    return rest;
}

std::string DropTrailingSeparators(std::string path)
{
    while (!path.empty() && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

std::string LocalShareAsDrive(const std::string& path, const std::function<bool(const std::string&)>& isThisMachine)
{
    if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1]))
        return path;
    const size_t hostEnd = path.find_first_of("\\/", 2);
    if (hostEnd == std::string::npos)
        return path;
    // The administrative share of a drive: "X$", then the end or a separator.
    const size_t share = hostEnd + 1;
    if (path.size() < share + 2 || !IsDriveLetter(path[share]) || path[share + 1] != '$' ||
        (path.size() > share + 2 && !IsSeparator(path[share + 2])))
        return path;
    if (!isThisMachine(path.substr(2, hostEnd - 2)))
        return path;
    return std::string{path[share], ':', '\\'} + (path.size() > share + 3 ? path.substr(share + 3) : "");
}

CListModel::CListModel(const CListDescription& description, IPathFacts& facts)
    : m_description(description), m_facts(facts)
{
}

bool CListModel::Load(IEnumerationChannel* channel, const std::function<void(const std::string&)>& onAppended)
{
    m_entries.clear();
    m_bChanged = false;
    std::unordered_set<std::string> keys;
    m_bWhole = channel && EnumerateList(*channel, m_description.dwEnumCode, [&](const char* text) {
                   if (!IsListablePath(text))
                       return false;
                   const std::string path = text;
                   if (m_description.bSkipListedAtLoad) {
                       const std::string key = m_facts.EntryKey(path);
                       if ((key.empty() || !keys.insert(key).second) && Find(path))
                           return true;
                   }
                   m_entries.push_back(path);
                   if (onAppended)
                       onAppended(path);
                   return true;
               });
    return m_bWhole;
}

const char* CListModel::Canonical(std::string& path, PathSource source, bool& bDevicePath) const
{
    bDevicePath = false;
    if (source == PathSource::Chosen || source == PathSource::Dropped)
        return nullptr;
    if (path.find_first_of(kNoNameHolds) != std::string::npos && !DeviceNamespaceTarget(path))
        return kRefuseUnsendable;
    if (const auto target = DeviceNamespaceTarget(path)) {
        // Judged by what it names, so that an alias of a refused folder is told as that folder.
        if (!IsAbsolutePath(*target) || target->find_first_of(kNoNameHolds) != std::string::npos)
            return kRefuseDevicePath;
        bDevicePath = true;
        path = *target;
    } else if (source == PathSource::Imported && !IsAbsolutePath(path)) {
        return kRefuseNotAbsolute;
    }
    path = m_facts.FullPath(path);
    if (DeviceNamespaceTarget(path))
        return kRefuseDevicePath;
    path = LocalShareAsDrive(path, [this](const std::string& host) { return m_facts.IsThisMachine(host); });
    path = m_facts.LongPath(DropTrailingSeparators(path));
    return nullptr;
}

const char* CListModel::RuleRefusal(const std::string& path) const
{
    const std::string install = m_facts.InstallDir();
    const AnsiCodePage& codePage = m_facts.CodePage();
    if (m_description.admission == ADMIT_PROGRAMS)
        return DecideInProgramFolder(path.c_str(), install.c_str(), codePage) ? "Don't need to trust Veltrix Program"
                                                                             : nullptr;
    const std::string system = m_facts.SystemDir();
    const std::string system32 = m_facts.SystemDir32();
    const LockRuleFolders folders{system.c_str(), system32.empty() ? nullptr : system32.c_str(), install.c_str()};
    switch (DecideLockPath(path.c_str(), folders, codePage)) {
    case PATH_SYSTEM_DIR:
        return "Can't lock Windows System Directory";
    case PATH_OWN_FILES:
        return "Can't lock Veltrix File";
    default:
        return nullptr;
    }
}

std::vector<ListChange> CListModel::PlanAdds(const std::vector<std::string>& paths, PathSource source) const
{
    std::vector<ListChange> plan;
    std::vector<std::string> pending;
    for (const std::string& given : paths) {
        ListChange change{ListChange::Refused, given, given};
        std::string& path = change.path;
        bool bDevicePath = false;
        change.refusal = Canonical(path, source, bDevicePath);
        // The trusted list takes a shortcut as the program it starts; the dialogs give none.
        if (!change.refusal && m_description.admission == ADMIT_PROGRAMS && source != PathSource::Chosen) {
            if (const auto target = m_facts.ShortcutTarget(path)) {
                path = *target;
                if (path.empty())
                    change.refusal = kRefuseShortcutUnread;
                else if (!(change.refusal = Canonical(path, source, bDevicePath)) && !m_facts.IsProgram(path))
                    change.refusal = kRefuseNotAProgram;
            } else if (source == PathSource::Dropped) {
                change.refusal = kRefuseNotAShortcut;
            }
        }
        // The empty path is refused by the lock rule, as the window has always told it.
        if (!change.refusal)
            change.refusal = RuleRefusal(path);
        if (!change.refusal && !IsListablePath(path.c_str()))
            change.refusal = kRefuseControlCharacter;
        if (!change.refusal && (path.empty() || path.size() > kMaxPathLength))
            change.refusal = kRefuseLength;
        if (!change.refusal && bDevicePath)
            change.refusal = kRefuseDevicePath;
        if (!change.refusal) {
            change.kind = ListChange::Add;
            if (const auto index = Find(path)) {
                change.kind = ListChange::Listed;
                path = m_entries[*index];
            }
            for (const std::string& added : pending)
                if (change.kind == ListChange::Add && m_facts.IsSameEntry(added, path))
                    change.kind = ListChange::Listed;
            if (change.kind == ListChange::Add)
                pending.push_back(path);
        }
        plan.push_back(std::move(change));
    }
    return plan;
}

std::vector<ListChange> CListModel::PlanRemoves(const std::vector<std::string>& paths, PathSource source) const
{
    std::vector<ListChange> plan;
    std::vector<bool> removed(m_entries.size(), false);
    for (const std::string& given : paths) {
        // The canonical form first, then the text as given: an entry listed before paths were
        // made canonical can still be named as it was added.
        std::vector<std::string> names;
        std::string canonical = given;
        bool bDevicePath = false;
        if (!Canonical(canonical, source, bDevicePath)) {
            if (m_description.admission == ADMIT_PROGRAMS && source != PathSource::Chosen) {
                std::string target = m_facts.ShortcutTarget(canonical).value_or("");
                if (!target.empty() && !Canonical(target, source, bDevicePath))
                    names.push_back(target);
            }
            names.push_back(canonical);
        }
        names.push_back(given);

        ListChange change{ListChange::Missing, given, given};
        for (const std::string& name : names) {
            for (size_t i = 0; i < m_entries.size() && change.kind == ListChange::Missing; ++i) {
                if (!removed[i] && m_facts.IsSameEntry(m_entries[i], name)) {
                    removed[i] = true;
                    change = {ListChange::Remove, given, m_entries[i], nullptr, i};
                }
            }
        }
        plan.push_back(std::move(change));
    }
    return plan;
}

void CListModel::Append(const std::string& path)
{
    m_entries.push_back(path);
    m_bChanged = true;
}

std::vector<ListChange> CListModel::PlanRemoveAt(const std::vector<size_t>& indices) const
{
    std::vector<ListChange> plan;
    for (const size_t i : indices)
        plan.push_back({ListChange::Remove, m_entries[i], m_entries[i], nullptr, i});
    return plan;
}

void CListModel::RemoveAt(const std::vector<size_t>& indices)
{
    if (indices.empty())
        return;
    size_t kept = indices.front();
    for (size_t i = indices.front(), k = 0; i < m_entries.size(); ++i) {
        if (k < indices.size() && indices[k] == i)
            ++k;
        else
            m_entries[kept++] = std::move(m_entries[i]);
    }
    m_entries.resize(kept);
    m_bChanged = true;
}

std::string CListModel::FileContent() const
{
    return ListFileContent(m_entries);
}
