// One protection list as every front end sees it: its entries in order, and the rules that
// decide what enters it, what leaves it, how it is loaded from the driver and what its file
// holds. The window's list, its drop target and vtxctl are shells around it. What only Windows
// knows is asked through IPathFacts, so that the rules run natively in the tests.
#pragma once

#include "driver/core/enumeration.h"
#include "driver/core/protocol.h"
#include "lists/core/admission_rules.h"
#include "lists/core/entry_index.h"
#include "lists/core/list_description.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Where a path comes from; the rules differ only in what each source can give.
enum class PathSource {
    Chosen,    // the shell's dialogs: a full path already; a shortcut is taken as a file
    Dropped,   // the shell's file list: a full path; the trusted list takes shortcuts to programs only
    Typed,     // vtxctl's arguments, made full against the folder it was started in
    Imported,  // lines of an import file, which must be absolute (a drive or \\server\share)
};

// What only Windows knows. Folders are read at every call: the rules depend on them as they are.
class IPathFacts {
public:
    virtual ~IPathFacts() = default;
    virtual std::string SystemDir() = 0;
    virtual std::string SystemDir32() = 0;  // the 32-bit one of a 64-bit Windows; "" if none
    virtual std::string InstallDir() = 0;   // the current folder
    virtual std::string WindowsDir() = 0;   // the one the ADMIN$ share names
    virtual const AnsiCodePage& CodePage() = 0;
    // Whether two entries are the same, as the list view's string search compares them.
    virtual bool IsSameEntry(const std::string& a, const std::string& b) = 0;
    // A key that every entry the same as path shares, or "" for none. Comparing a path with
    // each entry would make a long load or plan quadratic: a path is compared only with the
    // entries of its key (lists/core/entry_index.h).
    virtual std::string EntryKey(const std::string& path);
    // nullopt when path is no shortcut; "" for a shortcut whose target cannot be read.
    virtual std::optional<std::string> ShortcutTarget(const std::string& path) = 0;
    virtual bool IsProgram(const std::string& path) = 0;
    // The full path, "." and ".." taken out and "/" made "\" (GetFullPathName).
    virtual std::string FullPath(const std::string& path) = 0;
    // Short (8.3) names of the path, or of its nearest existing parent, made long.
    virtual std::string LongPath(const std::string& path) = 0;
    // A host name that names this machine: its own names and addresses (every name of the
    // loopback is known without asking).
    virtual bool IsThisMachine(const std::string& host) = 0;
    // What an existing path resolves to through links, subst and mapped drives
    // (GetFinalPathNameByHandle), as a Win32 path; nullopt where it cannot be opened.
    virtual std::optional<std::string> FinalPath(const std::string& path) = 0;
};

// The refusals that the window never shows: only typed and imported paths meet them.
// An import line that depends on the folder it is read in.
inline constexpr char kRefuseNotAbsolute[] = "Not a full path (a drive or \\\\server\\share)";
// "\\.\" and "\\?\" paths name devices and bypass the path rules of the file system.
inline constexpr char kRefuseDevicePath[] = "A device path; give the file or folder itself";
// vtxctl makes a character outside the ANSI code page '?', which no file name holds, like a
// wildcard or a quote (a typed "C:\Dir\" ends in one), or a ':' after the drive's, which names
// a stream of a file or folder.
inline constexpr char kRefuseUnsendable[] = "A character outside the ANSI code page, or one no file name holds";
// A character below 0x20 would split the list file's line.
inline constexpr char kRefuseControlCharacter[] = "A control character in the path";
// The driver takes 259 characters at most.
inline constexpr char kRefuseLength[] = "Path too long or empty";
inline constexpr size_t kMaxPathLength = VTX_MAX_PATH_UNITS;
// On the trusted list a shortcut stands for the program it starts...
inline constexpr char kRefuseShortcutUnread[] = "Can't read the shortcut's target";
inline constexpr char kRefuseNotAProgram[] = "The shortcut's target is not a program";
// ...and a drop brings programs only through their shortcuts.
inline constexpr char kRefuseNotAShortcut[] = "Not a shortcut to a program";

// One path's fate in a planned change of a list.
struct ListChange {
    enum Kind {
        Add,      // path is to be added
        Remove,   // path, the list's own spelling, is to be removed
        Listed,   // already in the list: nothing to do
        Missing,  // not in the list: nothing to remove
        Refused,  // refusal says why
    };
    Kind kind;
    std::string given;  // as it was given
    std::string path;   // what is sent and saved: the canonical form, or the listed spelling
    std::string refusal = {};  // Refused: why
    // Remove: the entry's place in the list when the change was planned (none: the first entry
    // spelled as path).
    std::optional<size_t> index = std::nullopt;
};

class CListModel {
public:
    CListModel(const CListDescription& description, IPathFacts& facts);

    const CListDescription& Description() const { return m_description; }
    const std::vector<std::string>& Entries() const { return m_entries; }
    // The driver gave the list whole at the last load; otherwise the entries are only part of it.
    bool IsWhole() const { return m_bWhole; }
    // An entry was added or removed since the last load.
    bool IsChanged() const { return m_bChanged; }

    // Replaces the entries by the driver's list (channel nullptr: the device could not be
    // opened; the list is then unknown, not empty). A path the list cannot hold makes it partial;
    // the locked list leaves out a path it holds already. onAppended hears each entry kept.
    bool Load(IEnumerationChannel* channel, const std::function<void(const std::string&)>& onAppended = {});

    // What adding the paths would do, in order, the model unchanged: each refusal with its text,
    // each path already listed (also earlier in the same batch), each path to add.
    std::vector<ListChange> PlanAdds(const std::vector<std::string>& paths, PathSource source) const;
    ListChange PlanAdd(const std::string& path, PathSource source) const { return PlanAdds({path}, source)[0]; }
    // What removing the paths would do: the listed spelling of each, or Missing. A shortcut on
    // the trusted list stands for its target.
    std::vector<ListChange> PlanRemoves(const std::vector<std::string>& paths, PathSource source) const;
    // Removing the entries at these places (the window's selection, or every entry to clear it).
    std::vector<ListChange> PlanRemoveAt(const std::vector<size_t>& indices) const;
    // What removing each entry that none of kept names would do, in the list's order.
    std::vector<ListChange> PlanRemovesExcept(const std::vector<std::string>& kept) const;

    // The entries change only here, once a change is done (lists/list_changer.h does it).
    void Append(const std::string& path);
    // The entries at these places go, in one pass; indices ascending.
    void RemoveAt(const std::vector<size_t>& indices);

    // The list file's content: one line per entry, in order.
    std::string FileContent() const;

private:
    // The refusal by the list's own rule (the texts the window shows), or nullptr.
    const char* RuleRefusal(const std::vector<std::string>& spellings, const LockRuleFolders& folders) const;
    // The entries by key: kept from the load on, built at the first need after a removal.
    const CEntryIndex& Index() const;

    const CListDescription& m_description;
    IPathFacts& m_facts;
    std::vector<std::string> m_entries;
    mutable std::optional<CEntryIndex> m_index;
    bool m_bWhole = false;
    bool m_bChanged = false;
};

// A path's canonical form: what the rules judge, and what a typed or imported path is sent and
// saved as. Full, "\\.\" and "\\?\" prefixes taken off, a share of this machine made the
// folder it is, a stream's ':' cut off, no trailing separator, long names. refusal: nothing to
// judge; afterRules: refused once the rules, whose texts tell an alias of a refused folder as
// that folder, have admitted it.
struct CanonicalPath {
    std::string path;
    const char* refusal = nullptr;
    const char* afterRules = nullptr;
};
CanonicalPath Canonical(const std::string& path, PathSource source, IPathFacts& facts);

// The spellings that the rules judge a path by: as given, its canonical form and what that
// resolves to where it exists.
std::vector<std::string> PathSpellings(const std::string& given, const std::string& canonical, IPathFacts& facts);
// The folders of the rules, each in every spelling, read afresh.
LockRuleFolders ReadRuleFolders(IPathFacts& facts);
// The lock rule and the program-folder rule over every spelling of the path: CheckLockPath and
// IsInProgramFolder are these with the machine's facts, and so is the list model's rule.
PathCheckResult JudgeLockPath(const std::string& path, IPathFacts& facts);
bool JudgeInProgramFolder(const std::string& path, IPathFacts& facts);

// Text rules of the canonical form, tested on their own.
// "X:\..." or "\\server\share...", either separator.
bool IsAbsolutePath(const std::string& path);
// "\\.\..." and "\\?\..." (either separator): what they name, with the prefix taken off
// ("\\?\UNC\server\share" names "\\server\share"); nullopt for any other path.
std::optional<std::string> DeviceNamespaceTarget(const std::string& path);
// Trailing separators dropped, except the one of a drive's root ("C:\").
std::string DropTrailingSeparators(std::string path);
// The position of a ':' after the drive's (a stream, "C:\Windows::$INDEX_ALLOCATION"), or npos.
size_t StreamColon(const std::string& path);
// An IPv4 address as inet_addr reads it: one to four parts, each decimal, octal (0...) or
// hexadecimal (0x...), the last filling the bytes left ("127.1" is 127.0.0.1).
std::optional<uint32_t> ParseIpv4(const std::string& host);
// A name of the loopback: localhost, 127.0.0.0/8 in any form inet_addr takes, ::1 (also as
// "0--1.ipv6-literal.net").
bool IsLoopbackHost(const std::string& host);
// A share of this machine (isThisMachine, or the loopback) as the folder it is: "\\host\C$\rest"
// is "C:\rest", "\\host\ADMIN$\rest" is the Windows folder's rest.
std::string LocalShareAsFolder(const std::string& path, const std::function<bool(const std::string&)>& isThisMachine,
                               const std::string& windowsDir);
