// The entries of a list found by their key (IPathFacts::EntryKey): a path is compared only with
// the entries that share its key, so that looking up each of n paths among n entries costs
// about n, where comparing with every entry cost n squared.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class IPathFacts;

class CEntryIndex {
public:
    explicit CEntryIndex(IPathFacts& facts) : m_facts(facts) {}

    // The path's key, computed once for Find and Add.
    std::string Key(const std::string& path) const;
    // The path takes the next position.
    void Add(const std::string& path, const std::string& key);
    // The first position whose path is the same entry as path (IPathFacts::IsSameEntry) and
    // that usable accepts.
    std::optional<size_t> Find(const std::string& path, const std::string& key,
                               const std::function<bool(size_t)>& usable = {}) const;

private:
    IPathFacts& m_facts;
    std::vector<std::string> m_paths;
    // The positions of each key, in order; "" holds those of paths without one, which may be
    // the same as any path.
    std::unordered_map<std::string, std::vector<size_t>> m_byKey;
};
