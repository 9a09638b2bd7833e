// The uninstall command on the real main window, chosen from its system menu, against the stand-in
// driver's real service; and the stop progress dialog with a stop that the test holds. The
// uninstaller is a stand-in of ours that notes what it found when it started.
#include "app/veltrix_app.h"
#include "app/veltrix_dlg.h"
#include "driver/stop_progress_dlg.h"
#include "support/main_window_harness.h"
#include "res/resource.h"
#include "support/message_boxes.h"
#include "support/modal.h"
#include "support/service_probe.h"
#include "support/vtx_process.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- an installation with our uninstaller in it -----------------------------------------------

std::string OwnFolder()
{
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder = module;
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

using Record = std::map<std::string, std::string>;

// The fields of the uninstaller's record ("<name> <length>\n<bytes>\n" each); empty if malformed.
Record ParseRecord(const std::string& bytes)
{
    Record record;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t space = bytes.find(' ', at);
        const size_t eol = space == std::string::npos ? space : bytes.find('\n', space);
        if (eol == std::string::npos)
            return {};
        const size_t length = std::stoul(bytes.substr(space + 1, eol - space - 1));
        if (eol + 1 + length + 1 > bytes.size())
            return {};
        record[bytes.substr(at, space - at)] = bytes.substr(eol + 1, length);
        at = eol + 1 + length + 1;
    }
    return record;
}

// A scratch installation as start-up leaves it: its data folder and (unless told otherwise) its
// uninstaller, g_strInstallDir naming it and the current directory in it. Everything is put back
// when the object goes.
class Installation {
public:
    explicit Installation(const char* name, bool withUninstaller = true) : m_install(name)
    {
        if (withUninstaller)
            m_bCopied = ::CopyFileA((OwnFolder() + "\\" VTX_TEST_UNINSTALLER).c_str(), Uninstaller().c_str(), FALSE);
        // The current directory is the same folder named in capitals: the uninstaller's working
        // directory then shows whether it was given the installation folder or inherited ours.
        ::SetCurrentDirectoryA(Upper(m_install.Path()).c_str());
    }
    ~Installation()
    {
        // The uninstaller may still be ending; its file goes once it has.
        for (int i = 0; i < 100 && !::DeleteFileA(Uninstaller().c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND; ++i)
            ::Sleep(50);
    }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::string& Path() const { return m_install.Path(); }
    std::string Make(const std::string& relative, bool isFolder = false) const { return m_install.Make(relative, isFolder); }
    std::string DataFile(const char* name) const { return m_install.DataFile(name); }
    std::string Uninstaller() const { return m_install.Path() + "\\unins000.exe"; }
    bool UninstallerInPlace() const { return m_bCopied; }

    // Waits up to the given time for the uninstaller's record; true when there is one.
    bool WaitForRecord(DWORD milliseconds) const
    {
        return PollUntil([&] { return ::GetFileAttributesA(RecordPath().c_str()) != INVALID_FILE_ATTRIBUTES; }, milliseconds);
    }
    Record ReadRecord() const { return ParseRecord(ReadWholeFile(RecordPath()).value_or("")); }

private:
    std::string RecordPath() const { return m_install.Path() + "\\unins000.record"; }

    InstallFolder m_install;
    bool m_bCopied = false;
};

// The main window is the application's while it runs, as start-up makes it: dialogs without a
// parent are then owned by it.
class AsApplicationsMainWindow {
public:
    explicit AsApplicationsMainWindow(CWnd& window) : m_pSaved(theApp.m_pMainWnd) { theApp.m_pMainWnd = &window; }
    ~AsApplicationsMainWindow() { theApp.m_pMainWnd = m_pSaved; }
    AsApplicationsMainWindow(const AsApplicationsMainWindow&) = delete;
    AsApplicationsMainWindow& operator=(const AsApplicationsMainWindow&) = delete;

private:
    CWnd* m_pSaved;
};

// "Uninstall Veltrix..." picked in the system menu: the menu posts the command to the window,
// whose loop then runs it.
void ChooseUninstall(CDialog& window)
{
    ::PostMessageA(window.m_hWnd, WM_SYSCOMMAND, IDM_UNINSTALL, 0);
    PumpMessages(&window);
}

// Handles this thread's messages until done() holds or the time is up; false then.
bool PumpUntil(CDialog& dialog, const std::function<bool()>& done, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpMessages(&dialog);
        if (done())
            return true;
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// ---- the uninstall command on the main window -------------------------------------------------

TEST(UninstallCommand, StopsTheRunningServiceThenSavesTheListsClosesTheWindowAndStartsTheUninstaller)
{
    CVeltrixRestorer service;
    ASSERT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING)) << "the stand-in driver's service is not running";
    Installation install("vtxU-running");
    ASSERT_TRUE(install.UninstallerInPlace());
    const std::string locked = install.Make("Locked folder", true);
    WriteWholeFile(install.DataFile("filter.txt"), "C:\\stale\r\n");
    FakeDriver driver;
    driver.m_locked = {locked, "C:\\Gone\\not here"};
    driver.m_trusted = {"C:\\windows\\system32\\notepad.exe"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    AsApplicationsMainWindow main(dlg);
    HWND window = nullptr;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        window = hWnd;
        ChooseUninstall(dlg);
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(::IsWindow(window)) << "the main window is gone";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_STOPPED));
    ASSERT_TRUE(install.WaitForRecord(20000)) << "the uninstaller did not start";
    Record record = install.ReadRecord();
    EXPECT_EQ(record["filter"], locked + "\r\nC:\\Gone\\not here\r\n") << "written before the uninstaller started";
    EXPECT_EQ(record["trusted"], "C:\\windows\\system32\\notepad.exe\r\n");
    // The contents alone cannot show the order (the uninstaller may be slow to look); the
    // times can: a list file written after the uninstaller's process was made is too late.
    ASSERT_FALSE(record["created"].empty());
    EXPECT_LE(std::stoull(record["filter.written"]), std::stoull(record["created"]));
    EXPECT_LE(std::stoull(record["trusted.written"]), std::stoull(record["created"]));
    EXPECT_EQ(record["cwd"], install.Path()) << "the installation folder as g_strInstallDir names it";
    EXPECT_EQ(Upper(record["module"]), Upper(install.Uninstaller()));
}

TEST(UninstallCommand, AnUninstallerThatCannotStartLeavesTheDriverRunningAndSaysSo)
{
    CVeltrixRestorer service;
    ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING));
    Installation install("vtxU-unstartable", false);
    WriteWholeFile(install.Uninstaller(), "not a program");
    FakeDriver driver;
    driver.m_locked = {"C:\\Locked"};
    MessageBoxCatcher boxes;
    CVeltrixDlg dlg(driver);
    AsApplicationsMainWindow main(dlg);
    const INT_PTR result = RunModal(dlg, [&](HWND) { ChooseUninstall(dlg); });

    EXPECT_EQ(result, IDOK) << "the lists were saved and the window closed before the start was tried";
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), "C:\\Locked\r\n");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Can't start unins000.exe! Veltrix protection is on again.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Veltrix");
    EXPECT_EQ(boxes.Shown()[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
}

// What can stop the uninstall before it starts, and what the user is told then.
struct UnableToUninstall {
    const char* name;
    DWORD serviceState;
    enum { kUninstaller, kNothing, kFolder } inPlace;  // what "unins000.exe" is
    const char* message;
};

TEST(UninstallCommand, WhenItCannotGoThroughSaysWhyAndLeavesTheServiceTheListsAndTheWindowAsTheyWere)
{
    for (const UnableToUninstall& when : {
             UnableToUninstall{"the service already stopped", SERVICE_STOPPED, UnableToUninstall::kUninstaller,
                               "Veltrix Stoping failure!"},
             UnableToUninstall{"no uninstaller", SERVICE_RUNNING, UnableToUninstall::kNothing, "Can't find unins000.exe!"},
             UnableToUninstall{"a folder named as the uninstaller", SERVICE_RUNNING, UnableToUninstall::kFolder,
                               "Can't find unins000.exe!"}}) {
        SCOPED_TRACE(when.name);
        CVeltrixRestorer service;
        ASSERT_TRUE(BringVeltrixTo(when.serviceState));
        Installation install("vtxU-unable", when.inPlace == UnableToUninstall::kUninstaller);
        ASSERT_EQ(install.UninstallerInPlace(), when.inPlace == UnableToUninstall::kUninstaller);
        if (when.inPlace == UnableToUninstall::kFolder)
            ASSERT_TRUE(::CreateDirectoryA(install.Uninstaller().c_str(), nullptr));
        const std::string filter = install.DataFile("filter.txt");
        WriteWholeFile(filter, "C:\\marker\r\n");
        FakeDriver driver;
        driver.m_locked = {"C:\\Locked"};
        driver.m_trusted = {"C:\\tool.exe"};
        MessageBoxCatcher boxes;
        CVeltrixDlg dlg(driver);
        AsApplicationsMainWindow main(dlg);
        const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
            ChooseUninstall(dlg);
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].text, when.message);
            EXPECT_EQ(boxes.Shown()[0].caption, "Veltrix");
            EXPECT_EQ(boxes.Shown()[0].owner, hWnd);
            EXPECT_FALSE(dlg.IsEnding()) << "the main window stays";
            EXPECT_TRUE(::IsWindowEnabled(hWnd)) << "and takes input again";
            EXPECT_EQ(ReadWholeFile(filter), "C:\\marker\r\n");
            EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), std::nullopt);
            EXPECT_FALSE(install.WaitForRecord(when.inPlace == UnableToUninstall::kUninstaller ? 3000 : 0))
                << "the uninstaller started";
            ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(QueryVeltrixState(), when.serviceState) << "the service is as it was";
        if (when.inPlace == UnableToUninstall::kFolder)
            ::RemoveDirectoryA(install.Uninstaller().c_str());
    }
}

// ---- the progress dialog with a stop the test holds -------------------------------------------

// Plays the service manager: the service runs, and its stop request waits in the worker until
// the test lets it go, then gives the result the test chose. The worker holds it while it runs.
class HeldStop : public IServiceManager {
public:
    explicit HeldStop(BOOL bResult) : m_bResult(bResult) {}

    bool WaitUntilEntered(DWORD milliseconds) const { return ::WaitForSingleObject(m_entered.Get(), milliseconds) == WAIT_OBJECT_0; }
    bool HasReturned() const { return ::WaitForSingleObject(m_returned.Get(), 0) == WAIT_OBJECT_0; }
    void Release() { ::SetEvent(m_release.Get()); }

    bool OpenManager() override { return true; }
    bool OpenDriverService() override { return true; }
    bool Interrogate(uint32_t& state) override
    {
        state = HasReturned() && m_bResult ? kServiceStopped : kServiceRunning;
        return true;
    }
    bool Start() override { return false; }
    bool Stop() override
    {
        ::SetEvent(m_entered.Get());
        ::WaitForSingleObject(m_release.Get(), INFINITE);
        ::SetEvent(m_returned.Get());
        return m_bResult;
    }
    void CloseDriverService() override {}
    void CloseManager() override {}

private:
    CHandle m_entered{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_returned{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    BOOL m_bResult;
};

// The progress dialog with its OK and Cancel handling counted, to see that the keys did arrive
// as the commands they stand for.
class CCountingStopDlg : public CStopProgressDlg {
public:
    using CStopProgressDlg::CStopProgressDlg;
    int m_nOK = 0;
    int m_nCancel = 0;

protected:
    void OnOK() override
    {
        ++m_nOK;
        CStopProgressDlg::OnOK();
    }
    void OnCancel() override
    {
        ++m_nCancel;
        CStopProgressDlg::OnCancel();
    }
};

TEST(StopProgressDialog, EnterEscapeOkCancelAndCloseWhileTheStopRunsChangeNothing)
{
    for (const BOOL stopped : {TRUE, FALSE}) {
        SCOPED_TRACE(stopped ? "the stop succeeds" : "the stop fails");
        const auto stop = std::make_shared<HeldStop>(stopped);
        CCountingStopDlg dlg(stop);
        const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
            ASSERT_TRUE(stop->WaitUntilEntered(5000)) << "the worker did not start";
            PressKey(dlg, VK_RETURN);
            PressKey(dlg, VK_ESCAPE);
            ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
            ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
            PumpMessages(&dlg);
            EXPECT_EQ(dlg.m_nOK, 2) << "Enter and IDOK";
            EXPECT_EQ(dlg.m_nCancel, 3) << "Escape, IDCANCEL and the close request";
            EXPECT_FALSE(dlg.IsEnding());
            EXPECT_TRUE(::IsWindowVisible(hWnd));
            EXPECT_FALSE(stop->HasReturned());

            stop->Release();
            EXPECT_TRUE(PumpUntil(dlg, [&] { return dlg.IsEnding() != FALSE; }, 5000)) << "the finished stop did not end it";
        });
        EXPECT_EQ(result, stopped ? IDOK : IDCANCEL);
    }
}

// Reads the bar when the dialog's window is being destroyed: the last thing the user saw of it.
class BarAtDestroy : public CThreadHook<BarAtDestroy, WH_CALLWNDPROC> {
public:
    void Watch(HWND dialog) { m_hDialog = dialog; }
    // -1 until the window was destroyed.
    int Position() const { return m_nPosition; }

private:
    bool OnHook(int code, WPARAM, LPARAM lParam) override
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->message == WM_DESTROY && message->hwnd == m_hDialog)
            m_nPosition = static_cast<int>(::SendDlgItemMessageA(message->hwnd, IDC_STOP_PROGRESS, PBM_GETPOS, 0, 0));
        return false;
    }

    HWND m_hDialog = nullptr;
    int m_nPosition = -1;
};

TEST(StopProgressDialog, ABarFullBeforeTheStopEndsStartsOverAndIsFullWhenTheDialogCloses)
{
    const auto stop = std::make_shared<HeldStop>(TRUE);
    CStopProgressDlg dlg(stop);
    BarAtDestroy atDestroy;
    std::vector<int> positions;  // each position the bar took, in order
    DWORD startedOverAfter = 0;
    int positionWhenEnded = -1;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        atDestroy.Watch(hWnd);
        HWND bar = ::GetDlgItem(hWnd, IDC_STOP_PROGRESS);
        PBRANGE range{};
        ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, 0);
        EXPECT_EQ(range.iHigh, 100);
        const DWORD start = ::GetTickCount();
        const bool startedOver = PumpUntil(dlg, [&] {
            const int position = static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
            if (positions.empty() || positions.back() != position)
                positions.push_back(position);
            return positions.size() >= 2 && positions.back() < positions[positions.size() - 2];
        }, 12000);
        startedOverAfter = ::GetTickCount() - start;
        EXPECT_TRUE(startedOver) << "the bar never started over";
        EXPECT_TRUE(::IsWindowVisible(hWnd));

        stop->Release();
        EXPECT_TRUE(PumpUntil(dlg, [&] { return dlg.IsEnding() != FALSE; }, 5000));
        positionWhenEnded = static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(positions, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10}))
        << "steps of 10 up to the top, then from the beginning again";
    // Eleven ticks of 650 ms.
    EXPECT_GE(startedOverAfter, 6500u);
    EXPECT_EQ(positionWhenEnded, 100) << "filled when the stop was done";
    EXPECT_EQ(atDestroy.Position(), 100) << "full when the window went";
}

}  // namespace
