#include "lists/core/entry_index.h"

#include "lists/core/list_model.h"

std::string CEntryIndex::Key(const std::string& path) const
{
    return m_facts.EntryKey(path);
}

void CEntryIndex::Add(const std::string& path, const std::string& key)
{
    m_byKey[key].push_back(m_paths.size());
    m_paths.push_back(path);
}

std::optional<size_t> CEntryIndex::Find(const std::string& path, const std::string& key,
                                        const std::function<bool(size_t)>& usable) const
{
    const auto matches = [&](size_t at) { return (!usable || usable(at)) && m_facts.IsSameEntry(m_paths[at], path); };
    if (key.empty()) {
        for (size_t at = 0; at < m_paths.size(); ++at)
            if (matches(at))
                return at;
        return std::nullopt;
    }
    // The key's positions and the keyless ones, merged in order.
    static const std::vector<size_t> kNone;
    const auto keyed = m_byKey.find(key);
    const auto keyless = m_byKey.find(std::string());
    const std::vector<size_t>& a = keyed == m_byKey.end() ? kNone : keyed->second;
    const std::vector<size_t>& b = keyless == m_byKey.end() ? kNone : keyless->second;
    for (size_t i = 0, j = 0; i < a.size() || j < b.size();) {
        const size_t at = j == b.size() || (i < a.size() && a[i] < b[j]) ? a[i++] : b[j++];
        if (matches(at))
            return at;
    }
    return std::nullopt;
}
