// The main window against the stand-in driver: the views are filled from the driver's lists and
// every change made in them reaches the driver.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "main_window_harness.h"
#include "res/resource.h"
#include "support/message_boxes.h"
#include "support/modal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> DriverList(DWORD enumCode)
{
    std::vector<std::string> paths;
    EnumerateDriverList(enumCode, [&](const char* path) { paths.push_back(path); });
    return paths;
}

void EmptyDriverList(DWORD enumCode, DWORD removeCode)
{
    for (const std::string& path : DriverList(enumCode))
        SendPathRequest(path.c_str(), removeCode);
}

void FillDriverList(const std::vector<std::string>& paths, DWORD addCode)
{
    for (const std::string& path : paths)
        ASSERT_TRUE(SendPathRequest(path.c_str(), addCode)) << path;
}

// Each test starts with both of the driver's lists empty; what they held comes back afterwards.
class MainWindowWithDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CDeviceEnumeration().IsOpen()) << "the stand-in driver is not running";
        m_savedLocked = DriverList(IOCTL_LOCK_ENUM);
        m_savedTrusted = DriverList(IOCTL_TRUST_ENUM);
        EmptyDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
        EmptyDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
    }
    void TearDown() override
    {
        EmptyDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
        EmptyDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
        FillDriverList(m_savedLocked, IOCTL_LOCK_ADD);
        FillDriverList(m_savedTrusted, IOCTL_TRUST_ADD);
    }

private:
    std::vector<std::string> m_savedLocked;
    std::vector<std::string> m_savedTrusted;
};

TEST_F(MainWindowWithDriver, TheViewsShowTheDriversListsInItsOrder)
{
    InstallFolder install("vtxE-drvfill");
    const std::vector<std::string> locked = {install.Make("Zeta", true), install.Make("Alpha", true),
                                             "C:\\Gone\\no longer here"};
    const std::vector<std::string> trusted = {"C:\\windows\\system32\\notepad.exe", install.Make("tool.exe")};
    FillDriverList(locked, IOCTL_LOCK_ADD);
    FillDriverList(trusted, IOCTL_TRUST_ADD);
    CVeltrixDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST)), locked);
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_TRUSTED_LIST)), trusted);
        const std::vector<std::string> types = ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST), 1);
        EXPECT_FALSE(types[0].empty());
        EXPECT_EQ(types[2], "");
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(MainWindowWithDriver, EveryChangeInTheViewsReachesTheDriverAndTheNextWindowShowsIt)
{
    InstallFolder install("vtxE-drvchange");
    const std::string x = install.Make("X", true);
    const std::string y = install.Make("Y", true);
    const std::string z = install.Make("Z", true);
    const std::string w = install.Make("W", true);
    FillDriverList({x, y, z}, IOCTL_LOCK_ADD);
    FillDriverList({"C:\\P.exe", "C:\\Q.exe"}, IOCTL_TRUST_ADD);
    MessageBoxCatcher boxes;
    ShellDialogPlayer shell({ChooseInBrowser(w)});
    CVeltrixDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        SelectItems(::GetDlgItem(hWnd, IDC_LOCKED_LIST), {1});
        ::SendMessageA(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED), BM_CLICK, 0, 0);
        PumpMessages(&dlg);
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (std::vector<std::string>{x, z}));
        ::SendMessageA(::GetDlgItem(hWnd, IDC_ADD_LOCKED), BM_CLICK, 0, 0);
        PumpMessages(&dlg);
        EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), (std::vector<std::string>{x, z, w}));
        ::SetFocus(::GetDlgItem(hWnd, IDC_TRUSTED_LIST));
        PressCtrlKey(dlg, 'L');
        EXPECT_TRUE(DriverList(IOCTL_TRUST_ENUM).empty());
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("filter.txt")), x + "\r\n" + z + "\r\n" + w + "\r\n");
    EXPECT_EQ(InstallFolder::ReadFileBytes(install.DataFile("TrustedPs.txt")), "");

    CVeltrixDlg next;
    RunModal(next, [&](HWND hWnd) {
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST)), (std::vector<std::string>{x, z, w}));
        EXPECT_TRUE(ListTexts(::GetDlgItem(hWnd, IDC_TRUSTED_LIST)).empty());
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

}  // namespace
