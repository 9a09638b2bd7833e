// The list model's rules with the machine played: what a list admits from each source, the
// canonical form of typed and imported paths, shortcuts, duplicates, removal, load and file.
#include "lists/core/list_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

bool NoLeadBytes(unsigned char)
{
    return false;
}

unsigned char UpperAscii(unsigned char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
    return text;
}

// A 64-bit Windows in C:\Windows with Veltrix in C:\Program Files\Veltrix (short name
// C:\PROGRA~1), a program and a document with a shortcut to each, and a shortcut whose target
// cannot be read.
class CPlayedFacts : public IPathFacts {
public:
    std::string SystemDir() override { return "C:\\Windows\\system32"; }
    std::string SystemDir32() override { return "C:\\Windows\\SysWOW64"; }
    std::string InstallDir() override { return "C:\\Program Files\\Veltrix"; }
    const AnsiCodePage& CodePage() override { return m_codePage; }
    bool IsSameEntry(const std::string& a, const std::string& b) override { return Upper(a) == Upper(b); }
    std::optional<size_t> FindEntry(const std::vector<std::string>& entries, const std::string& path) override
    {
        ++m_finds;
        return IPathFacts::FindEntry(entries, path);
    }
    std::string EntryKey(const std::string& path) override { return m_bOneKey ? "K" : Upper(path); }
    std::optional<std::string> ShortcutTarget(const std::string& path) override
    {
        const auto it = m_shortcuts.find(path);
        return it == m_shortcuts.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool IsProgram(const std::string& path) override { return path.size() > 4 && path.substr(path.size() - 4) == ".exe"; }
    // GetFullPathName: separators made '\', "." and ".." taken out, a trailing one kept.
    std::string FullPath(const std::string& path) override
    {
        std::string text = path;
        std::replace(text.begin(), text.end(), '/', '\\');
        const size_t rootEnd = text.rfind("\\\\", 0) == 0 ? text.find('\\', text.find('\\', 2) + 1) : 2;
        std::vector<std::string> parts;
        size_t from = rootEnd == std::string::npos ? text.size() : rootEnd + 1;
        const std::string root = text.substr(0, std::min(from, text.size()));
        while (from <= text.size()) {
            const size_t to = std::min(text.find('\\', from), text.size());
            const std::string part = text.substr(from, to - from);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (part != "." && !(part.empty() && to < text.size())) {
                parts.push_back(part);
            }
            from = to + 1;
        }
        std::string full = root;
        for (size_t i = 0; i < parts.size(); ++i)
            full += (i ? "\\" : "") + parts[i];
        return full;
    }
    std::string LongPath(const std::string& path) override
    {
        const std::string shortName = "C:\\PROGRA~1";
        if (Upper(path).rfind(shortName, 0) == 0)
            return "C:\\Program Files" + path.substr(shortName.size());
        return path;
    }
    bool IsThisMachine(const std::string& host) override { return Upper(host) == "LOCALHOST" || Upper(host) == "PC1"; }

    std::map<std::string, std::string> m_shortcuts{
        {"D:\\Desk\\Tool.lnk", "D:\\Tools\\tool.exe"},
        {"D:\\Desk\\Notes.lnk", "D:\\Docs\\notes.txt"},
        {"D:\\Desk\\Broken.lnk", ""},
    };
    int m_finds = 0;
    bool m_bOneKey = false;  // every path the same key

private:
    AnsiCodePage m_codePage{&NoLeadBytes, &UpperAscii};
};

// Plays the driver's answers: the names in order, More = 1 on all but the last; a request at
// failAt fails.
class CPlayedList : public IEnumerationChannel {
public:
    explicit CPlayedList(std::vector<std::string> names, size_t failAt = SIZE_MAX)
        : m_names(std::move(names)), m_failAt(failAt) {}
    bool Request(uint32_t, LIST_ENUM_RECORD& record) override
    {
        const size_t at = record.Cursor;
        if (at >= m_names.size() || at == m_failAt)
            return false;
        record.More = at + 1 < m_names.size() ? 1 : 0;
        record.Cursor = static_cast<uint32_t>(at + 1);
        record.NameLength = static_cast<uint32_t>(m_names[at].size());
        for (size_t i = 0; i < m_names[at].size(); ++i)
            record.Name[i] = static_cast<unsigned char>(m_names[at][i]);
        return true;
    }
    int ToAnsi(const uint16_t* units, uint32_t count, char* out, int capacity) override
    {
        if (static_cast<int>(count) > capacity)
            return -1;
        for (uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<char>(units[i]);
        return static_cast<int>(count);
    }

private:
    std::vector<std::string> m_names;
    size_t m_failAt;
};

class ListModel : public ::testing::Test {
protected:
    CListModel Loaded(const CListDescription& description, std::vector<std::string> names)
    {
        CListModel model(description, m_facts);
        CPlayedList driver(std::move(names));
        EXPECT_TRUE(model.Load(&driver));
        return model;
    }
    CPlayedFacts m_facts;
};

const char kSystemText[] = "Can't lock Windows System Directory";
const char kOwnText[] = "Can't lock Veltrix File";

// Every spelling of a refused folder is that folder: the window's text, typed or imported.
TEST_F(ListModel, AliasesOfRefusedFoldersAreRefusedWithTheWindowsText)
{
    const struct {
        const char* path;
        const char* refusal;
    } cases[] = {
        {"C:\\Windows\\System32\\", kSystemText},
        {"C:\\Windows\\System32\\.", kSystemText},
        {"C:\\Windows\\..\\Windows\\System32", kSystemText},
        {"C:/Windows", kSystemText},
        {"\\\\.\\C:\\Windows", kSystemText},
        {"\\\\?\\C:\\Windows\\SysWOW64\\", kSystemText},
        {"\\\\localhost\\C$\\Windows", kSystemText},
        {"\\\\?\\UNC\\pc1\\c$\\Windows\\System32", kSystemText},
        {"C:\\PROGRA~1\\Veltrix", kOwnText},
        {"c:\\progra~1\\VELTRIX\\data\\", kOwnText},
        {"\\\\.\\PhysicalDrive0", kRefuseDevicePath},
        {"\\\\?\\D:\\Data", kRefuseDevicePath},
        {"D:\\what?", kRefuseUnsendable},
    };
    const CListModel model = Loaded(g_lockedList, {});
    for (const auto& c : cases) {
        for (PathSource source : {PathSource::Typed, PathSource::Imported}) {
            const ListChange change = model.PlanAdd(c.path, source);
            EXPECT_EQ(change.kind, ListChange::Refused) << c.path;
            EXPECT_STREQ(change.refusal, c.refusal) << c.path;
            EXPECT_EQ(change.given, c.path);
        }
    }
    // The window's dialogs and drops give full paths of their own, judged as they are.
    EXPECT_EQ(model.PlanAdd("", PathSource::Chosen).refusal, std::string(kSystemText));
    EXPECT_EQ(model.PlanAdd("C:\\Windows\\System32\\drivers", PathSource::Chosen).kind, ListChange::Add);
}

TEST_F(ListModel, TypedAndImportedPathsAreAddedInTheirCanonicalForm)
{
    const struct {
        const char* given;
        const char* added;
    } cases[] = {
        {"D:\\Data\\Sub\\..\\Docs\\", "D:\\Data\\Docs"},
        {"D:/Data/./Docs", "D:\\Data\\Docs"},
        {"\\\\localhost\\D$\\Data", "D:\\Data"},
        {"\\\\server\\share\\Data\\", "\\\\server\\share\\Data"},
        {"D:\\", "D:\\"},
        {"C:\\Windows\\System32\\drivers\\", "C:\\Windows\\System32\\drivers"},
    };
    const CListModel model = Loaded(g_lockedList, {});
    for (const auto& c : cases)
        for (PathSource source : {PathSource::Typed, PathSource::Imported}) {
            const ListChange change = model.PlanAdd(c.given, source);
            EXPECT_EQ(change.kind, ListChange::Add) << c.given << " " << (change.refusal ? change.refusal : "");
            EXPECT_EQ(change.path, c.added) << c.given;
        }
    // An import line says where it is itself: a drive or a share, not the folder it was read in.
    for (const char* line : {"Data", "\\Data", "D:Data", ".\\Data"})
        EXPECT_STREQ(model.PlanAdd(line, PathSource::Imported).refusal, kRefuseNotAbsolute) << line;
    EXPECT_STREQ(model.PlanAdd("D:\\" + std::string(257, 'x'), PathSource::Typed).refusal, kRefuseLength);
    EXPECT_STREQ(model.PlanAdd("D:\\tab\there", PathSource::Typed).refusal, kRefuseControlCharacter);
}

// A shortcut means one thing everywhere: on the trusted list, the program it starts.
TEST_F(ListModel, TrustedListTakesShortcutsToProgramsOnly)
{
    const struct {
        const char* given;
        PathSource source;
        ListChange::Kind kind;
        const char* result;  // the path added, or the refusal
    } cases[] = {
        {"D:\\Desk\\Tool.lnk", PathSource::Dropped, ListChange::Add, "D:\\Tools\\tool.exe"},
        {"D:\\Desk\\Tool.lnk", PathSource::Typed, ListChange::Add, "D:\\Tools\\tool.exe"},
        {"D:\\Desk\\Tool.lnk", PathSource::Chosen, ListChange::Add, "D:\\Desk\\Tool.lnk"},
        {"D:\\Desk\\Notes.lnk", PathSource::Dropped, ListChange::Refused, kRefuseNotAProgram},
        {"D:\\Desk\\Notes.lnk", PathSource::Typed, ListChange::Refused, kRefuseNotAProgram},
        {"D:\\Desk\\Notes.lnk", PathSource::Imported, ListChange::Refused, kRefuseNotAProgram},
        {"D:\\Desk\\Broken.lnk", PathSource::Typed, ListChange::Refused, kRefuseShortcutUnread},
        {"D:\\Tools\\tool.exe", PathSource::Dropped, ListChange::Refused, kRefuseNotAShortcut},
        {"D:\\Tools\\tool.exe", PathSource::Typed, ListChange::Add, "D:\\Tools\\tool.exe"},
        {"C:\\PROGRA~1\\Veltrix\\vtx.exe", PathSource::Typed, ListChange::Refused,
         "Don't need to trust Veltrix Program"},
    };
    const CListModel trusted = Loaded(g_trustedList, {});
    for (const auto& c : cases) {
        const ListChange change = trusted.PlanAdd(c.given, c.source);
        EXPECT_EQ(change.kind, c.kind) << c.given;
        EXPECT_EQ(change.kind == ListChange::Refused ? std::string(change.refusal) : change.path, c.result) << c.given;
    }
    // The locked list locks a shortcut as the file it is.
    EXPECT_EQ(Loaded(g_lockedList, {}).PlanAdd("D:\\Desk\\Notes.lnk", PathSource::Dropped).path, "D:\\Desk\\Notes.lnk");
}

TEST_F(ListModel, APathListedInAnyLetterCaseOrEarlierInTheBatchIsNotAddedAgain)
{
    const CListModel model = Loaded(g_lockedList, {"D:\\Data"});
    const std::vector<ListChange> plan =
        model.PlanAdds({"d:\\DATA\\", "D:\\New", "d:\\new", "D:\\Other"}, PathSource::Typed);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].kind, ListChange::Listed);
    EXPECT_EQ(plan[0].path, "D:\\Data") << "the list's own spelling";
    EXPECT_EQ(plan[1].kind, ListChange::Add);
    EXPECT_EQ(plan[2].kind, ListChange::Listed);
    EXPECT_EQ(plan[3].kind, ListChange::Add);
    EXPECT_EQ(model.Entries(), std::vector<std::string>{"D:\\Data"}) << "planning changes nothing";
}

TEST_F(ListModel, RemovalFindsTheListsSpellingTheCanonicalFormAndAShortcutsProgram)
{
    const CListModel locked = Loaded(g_lockedList, {"D:\\Data", "D:\\Old\\", "D:\\Keep"});
    const std::vector<ListChange> plan =
        locked.PlanRemoves({"d:\\data\\", "D:\\Old\\", "D:\\Data", "D:\\Missing"}, PathSource::Typed);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].kind, ListChange::Remove);
    EXPECT_EQ(plan[0].path, "D:\\Data");
    EXPECT_EQ(plan[1].kind, ListChange::Remove) << "an entry listed before paths were made canonical";
    EXPECT_EQ(plan[1].path, "D:\\Old\\");
    EXPECT_EQ(plan[2].kind, ListChange::Missing) << "removed once only";
    EXPECT_EQ(plan[3].kind, ListChange::Missing);

    const CListModel trusted = Loaded(g_trustedList, {"D:\\Tools\\tool.exe"});
    const ListChange untrust = trusted.PlanRemoves({"D:\\Desk\\Tool.lnk"}, PathSource::Typed)[0];
    EXPECT_EQ(untrust.kind, ListChange::Remove);
    EXPECT_EQ(untrust.path, "D:\\Tools\\tool.exe");
}

TEST_F(ListModel, LoadKeepsTheDriversOrderAndTellsAListNotReadWhole)
{
    const std::vector<std::string> driver{"D:\\A", "d:\\a", "D:\\B"};
    CListModel locked(g_lockedList, m_facts);
    std::vector<std::string> heard;
    CPlayedList lockedDriver(driver);
    EXPECT_TRUE(locked.Load(&lockedDriver, [&](const std::string& path) { heard.push_back(path); }));
    EXPECT_EQ(locked.Entries(), (std::vector<std::string>{"D:\\A", "D:\\B"})) << "a repeat is left out";
    EXPECT_EQ(heard, locked.Entries());
    EXPECT_EQ(m_facts.m_finds, 1) << "only the path whose key came before is looked up";
    m_facts.m_bOneKey = true;
    CPlayedList sameKeys(driver);
    EXPECT_TRUE(locked.Load(&sameKeys));
    EXPECT_EQ(locked.Entries(), (std::vector<std::string>{"D:\\A", "D:\\B"})) << "a shared key only asks";
    m_facts.m_bOneKey = false;
    EXPECT_EQ(Loaded(g_trustedList, driver).Entries(), driver) << "repeats shown as they come";

    CPlayedList failing(driver, 2);
    EXPECT_FALSE(locked.Load(&failing));
    EXPECT_FALSE(locked.IsWhole());
    EXPECT_EQ(locked.Entries(), std::vector<std::string>{"D:\\A"}) << "what came before the failure";
    EXPECT_FALSE(locked.Load(nullptr)) << "no device: the list is unknown, not empty";
    CPlayedList lineFeed({"D:\\A\nC:\\Windows", "D:\\B"});
    EXPECT_FALSE(locked.Load(&lineFeed));
    EXPECT_EQ(locked.Entries(), std::vector<std::string>{"D:\\B"});
}

TEST_F(ListModel, ChangesAreTrackedAndTheFileHoldsTheEntriesInOrder)
{
    CListModel model = Loaded(g_lockedList, {"D:\\A", "D:\\B"});
    EXPECT_FALSE(model.IsChanged());
    model.Append("D:\\C");
    model.RemoveAt({0});
    EXPECT_TRUE(model.IsChanged());
    EXPECT_EQ(model.FileContent(), "D:\\B\r\nD:\\C\r\n");
    CPlayedList driver({"D:\\A", "D:\\B", "D:\\C", "D:\\D", "D:\\E"});
    model.Load(&driver);
    EXPECT_FALSE(model.IsChanged()) << "a load starts afresh";
    model.RemoveAt({});
    EXPECT_FALSE(model.IsChanged());
    const std::vector<ListChange> plan = model.PlanRemoveAt({1, 3, 4});
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[1].path, "D:\\D");
    EXPECT_EQ(plan[1].index, 3u);
    model.RemoveAt({1, 3, 4});
    EXPECT_TRUE(model.IsChanged());
    EXPECT_EQ(model.FileContent(), "D:\\A\r\nD:\\C\r\n");
}

}  // namespace
