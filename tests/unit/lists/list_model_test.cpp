// The list model's rules with the machine played: what a list admits from each source, the
// canonical form of typed and imported paths, shortcuts, duplicates, removal, load and file.
#include "lists/core/list_model.h"
#include "tests/unit/lists/played_path_facts.h"
#include "tests/unit/played_enumeration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

class ListModel : public ::testing::Test {
protected:
    CListModel Loaded(const CListDescription& description, std::vector<std::string> names)
    {
        CListModel model(description, m_facts);
        CPlayedEnumeration driver(std::move(names));
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
        {"C:\\Windows::$INDEX_ALLOCATION", kSystemText},
        {"C:\\Windows\\System32:x:$DATA", kSystemText},
        {"\\\\127.0.0.2\\C$\\Windows", kSystemText},
        {"\\\\127.1\\c$\\windows", kSystemText},
        {"\\\\0x7f000001\\C$\\Windows", kSystemText},
        {"\\\\LOCALHOST.\\C$\\Windows", kSystemText},
        {"\\\\0--1.ipv6-literal.net\\C$\\Windows", kSystemText},
        {"\\\\10.0.0.5\\C$\\Windows", kSystemText},
        {"\\\\localhost\\ADMIN$\\System32", kSystemText},
        {"\\\\?\\UNC\\127.0.0.1\\admin$", kSystemText},
        {"D:\\Link", kSystemText},
        {"W:\\System32\\", kSystemText},
        {"C:\\Program Files\\Veltrix::$INDEX_ALLOCATION", kOwnText},
        {"D:\\Data:secret", kRefuseUnsendable},
        {"\\\\server\\share\\a:b", kRefuseUnsendable},
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
            EXPECT_EQ(change.refusal, c.refusal) << c.path;
            EXPECT_EQ(change.given, c.path);
        }
    }
    // The window's dialogs and drops give full paths of their own: kept as given, judged in
    // every spelling too.
    EXPECT_EQ(model.PlanAdd("", PathSource::Chosen).refusal, std::string(kSystemText));
    for (PathSource source : {PathSource::Chosen, PathSource::Dropped}) {
        EXPECT_EQ(model.PlanAdd("C:\\Windows\\System32\\drivers", source).kind, ListChange::Add);
        EXPECT_EQ(model.PlanAdd("\\\\localhost\\C$\\Windows", source).refusal, kSystemText);
        EXPECT_EQ(model.PlanAdd("W:\\", source).refusal, kSystemText);
        const ListChange share = model.PlanAdd("\\\\localhost\\D$\\Data", source);
        EXPECT_EQ(share.kind, ListChange::Add);
        EXPECT_EQ(share.path, "\\\\localhost\\D$\\Data") << "stored and sent as the shell gave it";
    }
    // Below a linked folder is below the folder: admitted.
    EXPECT_EQ(model.PlanAdd("D:\\Link\\Temp", PathSource::Typed).kind, ListChange::Add);
}

// Installed with a short name, the folder is compared in its long form too, by every rule and by
// CheckLockPath's and IsInProgramFolder's own judgement.
TEST_F(ListModel, AnInstallationFolderGivenByItsShortNameIsKnownByItsLongName)
{
    m_facts.m_installDir = "C:\\PROGRA~1\\Veltrix";
    const CListModel locked = Loaded(g_lockedList, {});
    for (const char* path : {"C:\\Program Files\\Veltrix", "C:\\Program Files", "c:\\program files\\veltrix\\data"})
        for (PathSource source : {PathSource::Typed, PathSource::Imported, PathSource::Chosen, PathSource::Dropped}) {
            EXPECT_EQ(locked.PlanAdd(path, source).refusal, kOwnText) << path;
            EXPECT_EQ(JudgeLockPath(path, m_facts), PATH_OWN_FILES) << path;
        }
    EXPECT_EQ(Loaded(g_trustedList, {}).PlanAdd("C:\\Program Files\\Veltrix\\vtx.exe", PathSource::Chosen).refusal,
                 "Don't need to trust Veltrix Program");
    EXPECT_TRUE(JudgeInProgramFolder("C:\\Program Files\\Veltrix\\vtx.exe", m_facts));
    EXPECT_FALSE(JudgeInProgramFolder("C:\\Program Files", m_facts));
    EXPECT_EQ(JudgeLockPath("W:\\System32", m_facts), PATH_SYSTEM_DIR);
    EXPECT_EQ(JudgeLockPath("D:\\Data", m_facts), PATH_OK);
}

// The driver holds what was listed under a spelling now refused: it stays, and can be removed.
TEST_F(ListModel, EntriesListedUnderANowRefusedSpellingStayAndCanBeRemoved)
{
    const std::vector<std::string> listed{"\\\\localhost\\C$\\Windows", "C:\\Windows::$INDEX_ALLOCATION"};
    const CListModel locked = Loaded(g_lockedList, listed);
    EXPECT_EQ(locked.Entries(), listed);
    const std::vector<ListChange> plan = locked.PlanRemoves(listed, PathSource::Typed);
    ASSERT_EQ(plan.size(), 2u);
    for (size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(plan[i].kind, ListChange::Remove) << listed[i];
        EXPECT_EQ(plan[i].path, listed[i]);
    }
}

TEST(CanonicalText, LoopbackNamesAddressesStreamsAndLocalShares)
{
    EXPECT_EQ(ParseIpv4("127.0.0.2"), 0x7F000002u);
    EXPECT_EQ(ParseIpv4("127.1"), 0x7F000001u);
    EXPECT_EQ(ParseIpv4("127.65536"), 0x7F010000u);
    EXPECT_EQ(ParseIpv4("0177.0.0.1"), 0x7F000001u);
    EXPECT_EQ(ParseIpv4("0x7F.1.0X2"), 0x7F010002u);
    EXPECT_EQ(ParseIpv4("2130706433"), 0x7F000001u);
    for (const char* text : {"", ".", "127.", "127..1", "1.2.3.4.5", "256.1", "127.0.0.256", "0x", "08", "4294967296",
                             "server", "127.0.0.1a", "99999999999999999999"})
        EXPECT_FALSE(ParseIpv4(text)) << text;
    for (const char* host : {"localhost", "LocalHost.", "127.0.0.1", "127.255.255.254", "127.1", "::1",
                             "0--1.IPV6-literal.net"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host : {"128.0.0.1", "126.255.255.255", "localhost2", "pc1", ""})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;

    EXPECT_EQ(StreamColon("C:\\Windows::$INDEX_ALLOCATION"), 10u);
    EXPECT_EQ(StreamColon("C:\\Windows"), std::string::npos);
    EXPECT_EQ(StreamColon("C:"), std::string::npos);
    EXPECT_EQ(StreamColon("\\\\server\\share\\a:b"), 16u);

    const auto none = [](const std::string&) { return false; };
    const auto pc1 = [](const std::string& host) { return Upper(host) == "PC1"; };
    const struct {
        const char* path;
        const char* folder;
    } shares[] = {
        {"\\\\pc1\\d$", "d:\\"},
        {"\\\\pc1\\d$\\", "d:\\"},
        {"//127.0.0.9/C$/Windows", "C:\\Windows"},
        {"\\\\localhost\\Admin$", "C:\\Windows\\"},
        {"\\\\localhost\\ADMIN$\\System32", "C:\\Windows\\System32"},
        {"\\\\server\\C$\\Windows", "\\\\server\\C$\\Windows"},
        {"\\\\pc1\\C$x\\Windows", "\\\\pc1\\C$x\\Windows"},
        {"\\\\pc1\\share\\Windows", "\\\\pc1\\share\\Windows"},
        {"\\\\pc1", "\\\\pc1"},
    };
    for (const auto& c : shares)
        EXPECT_EQ(LocalShareAsFolder(c.path, pc1, "C:\\Windows"), c.folder) << c.path;
    EXPECT_EQ(LocalShareAsFolder("\\\\pc1\\C$", none, "C:\\Windows"), "\\\\pc1\\C$");
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
            EXPECT_EQ(change.kind, ListChange::Add) << c.given << " " << change.refusal;
            EXPECT_EQ(change.path, c.added) << c.given;
        }
    // An import line says where it is itself: a drive or a share, not the folder it was read in.
    for (const char* line : {"Data", "\\Data", "D:Data", ".\\Data"})
        EXPECT_EQ(model.PlanAdd(line, PathSource::Imported).refusal, kRefuseNotAbsolute) << line;
    EXPECT_EQ(model.PlanAdd("D:\\" + std::string(257, 'x'), PathSource::Typed).refusal, kRefuseLength);
    EXPECT_EQ(model.PlanAdd("D:\\tab\there", PathSource::Typed).refusal, kRefuseControlCharacter);
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
        EXPECT_EQ(change.kind == ListChange::Refused ? change.refusal : change.path, c.result) << c.given;
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

// What import --replace removes: every entry that no kept path names in any letter case, in the
// list's order; an entry both hold keeps its place.
TEST_F(ListModel, RemovalsExceptTheKeptPathsTakeWhatNoneOfThemNames)
{
    const struct {
        std::vector<std::string> listed;
        std::vector<std::string> kept;
        std::vector<std::string> removed;
    } cases[] = {
        {{"C:\\Old", "C:\\Keep"}, {"C:\\New2", "c:\\KEEP", "C:\\New1"}, {"C:\\Old"}},
        {{"C:\\A", "C:\\B"}, {}, {"C:\\A", "C:\\B"}},
        {{}, {"C:\\A", "c:\\a"}, {}},
        {{"C:\\B", "C:\\A", "c:\\b"}, {"C:\\A", "C:\\B"}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> removed;
        for (const ListChange& change : Loaded(g_trustedList, c.listed).PlanRemovesExcept(c.kept)) {
            EXPECT_EQ(change.kind, ListChange::Remove);
            removed.push_back(change.path);
        }
        EXPECT_EQ(removed, c.removed);
    }
}

// A path is compared only with the entries and earlier paths of its key: a plan of n paths
// against n entries makes about n comparisons, not n squared.
TEST_F(ListModel, PlansCompareAPathOnlyWithTheEntriesOfItsKey)
{
    std::vector<std::string> entries;
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i) {
        entries.push_back("D:\\Listed\\" + std::to_string(i));
        paths.push_back(i % 2 ? "d:\\listed\\" + std::to_string(i) : "D:\\New\\" + std::to_string(i % 10));
    }
    const CListModel model = Loaded(g_lockedList, entries);
    m_facts.m_compares = 0;
    const std::vector<ListChange> adds = model.PlanAdds(paths, PathSource::Typed);
    EXPECT_EQ(std::count_if(adds.begin(), adds.end(), [](const ListChange& c) { return c.kind == ListChange::Add; }), 5);
    EXPECT_EQ(adds[3].path, "D:\\Listed\\3") << "the list's own spelling";
    const std::vector<ListChange> removes = model.PlanRemoves(paths, PathSource::Typed);
    EXPECT_EQ(std::count_if(removes.begin(), removes.end(), [](const ListChange& c) { return c.kind == ListChange::Remove; }), 500);
    EXPECT_EQ(model.PlanRemovesExcept(paths).size(), 500u);
    EXPECT_LE(m_facts.m_compares, 4000);
}

TEST_F(ListModel, LoadKeepsTheDriversOrderAndTellsAListNotReadWhole)
{
    const std::vector<std::string> driver{"D:\\A", "d:\\a", "D:\\B"};
    CListModel locked(g_lockedList, m_facts);
    std::vector<std::string> heard;
    CPlayedEnumeration lockedDriver(driver);
    EXPECT_TRUE(locked.Load(&lockedDriver, [&](const std::string& path) { heard.push_back(path); }));
    EXPECT_EQ(locked.Entries(), (std::vector<std::string>{"D:\\A", "D:\\B"})) << "a repeat is left out";
    EXPECT_EQ(heard, locked.Entries());
    EXPECT_EQ(m_facts.m_compares, 1) << "a path is compared only with the entries of its key";
    m_facts.m_bOneKey = true;
    CPlayedEnumeration sameKeys(driver);
    EXPECT_TRUE(locked.Load(&sameKeys));
    EXPECT_EQ(locked.Entries(), (std::vector<std::string>{"D:\\A", "D:\\B"})) << "a shared key only asks";
    m_facts.m_bOneKey = false;
    EXPECT_EQ(Loaded(g_trustedList, driver).Entries(), driver) << "repeats shown as they come";

    CPlayedEnumeration failing(driver);
    failing.m_nAnswers = 2;
    EXPECT_FALSE(locked.Load(&failing));
    EXPECT_FALSE(locked.IsWhole());
    EXPECT_EQ(locked.Entries(), std::vector<std::string>{"D:\\A"}) << "what came before the failure";
    EXPECT_FALSE(locked.Load(nullptr)) << "no device: the list is unknown, not empty";
    CPlayedEnumeration lineFeed(std::vector<std::string>{"D:\\A\nC:\\Windows", "D:\\B"});
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
    CPlayedEnumeration driver(std::vector<std::string>{"D:\\A", "D:\\B", "D:\\C", "D:\\D", "D:\\E"});
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
