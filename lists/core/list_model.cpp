#include "lists/core/list_model.h"

#include "lists/core/list_file.h"

#include <algorithm>

namespace {

// Characters that no file or folder name holds (':' only after a drive letter).
const char kNoNameHolds[] = "?*\"<>|";

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

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

size_t StreamColon(const std::string& path)
{
    const bool drive = path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
    return path.find(':', drive ? 2 : 0);
}

std::optional<uint32_t> ParseIpv4(const std::string& host)
{
    std::vector<uint64_t> parts;
    size_t at = 0;
    for (;;) {
        if (parts.size() == 4 || at >= host.size() || host[at] == '.')
            return std::nullopt;
        unsigned base = 10;
        if (host[at] == '0' && at + 1 < host.size() && (host[at + 1] == 'x' || host[at + 1] == 'X')) {
            base = 16;
            at += 2;
        } else if (host[at] == '0') {
            base = 8;
        }
        uint64_t value = 0;
        size_t digits = 0;
        for (; at < host.size() && host[at] != '.'; ++at, ++digits) {
            const char c = host[at];
            const unsigned digit = c >= '0' && c <= '9'   ? unsigned(c - '0')
                                   : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
                                   : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                                          : 16;
            if (digit >= base || value > 0xFFFFFFFFu)
                return std::nullopt;
            value = value * base + digit;
        }
        if (digits == 0 && base == 16)
            return std::nullopt;
        parts.push_back(value);
        if (at == host.size())
            break;
        ++at;
    }
    // Every part but the last is one byte; the last fills the bytes that are left.
    uint32_t address = 0;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] > 0xFF)
            return std::nullopt;
        address |= static_cast<uint32_t>(parts[i]) << (24 - 8 * i);
    }
    const uint64_t room = parts.size() == 1 ? 0xFFFFFFFFull : (1ull << (8 * (5 - parts.size()))) - 1;
    if (parts.back() > room)
        return std::nullopt;
    return address | static_cast<uint32_t>(parts.back());
}

bool IsLoopbackHost(const std::string& host)
{
    std::string name;
    for (char c : host)
        name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    // A name with its root's dot is the same name.
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name == "localhost" || name == "::1" || name == "0--1.ipv6-literal.net")
        return true;
    const std::optional<uint32_t> address = ParseIpv4(name);
    return address && (*address >> 24) == 127;
}

std::string LocalShareAsFolder(const std::string& path, const std::function<bool(const std::string&)>& isThisMachine,
                               const std::string& windowsDir)
{
    if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1]))
        return path;
    const size_t hostEnd = path.find_first_of("\\/", 2);
    if (hostEnd == std::string::npos)
        return path;
    const size_t share = hostEnd + 1;
    const size_t shareEnd = std::min(path.find_first_of("\\/", share), path.size());
    std::string name = path.substr(share, shareEnd - share);
    for (char& c : name)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    // The administrative shares: a drive's "X$", and "ADMIN$", the Windows folder.
    std::string folder;
    if (name.size() == 2 && IsDriveLetter(name[0]) && name[1] == '$')
        folder = std::string{path[share], ':', '\\'};
    else if (name == "ADMIN$" && !windowsDir.empty())
        folder = DropTrailingSeparators(windowsDir) + "\\";
    else
        return path;
    const std::string host = path.substr(2, hostEnd - 2);
    if (!IsLoopbackHost(host) && !isThisMachine(host))
        return path;
    return folder + (shareEnd + 1 < path.size() ? path.substr(shareEnd + 1) : "");
}

namespace {

std::string LocalShareOf(const std::string& path, IPathFacts& facts)
{
    return LocalShareAsFolder(path, [&facts](const std::string& host) { return facts.IsThisMachine(host); },
                              facts.WindowsDir());
}

}  // namespace

CanonicalPath Canonical(const std::string& given, PathSource source, IPathFacts& facts)
{
    CanonicalPath form{given};
    std::string& path = form.path;
    if (path.find_first_of(kNoNameHolds) != std::string::npos && !DeviceNamespaceTarget(path)) {
        form.refusal = kRefuseUnsendable;
        return form;
    }
    if (const auto target = DeviceNamespaceTarget(path)) {
        // Judged by what it names, so that an alias of a refused folder is told as that folder.
        if (!IsAbsolutePath(*target) || target->find_first_of(kNoNameHolds) != std::string::npos) {
            form.refusal = kRefuseDevicePath;
            return form;
        }
        form.afterRules = kRefuseDevicePath;
        path = *target;
    } else if (source == PathSource::Imported && !IsAbsolutePath(path)) {
        form.refusal = kRefuseNotAbsolute;
        return form;
    }
    path = facts.FullPath(path);
    if (DeviceNamespaceTarget(path)) {
        form.refusal = kRefuseDevicePath;
        return form;
    }
    path = LocalShareOf(path, facts);
    // A stream is judged as the file or folder it belongs to, and refused after the rules.
    if (const size_t colon = StreamColon(path); colon != std::string::npos) {
        path.resize(colon);
        if (!form.afterRules)
            form.afterRules = kRefuseUnsendable;
    }
    path = facts.LongPath(DropTrailingSeparators(path));
    return form;
}

std::vector<std::string> PathSpellings(const std::string& given, const std::string& canonical, IPathFacts& facts)
{
    std::vector<std::string> spellings{given};
    if (canonical != given)
        spellings.push_back(canonical);
    // What a link, subst or mapped drive leads to, in the canonical form's terms.
    if (const std::optional<std::string> final = facts.FinalPath(canonical)) {
        spellings.push_back(DropTrailingSeparators(LocalShareOf(DeviceNamespaceTarget(*final).value_or(*final), facts)));
    }
    return spellings;
}

LockRuleFolders ReadRuleFolders(IPathFacts& facts)
{
    // An unreadable folder is "", which leads every path: the rules then refuse rather than admit.
    const auto spellingsOf = [&facts](const std::string& folder, std::vector<std::string>& out) {
        if (folder.empty()) {
            out.push_back(folder);
            return;
        }
        const std::vector<std::string> spellings = PathSpellings(folder, Canonical(folder, PathSource::Typed, facts).path, facts);
        out.insert(out.end(), spellings.begin(), spellings.end());
    };
    LockRuleFolders folders;
    spellingsOf(facts.SystemDir(), folders.systemDirs);
    if (const std::string system32 = facts.SystemDir32(); !system32.empty())
        spellingsOf(system32, folders.systemDirs);
    spellingsOf(facts.InstallDir(), folders.installDirs);
    return folders;
}

PathCheckResult JudgeLockPath(const std::string& path, IPathFacts& facts)
{
    const CanonicalPath form = Canonical(path, PathSource::Chosen, facts);
    std::vector<std::string> spellings{path};
    if (!form.refusal)
        spellings = PathSpellings(path, form.path, facts);
    return DecideLockPath(spellings, ReadRuleFolders(facts), facts.CodePage());
}

bool JudgeInProgramFolder(const std::string& path, IPathFacts& facts)
{
    const CanonicalPath form = Canonical(path, PathSource::Chosen, facts);
    std::vector<std::string> spellings{path};
    if (!form.refusal)
        spellings = PathSpellings(path, form.path, facts);
    return DecideInProgramFolder(spellings, ReadRuleFolders(facts).installDirs, facts.CodePage());
}

CListModel::CListModel(const CListDescription& description, IPathFacts& facts)
    : m_description(description), m_facts(facts)
{
}

bool CListModel::Load(IEnumerationChannel* channel, const std::function<void(const std::string&)>& onAppended)
{
    m_entries.clear();
    m_bChanged = false;
    // Only the list that leaves out repeats needs the keys now; the other's are made at need.
    m_index.reset();
    if (m_description.bSkipListedAtLoad)
        m_index.emplace(m_facts);
    m_bWhole = channel && EnumerateList(*channel, m_description.dwEnumCode, [&](const char* text) {
                   if (!IsListablePath(text))
                       return false;
                   const std::string path = text;
                   const std::string key = m_index ? m_index->Key(path) : std::string();
                   if (m_index && m_index->Find(path, key))
                       return true;
                   m_entries.push_back(path);
                   if (m_index)
                       m_index->Add(path, key);
                   if (onAppended)
                       onAppended(path);
                   return true;
               });
    return m_bWhole;
}

const CEntryIndex& CListModel::Index() const
{
    if (!m_index) {
        m_index.emplace(m_facts);
        for (const std::string& entry : m_entries)
            m_index->Add(entry, m_index->Key(entry));
    }
    return *m_index;
}

const char* CListModel::RuleRefusal(const std::vector<std::string>& spellings, const LockRuleFolders& folders) const
{
    const AnsiCodePage& codePage = m_facts.CodePage();
    if (m_description.admission == ADMIT_PROGRAMS)
        return DecideInProgramFolder(spellings, folders.installDirs, codePage) ? "Don't need to trust Veltrix Program"
                                                                              : nullptr;
    switch (DecideLockPath(spellings, folders, codePage)) {
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
    // The window's dialogs and drops give paths of their own, which are kept as given; typed and
    // imported paths are kept in their canonical form. Both are judged in every spelling.
    const bool keepsGiven = source == PathSource::Chosen || source == PathSource::Dropped;
    const LockRuleFolders folders = ReadRuleFolders(m_facts);
    std::vector<ListChange> plan;
    CEntryIndex pending(m_facts);
    for (const std::string& given : paths) {
        ListChange change{ListChange::Refused, given, given};
        std::string& path = change.path;
        CanonicalPath form = Canonical(given, source, m_facts);
        const char* refusal = form.refusal;
        if (!keepsGiven)
            path = form.path;
        // The trusted list takes a shortcut as the program it starts; the dialogs give none.
        if (!refusal && m_description.admission == ADMIT_PROGRAMS && source != PathSource::Chosen) {
            if (const auto target = m_facts.ShortcutTarget(path)) {
                path = *target;
                if (path.empty()) {
                    refusal = kRefuseShortcutUnread;
                } else {
                    form = Canonical(path, source, m_facts);
                    if (!keepsGiven)
                        path = form.path;
                    if (!(refusal = form.refusal) && !m_facts.IsProgram(path))
                        refusal = kRefuseNotAProgram;
                }
            } else if (source == PathSource::Dropped) {
                refusal = kRefuseNotAShortcut;
            }
        }
        // The empty path is refused by the lock rule, as the window has always told it.
        if (!refusal)
            refusal = RuleRefusal(PathSpellings(path, form.path, m_facts), folders);
        if (!refusal && !IsListablePath(path.c_str()))
            refusal = kRefuseControlCharacter;
        if (!refusal && (path.empty() || path.size() > kMaxPathLength))
            refusal = kRefuseLength;
        if (!refusal)
            refusal = form.afterRules;
        if (refusal) {
            change.refusal = refusal;
        } else {
            const std::string key = pending.Key(path);
            change.kind = ListChange::Listed;
            if (const auto index = Index().Find(path, key)) {
                path = m_entries[*index];
            } else if (!pending.Find(path, key)) {
                change.kind = ListChange::Add;
                pending.Add(path, key);
            }
        }
        plan.push_back(std::move(change));
    }
    return plan;
}

std::vector<ListChange> CListModel::PlanRemoves(const std::vector<std::string>& paths, PathSource source) const
{
    std::vector<ListChange> plan;
    std::vector<bool> removed(m_entries.size(), false);
    const auto unremoved = [&removed](size_t i) { return !removed[i]; };
    for (const std::string& given : paths) {
        // The canonical form first, then the text as given: an entry listed before paths were
        // made canonical can still be named as it was added.
        std::vector<std::string> names;
        const CanonicalPath canonical = Canonical(given, source, m_facts);
        if (!canonical.refusal) {
            if (m_description.admission == ADMIT_PROGRAMS && source != PathSource::Chosen) {
                const std::string target = m_facts.ShortcutTarget(canonical.path).value_or("");
                const CanonicalPath program = Canonical(target, source, m_facts);
                if (!target.empty() && !program.refusal)
                    names.push_back(program.path);
            }
            names.push_back(canonical.path);
        }
        names.push_back(given);

        ListChange change{ListChange::Missing, given, given};
        for (const std::string& name : names) {
            if (const auto index = Index().Find(name, Index().Key(name), unremoved)) {
                removed[*index] = true;
                change = {ListChange::Remove, given, m_entries[*index], {}, *index};
                break;
            }
        }
        plan.push_back(std::move(change));
    }
    return plan;
}

std::vector<ListChange> CListModel::PlanRemovesExcept(const std::vector<std::string>& kept) const
{
    CEntryIndex keep(m_facts);
    for (const std::string& path : kept)
        keep.Add(path, keep.Key(path));
    std::vector<ListChange> plan;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (!keep.Find(m_entries[i], keep.Key(m_entries[i])))
            plan.push_back({ListChange::Remove, m_entries[i], m_entries[i], {}, i});
    return plan;
}

void CListModel::Append(const std::string& path)
{
    if (m_index)
        m_index->Add(path, m_index->Key(path));
    m_entries.push_back(path);
    m_bChanged = true;
}

std::vector<ListChange> CListModel::PlanRemoveAt(const std::vector<size_t>& indices) const
{
    std::vector<ListChange> plan;
    for (const size_t i : indices)
        plan.push_back({ListChange::Remove, m_entries[i], m_entries[i], {}, i});
    return plan;
}

void CListModel::RemoveAt(const std::vector<size_t>& indices)
{
    if (indices.empty())
        return;
    // The places after the first move: the index is made afresh at its next use.
    m_index.reset();
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
