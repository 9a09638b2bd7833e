// The main window against the stand-in driver: the views are filled from the driver's lists and
// every change made in them reaches the driver.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "support/main_window_harness.h"
#include "res/resource.h"
#include "support/message_boxes.h"
#include "support/modal.h"
#include "support/driver_lists.h"
#include "support/service_probe.h"
#include "standin/driver/standin_modes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each test starts with both of the driver's lists empty; what they held comes back afterwards.
class MainWindowWithDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CDeviceEnumeration().IsOpen()) << "the stand-in driver is not running";
        m_lists.emplace();
    }

private:
    std::optional<CEmptiedDriverLists> m_lists;
};

TEST_F(MainWindowWithDriver, TheViewsShowTheDriversListsInItsOrder)
{
    InstallFolder install("vtxE-drvfill");
    const std::vector<std::string> locked = {install.Make("Zeta", true), install.Make("Alpha", true),
                                             "C:\\Gone\\no longer here"};
    const std::vector<std::string> trusted = {"C:\\windows\\system32\\notepad.exe", install.Make("tool.exe")};
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, locked));
    ASSERT_TRUE(FillDriverList(IOCTL_TRUST_ADD, trusted));
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
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, {x, y, z}));
    ASSERT_TRUE(FillDriverList(IOCTL_TRUST_ADD, {"C:\\P.exe", "C:\\Q.exe"}));
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
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")), x + "\r\n" + z + "\r\n" + w + "\r\n");
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")), "");

    CVeltrixDlg next;
    RunModal(next, [&](HWND hWnd) {
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST)), (std::vector<std::string>{x, z, w}));
        EXPECT_TRUE(ListTexts(::GetDlgItem(hWnd, IDC_TRUSTED_LIST)).empty());
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

// Drivers that answer differently from the stand-in's default: what each list shows, whether
// it is told as unread, and whether its file, which held "before", is written.
struct MisbehaviourCase {
    const char* name;
    DWORD dwMode;
    std::vector<std::string> locked;         // the driver's lists
    std::vector<std::string> trusted;
    std::vector<std::string> lockedShown;    // the views when the window has opened
    std::vector<std::string> trustedShown;
    bool bLockedUnread;                      // told once, and its file left as it was
    bool bTrustedUnread;
};

void PrintTo(const MisbehaviourCase& c, std::ostream* os)
{
    *os << c.name;
}

class MainWindowWithMisbehavingDriver : public MainWindowWithDriver,
                                        public ::testing::WithParamInterface<MisbehaviourCase> {};

std::string ListFileOf(const std::vector<std::string>& paths)
{
    std::string bytes;
    for (const std::string& path : paths)
        bytes += path + "\r\n";
    return bytes;
}

size_t Count(const std::vector<ShownMessageBox>& shown, const std::string& text)
{
    return std::count_if(shown.begin(), shown.end(), [&](const ShownMessageBox& box) { return box.text == text; });
}

TEST_P(MainWindowWithMisbehavingDriver, NoEntryIsLostOrInventedAndAnUnreadListKeepsItsFile)
{
    const MisbehaviourCase& c = GetParam();
    InstallFolder install("vtxE-drvmode");
    const std::string before = "C:\\before\r\n";
    WriteWholeFile(install.DataFile("filter.txt"), before);
    WriteWholeFile(install.DataFile("TrustedPs.txt"), before);
    CStandinModeGuard mode(c.dwMode);
    ASSERT_TRUE(mode.Running());
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, c.locked));
    ASSERT_TRUE(FillDriverList(IOCTL_TRUST_ADD, c.trusted));

    MessageBoxCatcher boxes;
    size_t shownAtOpen = 0;
    CVeltrixDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        PumpMessages(&dlg);
        shownAtOpen = boxes.Shown().size();
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_LOCKED_LIST)), c.lockedShown);
        EXPECT_EQ(ListTexts(::GetDlgItem(hWnd, IDC_TRUSTED_LIST)), c.trustedShown);
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(shownAtOpen, boxes.Shown().size()) << "nothing more is told at the close";
    EXPECT_EQ(Count(boxes.Shown(), "Can't read locked list from Veltrix driver!"), c.bLockedUnread ? 1u : 0u);
    EXPECT_EQ(Count(boxes.Shown(), "Can't read trusted list from Veltrix driver!"), c.bTrustedUnread ? 1u : 0u);
    EXPECT_EQ(boxes.Shown().size(), size_t(c.bLockedUnread) + size_t(c.bTrustedUnread));
    EXPECT_EQ(ReadWholeFile(install.DataFile("filter.txt")),
              c.bLockedUnread ? before : ListFileOf(c.lockedShown));
    EXPECT_EQ(ReadWholeFile(install.DataFile("TrustedPs.txt")),
              c.bTrustedUnread ? before : ListFileOf(c.trustedShown));
}

const std::vector<std::string> kThree = {"C:\\Vtx\\One", "C:\\Vtx\\Two", "C:\\Vtx\\Three"};
const std::vector<std::string> kOne = {"C:\\Vtx\\tool.exe"};

INSTANTIATE_TEST_SUITE_P(
    Modes, MainWindowWithMisbehavingDriver,
    ::testing::Values(
        // The files round-trip byte for byte.
        MisbehaviourCase{"NamesCountTheirNul", VTX_MODE_NAME_COUNTS_NUL, kThree, kOne, kThree, kOne, false, false},
        // The second entry comes back without a name: no phantom copy of the first, which the
        // trusted view would show twice.
        MisbehaviourCase{"ShortAnswers", VTX_MODE_SHORT_ANSWERS, kThree, kThree, {kThree[0], kThree[2]},
                         {kThree[0], kThree[2]}, true, true},
        MisbehaviourCase{"FailureAfterMore", VTX_MODE_FAIL_AFTER_MORE, kThree, kOne, {kThree[0], kThree[1]}, kOne, true,
                         false},
        // Stopped at the bound; the empty trusted list fails its first request and is read whole.
        MisbehaviourCase{"MoreForever", VTX_MODE_MORE_FOREVER, kThree, {}, kThree, {}, true, false},
        MisbehaviourCase{"NameWithLineFeed", VTX_MODE_LINE_FEED_NAME, kThree, kOne, kThree, kOne, true, true}),
    [](const ::testing::TestParamInfo<MisbehaviourCase>& info) { return std::string(info.param.name); });

}  // namespace

// A test killed while its guard ran the driver in a mode leaves the mode set, and every later
// test would read its lists from a driver that answers wrongly: the standin fixture's installer
// starts the driver without it.
TEST_F(MainWindowWithDriver, TheTestInstallerStartsTheDriverWithoutAModeAKilledTestLeft)
{
    const std::vector<std::string> one = {"C:\\Vtx\\One"};
    CStandinModeGuard mode(VTX_MODE_LINE_FEED_NAME);
    ASSERT_TRUE(mode.Running());
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, one));
    ASSERT_EQ(DriverList(IOCTL_LOCK_ENUM).size(), 2u) << "the mode is not in effect";
    ASSERT_TRUE(RunInstaller(ReadInstallDir()));
    ASSERT_TRUE(FillDriverList(IOCTL_LOCK_ADD, one));
    EXPECT_EQ(DriverList(IOCTL_LOCK_ENUM), one);
}
