// The admission rules against the machine's real directories, and shortcut resolution with the
// real shell link object.
#include <winsock2.h>
#include <iphlpapi.h>

#include "lists/admission.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/shell_link_files.h"

namespace {

std::string FlipCase(std::string text)
{
    for (char& c : text)
        c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                        : static_cast<char>(std::toupper(c));
    return text;
}

TEST(CheckLockPath, RefusesTheSystemDirectoriesWindowsFolderDriveRootAndEmptyPathInAnyCase)
{
    const std::string system = SystemDirectory();
    ASSERT_GT(system.size(), 3u);
    const std::string driveRoot = system.substr(0, 3);
    for (const std::string& path : {driveRoot, WindowsDirectory(), system, std::string(), FlipCase(system),
                                    FlipCase(WindowsDirectory()), FlipCase(driveRoot), std::string("C:\\WINDOWS\\SYSTEM32")})
        EXPECT_EQ(CheckLockPath(path.c_str()), PATH_SYSTEM_DIR) << path;
    // The 32-bit system directory of a 64-bit Windows (Wine's C:\windows\syswow64) is Windows too.
    char system32[MAX_PATH] = "";
    if (::GetSystemWow64DirectoryA(system32, MAX_PATH) != 0) {
        EXPECT_EQ(CheckLockPath(system32), PATH_SYSTEM_DIR);
        EXPECT_EQ(CheckLockPath(FlipCase(system32).c_str()), PATH_SYSTEM_DIR);
        EXPECT_EQ(CheckLockPath((std::string(system32) + "\\drivers").c_str()), PATH_OK);
    }
}

TEST(CheckLockPath, AdmitsAFolderInsideTheSystemDirectory)
{
    ScratchFolder scratch("vtxadm");
    ASSERT_TRUE(::SetCurrentDirectoryA(scratch.Make("Lk", true).c_str()));
    const std::string system = SystemDirectory();
    EXPECT_EQ(CheckLockPath((system + "\\drivers").c_str()), PATH_OK);
    EXPECT_EQ(CheckLockPath(FlipCase(system + "\\drivers").c_str()), PATH_OK);
}

TEST(CheckLockPath, RefusesTheCurrentInstallationFolderWhatItBeginsAndWhatItLeads)
{
    ScratchFolder scratch("vtxadm");
    const std::string lk = scratch.Make("Lk", true);
    const std::string other = scratch.Make("Other", true);
    ASSERT_TRUE(::SetCurrentDirectoryA(lk.c_str()));

    for (const std::string& path : {lk, lk + "\\data", scratch.Path() + "\\LkTools\\a.exe", scratch.Path()})
        EXPECT_EQ(CheckLockPath(path.c_str()), PATH_OWN_FILES) << path;
    EXPECT_EQ(CheckLockPath((other + "\\file.txt").c_str()), PATH_OK);
    EXPECT_TRUE(IsInProgramFolder((lk + "\\data").c_str()));
    EXPECT_TRUE(IsInProgramFolder((scratch.Path() + "\\LkTools\\a.exe").c_str()));
    EXPECT_FALSE(IsInProgramFolder(scratch.Path().c_str()));
    EXPECT_FALSE(IsInProgramFolder((other + "\\a.exe").c_str()));
    EXPECT_TRUE(IsInProgramFolder(FlipCase(lk + "\\vtx.exe").c_str()));
    EXPECT_EQ(CheckLockPath(FlipCase(lk + "\\data").c_str()), PATH_OWN_FILES);

    // The directory is read at every call.
    ASSERT_TRUE(::SetCurrentDirectoryA(other.c_str()));
    EXPECT_EQ(CheckLockPath((lk + "\\data").c_str()), PATH_OK);
    EXPECT_FALSE(IsInProgramFolder((lk + "\\data").c_str()));
    EXPECT_EQ(CheckLockPath((other + "\\file.txt").c_str()), PATH_OWN_FILES);
    EXPECT_TRUE(IsInProgramFolder((other + "\\a.exe").c_str()));
}

// The same folder by other names: a stream, shares of this machine, the 8.3 name of the
// installation folder and, under Wine, drive Z: (the Linux root), where GetFinalPathNameByHandle
// gives the folder's C: path back ("\\?\C:\windows").
TEST(CheckLockPath, RefusesEverySpellingOfARefusedFolderAndJudgesTheInstallationFolderInItsLongForm)
{
    const std::string windows = WindowsDirectory();
    const std::string system = SystemDirectory();
    const std::string share = std::string(1, windows[0]) + "$" + windows.substr(2);
    std::vector<std::string> aliases{windows + "::$INDEX_ALLOCATION", system + ":x:$DATA", "\\\\127.0.0.2\\" + share,
                                     "\\\\127.1\\" + share + "\\System32", "\\\\localhost\\ADMIN$\\System32",
                                     "\\\\?\\UNC\\LOCALHOST\\admin$", "\\\\?\\" + system};
    // This machine's own address, where an adapter has one.
    ULONG size = 0;
    ::GetAdaptersAddresses(AF_INET, 0, nullptr, nullptr, &size);
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (size && ::GetAdaptersAddresses(AF_INET, 0, nullptr, adapters, &size) == NO_ERROR)
        for (auto* adapter = adapters; adapter; adapter = adapter->Next)
            for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
                const auto* address = reinterpret_cast<const SOCKADDR_IN*>(unicast->Address.lpSockaddr);
                const std::string text = ::inet_ntoa(address->sin_addr);
                if (text.rfind("127.", 0) != 0)
                    aliases.push_back("\\\\" + text + "\\" + share);
            }
    using UnixFileName = char* (CDECL*)(const WCHAR*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wideWindows(windows.begin(), windows.end());
    if (char* unix = unixFileName ? unixFileName(wideWindows.c_str()) : nullptr) {
        std::string alias = std::string("Z:") + unix;
        ::HeapFree(::GetProcessHeap(), 0, unix);
        std::replace(alias.begin(), alias.end(), '/', '\\');
        // The prefix's C: is dosdevices\c:, a link to drive_c; a ':' there would read as a stream.
        const std::string link = "\\dosdevices\\c:\\";
        if (const size_t at = alias.find(link); at != std::string::npos)
            alias.replace(at, link.size(), "\\drive_c\\");
        std::string final = CPathFacts().FinalPath(alias).value_or("(none)");
        EXPECT_EQ(::lstrcmpiA(final.c_str(), ("\\\\?\\" + windows).c_str()), 0) << alias << " resolves to " << final;
        aliases.push_back(alias);
        aliases.push_back(alias + "\\System32");
    }
    for (const std::string& alias : aliases)
        EXPECT_EQ(CheckLockPath(alias.c_str()), PATH_SYSTEM_DIR) << alias;

    // Installed by the 8.3 name of its folder, as a setup run with /D= such a name leaves it.
    ScratchFolder scratch("vtxadm");
    const std::string install = scratch.Make("Long Folder Name\\Veltrix Install", true);
    char shortInstall[MAX_PATH] = "";
    ASSERT_GT(::GetShortPathNameA(install.c_str(), shortInstall, MAX_PATH), 0u);
    ASSERT_NE(install, shortInstall) << "the folder needs a short name of its own";
    ASSERT_TRUE(::SetCurrentDirectoryA(shortInstall));
    for (const std::string& path : {install, install + "\\data", scratch.Path() + "\\Long Folder Name"})
        EXPECT_EQ(CheckLockPath(path.c_str()), PATH_OWN_FILES) << path;
    EXPECT_TRUE(IsInProgramFolder((install + "\\vtx.exe").c_str()));
    EXPECT_EQ(CheckLockPath((scratch.Path() + "\\Other").c_str()), PATH_OK);
}

class ResolveShortcutTest : public ::testing::Test {
protected:
    ScratchFolder m_scratch{"vtxlnk"};
    char m_out[MAX_PATH];

    void SetUp() override { std::memset(m_out, '#', sizeof m_out); }
};

TEST_F(ResolveShortcutTest, GivesTheProgramThatAShortcutPointsTo)
{
    const std::string program = SystemDirectory() + "\\notepad.exe";
    const std::string link = m_scratch.Make("Notepad.lnk");
    ASSERT_TRUE(WriteShortcut(link, program));
    EXPECT_EQ(ResolveShortcut(link.c_str(), m_out), S_OK);
    EXPECT_STREQ(m_out, program.c_str());
}

TEST_F(ResolveShortcutTest, ReplacesALeadingSystemRootAndLeavesOtherVariables)
{
    const std::string windows = WindowsDirectory();
    struct Case {
        const char* stored;
        std::string expected;
    } cases[] = {
        {"%SystemRoot%\\system32\\notepad.exe", windows + "\\system32\\notepad.exe"},
        {"%SystemRoot%\\a\\%SystemRoot%.exe", windows + "\\a\\" + windows + ".exe"},
        {"%ProgramFiles%\\Tool\\tool.exe", "%ProgramFiles%\\Tool\\tool.exe"},
        {"%windir%\\notepad.exe", "%windir%\\notepad.exe"},
        {"%SYSTEMROOT%\\notepad.exe", "%SYSTEMROOT%\\notepad.exe"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string link = m_scratch.Make("raw" + std::to_string(index++) + ".lnk");
        ASSERT_TRUE(WriteRawTargetShortcut(link, c.stored));
        std::memset(m_out, '#', sizeof m_out);
        EXPECT_EQ(ResolveShortcut(link.c_str(), m_out), S_OK) << c.stored;
        EXPECT_EQ(std::string(m_out), c.expected);
    }
}

TEST_F(ResolveShortcutTest, FailsWithAnEmptyResultForWhatIsNoShortcutToAFile)
{
    const std::string text = m_scratch.Make("notes.txt");
    ASSERT_TRUE(WriteWholeFile(text, "not a shortcut\r\n"));
    HRESULT hr = ResolveShortcut(text.c_str(), m_out);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_STREQ(m_out, "");

    std::memset(m_out, '#', sizeof m_out);
    hr = ResolveShortcut(m_scratch.Make("missing.lnk").c_str(), m_out);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_STREQ(m_out, "");

    // The computer itself has no file-system path: no target, and no success either.
    const std::string computer = m_scratch.Make("Computer.lnk");
    ASSERT_TRUE(WriteComputerShortcut(computer));
    std::memset(m_out, '#', sizeof m_out);
    EXPECT_NE(ResolveShortcut(computer.c_str(), m_out), S_OK);
    EXPECT_STREQ(m_out, "");

    // A path that does not fit the wide buffer is refused before the shell sees it.
    const std::string tooLong = m_scratch.Path() + "\\" + std::string(300, 'a') + ".lnk";
    std::memset(m_out, '#', sizeof m_out);
    EXPECT_TRUE(FAILED(ResolveShortcut(tooLong.c_str(), m_out)));
    EXPECT_STREQ(m_out, "");
}

}  // namespace
