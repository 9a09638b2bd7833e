// The real vtx.exe started as a child and watched from outside: it ends without a window when
// its service or its installation folder is missing, refuses a second copy with a message before
// that copy ever reads the installation folder, and accepts the longest folder its registry
// value can hold.
#include "startup_probe.h"

#include "driver/core/names.h"
#include "support/audit_events.h"
#include "support/file_bytes.h"
#include "support/service_probe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

// Start-up includes Wine's start of a process and, at worst, ten seconds of service polling.
constexpr DWORD kWindowWait = 30000;
constexpr DWORD kEndWait = 20000;

std::string FixtureInstallDir()
{
    std::string folder = VTX_TEST_INSTALL_DIR;  // given with '/' for the build's sake
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

LSTATUS SetInstallDirValue(const void* data, DWORD size)
{
    CRegKey key;
    const LSTATUS status = key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE);
    if (status != ERROR_SUCCESS)
        return status;
    return data ? ::RegSetValueExA(key.Get(), VTX_INSTALL_DIR_VALUE, 0, REG_SZ, static_cast<const BYTE*>(data), size)
                : ::RegDeleteValueA(key.Get(), VTX_INSTALL_DIR_VALUE);
}

LSTATUS SetInstallDirValue(const std::string& folder)
{
    return SetInstallDirValue(folder.c_str(), static_cast<DWORD>(folder.size() + 1));
}

// Windows told apart by their captions alone, visible or not: a window only being set up counts.
bool IsLogin(HWND hWnd)
{
    return Caption(hWnd) == "Login Veltrix ";
}

bool IsMessageBox(HWND hWnd)
{
    return Caption(hWnd) == "Veltrix";
}

// Nested folders under C:\ whose deepest one has a full path of exactly the given length;
// removed again when the object goes.
class CLongFolder {
public:
    explicit CLongFolder(size_t length)
    {
        std::string path = "C:\\vtx-long";
        for (;;) {
            m_levels.push_back(path);
            ::CreateDirectoryA(path.c_str(), nullptr);
            if (path.size() >= length)
                break;
            path += "\\" + std::string(std::min<size_t>(60, length - path.size() - 1), 'd');
        }
    }
    ~CLongFolder()
    {
        for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level)
            ::RemoveDirectoryA(level->c_str());
    }
    CLongFolder(const CLongFolder&) = delete;
    CLongFolder& operator=(const CLongFolder&) = delete;

    const std::string& Path() const { return m_levels.back(); }
    bool Exists() const
    {
        const DWORD dwAttributes = ::GetFileAttributesA(Path().c_str());
        return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }

private:
    std::vector<std::string> m_levels;
};

// For failure messages: what the process is doing.
std::string Describe(const CVtxProcess& vtx)
{
    std::string text = "process " + std::to_string(vtx.Id());
    text += vtx.HasEnded() ? ", ended with " + std::to_string(vtx.ExitCode()) : ", running";
    for (const std::string& window : vtx.VisibleWindows())
        text += ", window " + window;
    return text;
}

// Waits for vtx.exe to end by itself and fails, killing it, when it shows any window first.
void ExpectEndsWithoutAWindow(CVtxProcess& vtx)
{
    std::vector<std::string> shown;
    PollUntil([&] {
        shown = vtx.VisibleWindows();
        return !shown.empty() || vtx.HasEnded();
    }, kEndWait);
    EXPECT_THAT(shown, IsEmpty());
    if (shown.empty()) {
        EXPECT_TRUE(vtx.HasEnded()) << "still running after " << kEndWait << " ms";
        EXPECT_LT(vtx.ExitCode(), 0xC0000000u) << "ended by an exception";
    }
    vtx.Kill();
}

// Waits for the login window of vtx.exe; nullptr when the program ends or shows none in time.
HWND WaitForLogin(const CVtxProcess& vtx)
{
    return vtx.WaitForTopLevel(IsLogin, kWindowWait);
}

// Cancels the login dialog, which ends the program.
void ExpectCancelEnds(const CVtxProcess& vtx, HWND hLogin)
{
    ::PostMessageA(hLogin, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(vtx.EndsWithin(kEndWait)) << "cancelling the login did not end the program";
}

// The lines of Wine's registry trace in which the process opens or creates the service's key.
std::vector<std::string> ServiceKeyOpens(const std::string& traceFile, size_t& traceLines)
{
    std::vector<std::string> opens;
    std::istringstream trace(ReadWholeFile(DosPath(traceFile)).value_or(""));
    traceLines = 0;
    for (std::string line; std::getline(trace, line);) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (lower.find(":trace:reg:") == std::string::npos)
            continue;
        ++traceLines;
        // Names appear escaped: L"SYSTEM\\CurrentControlSet\\Services\\veltrix".
        const bool bOpen = lower.find("ntopenkey") != std::string::npos ||
                           lower.find("ntcreatekey") != std::string::npos;
        if (bOpen && (lower.find("services\\\\veltrix\"") != std::string::npos ||
                      lower.find(",l\"veltrix\"") != std::string::npos))
            opens.push_back(line);
    }
    return opens;
}

class VtxStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING))
            << "the stand-in driver is not running";
        ASSERT_EQ(ReadInstallDir(), FixtureInstallDir());
        // A copy left over would hold the single-instance guard.
        ASSERT_THAT(RunningVtxIds(), IsEmpty()) << "vtx.exe is already running in the prefix";
    }

    CVeltrixRestorer m_restorer{FixtureInstallDir()};
};

TEST_F(VtxStartup, WithoutItsServiceTheProgramEndsWithoutAWindow)
{
    ASSERT_TRUE(RemoveVeltrixService());
    ASSERT_FALSE(ServiceExists()) << "the service manager still knows the service";

    CVtxProcess vtx;
    ASSERT_TRUE(StartFromWindowsFolder(vtx));
    ExpectEndsWithoutAWindow(vtx);
    EXPECT_FALSE(ServiceExists()) << "start-up created the service";
}

// A service that is there but will not start is in the audit trail while the trail is on, and
// only then, as Wine's trace of the program's ReportEvent calls shows.
TEST_F(VtxStartup, AServiceThatWillNotStartIsRecordedOnlyWhileTheAuditTrailIsOn)
{
    ServiceConfig config;
    ASSERT_TRUE(QueryVeltrixConfig(config));
    ASSERT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
    ASSERT_TRUE(SetVeltrixStartType(SERVICE_DISABLED));
    const struct StartTypeBack {
        DWORD dwStartType;
        ~StartTypeBack() { EXPECT_TRUE(SetVeltrixStartType(dwStartType)); }
    } back{config.dwStartType};

    char windowsDir[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    for (const bool on : {false, true}) {
        const CAuditSwitch trail(on);
        const ConsoleRun traced = RunTracedConsoleProgram(VTX_EXE_FILE, {}, "", windowsDir, "-all,fixme+advapi,+eventlog");
        const std::vector<AuditEventSeen> expected =
            on ? std::vector<AuditEventSeen>{{MSG_SERVICE_NOT_STARTED, EVENTLOG_ERROR_TYPE, {}}}
               : std::vector<AuditEventSeen>{};
        EXPECT_EQ(DetailsOf(EventsInWineTrace(traced.strErr), "vtx.exe"), expected) << "trail " << (on ? "on" : "off");
        EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_STOPPED));
    }
}

// The key is opened with full access: an account that may read it but not write it gets no
// login, and no message. Wine keeps a key's access list, so the account is played by one.
TEST_F(VtxStartup, AnAccountThatMayReadButNotWriteTheServiceKeyEndsWithoutAWindow)
{
    const CReadOnlyServiceKey readOnly;
    ASSERT_TRUE(readOnly.Applied());
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_QUERY_VALUE), ERROR_SUCCESS) << "the key cannot be read";
    ASSERT_EQ(CRegKey().Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);

    CVtxProcess vtx;
    ASSERT_TRUE(StartFromWindowsFolder(vtx));
    ExpectEndsWithoutAWindow(vtx);
}

TEST_F(VtxStartup, WithoutTheInstallFolderValueTheProgramEndsWithoutAWindow)
{
    ASSERT_EQ(SetInstallDirValue(nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(ReadInstallDir(), "");

    CVtxProcess vtx;
    ASSERT_TRUE(StartFromWindowsFolder(vtx));
    ExpectEndsWithoutAWindow(vtx);
}

TEST_F(VtxStartup, ASecondCopyIsRefusedWithAMessageAndNeverOpensTheServiceKey)
{
    // Both copies run under the same trace: the first one's open of the key shows that the
    // trace would see the second one's.
    const std::string firstTrace = VTX_TRACE_DIR "/first-copy.reg.log";
    const std::string secondTrace = VTX_TRACE_DIR "/second-copy.reg.log";
    CVtxProcess first;
    ASSERT_TRUE(StartTraced(first, firstTrace));
    const HWND hFirstLogin = WaitForLogin(first);
    ASSERT_NE(hFirstLogin, nullptr) << "the first copy shows no login window: " << Describe(first);

    CVtxProcess second;
    ASSERT_TRUE(StartTraced(second, secondTrace));
    bool bSecondLogin = false;
    HWND hBox = nullptr;
    PollUntil([&] {
        bSecondLogin = bSecondLogin || second.FindTopLevel(IsLogin);
        // Visible only once the box has set up its text and buttons.
        hBox = second.FindTopLevel(IsMessageBox);
        return (hBox && ::IsWindowVisible(hBox)) || bSecondLogin || second.HasEnded();
    }, kWindowWait);
    ASSERT_NE(hBox, nullptr) << "the second copy shows no message box: " << Describe(second);
    EXPECT_THAT(StaticTextsOf(hBox), Contains("Can't run multiple Veltrix instance!"));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(hBox, IDOK)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hBox, IDCANCEL)));

    ::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hBox, IDOK)));
    PollUntil([&] {
        bSecondLogin = bSecondLogin || second.FindTopLevel(IsLogin);
        return bSecondLogin || second.HasEnded();
    }, kEndWait);
    EXPECT_FALSE(bSecondLogin) << "the second copy showed a login window";
    EXPECT_TRUE(second.HasEnded()) << "the second copy runs on after its message";
    second.Kill();

    EXPECT_TRUE(::IsWindow(hFirstLogin)) << "the first copy lost its login window";
    ExpectCancelEnds(first, hFirstLogin);

    size_t firstLines = 0;
    size_t secondLines = 0;
    EXPECT_THAT(ServiceKeyOpens(firstTrace, firstLines), Not(IsEmpty()))
        << "the trace does not show the first copy opening the key (" << firstLines << " lines)";
    EXPECT_THAT(ServiceKeyOpens(secondTrace, secondLines), IsEmpty());
    EXPECT_GT(secondLines, 0u) << "the second copy was not traced";
}

// The guard under either of its names, held elsewhere (a window on the desktop, a vtxctl of a
// script in session 0), refuses. Wine has no private namespaces, so the cross-session guard is
// "Global\Veltrix" here; Wine keeps it apart from "Veltrix" as Windows keeps a session's names
// apart from the global ones.
TEST_F(VtxStartup, EitherNameOfTheGuardHeldElsewhereRefusesWithTheMessage)
{
    for (const char* name : {"Veltrix", "Global\\Veltrix"}) {
        const CHandle held(::CreateMutexA(nullptr, TRUE, name));
        ASSERT_TRUE(held) << name;
        CVtxProcess vtx;
        ASSERT_TRUE(StartFromWindowsFolder(vtx));
        HWND hBox = nullptr;
        PollUntil([&] {
            hBox = vtx.FindTopLevel(IsMessageBox);
            return (hBox && ::IsWindowVisible(hBox)) || vtx.FindTopLevel(IsLogin) || vtx.HasEnded();
        }, kWindowWait);
        ASSERT_NE(hBox, nullptr) << name << ": " << Describe(vtx);
        EXPECT_THAT(StaticTextsOf(hBox), Contains("Can't run multiple Veltrix instance!")) << name;
        ::PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hBox, IDOK)));
        EXPECT_TRUE(vtx.EndsWithin(kEndWait)) << name;
        ::ReleaseMutex(held.Get());
    }
}

TEST_F(VtxStartup, TheInstallFolderValueHolds255CharactersAndNoMore)
{
    CLongFolder folder(255);
    ASSERT_EQ(folder.Path().size(), 255u);
    ASSERT_TRUE(folder.Exists());

    {
        ASSERT_EQ(SetInstallDirValue(folder.Path()), ERROR_SUCCESS);
        CVtxProcess vtx;
        ASSERT_TRUE(StartFromWindowsFolder(vtx));
        const HWND hLogin = WaitForLogin(vtx);
        ASSERT_NE(hLogin, nullptr) << "no login window with the 255-character folder: " << Describe(vtx);
        const std::string expected = folder.Path() + "\\";
        EXPECT_EQ(CurrentDirectoryOf(vtx.Handle()), std::wstring(expected.begin(), expected.end()));
        ExpectCancelEnds(vtx, hLogin);
    }
    // Values that do not fit, with a terminating NUL, in the 256 bytes the program reads: cut at
    // 255 characters they would name the folder just accepted, and a login window would show.
    const std::string tooLong = folder.Path() + "\\x";
    const std::string unterminated = folder.Path() + "x";
    const struct {
        const char* name;
        const std::string& data;
        DWORD size;
    } refused[] = {{"257 characters", tooLong, static_cast<DWORD>(tooLong.size() + 1)},
                   {"256 characters without a NUL", unterminated, 256}};
    for (const auto& value : refused) {
        SCOPED_TRACE(value.name);
        ASSERT_EQ(SetInstallDirValue(value.data.c_str(), value.size), ERROR_SUCCESS);
        CVtxProcess vtx;
        ASSERT_TRUE(StartFromWindowsFolder(vtx));
        ExpectEndsWithoutAWindow(vtx);
    }
}

} // namespace
