// A thousand rounds (or VTX_SOAK_ROUNDS) of everyday use on the real main window against the
// stand-in driver: entries added to both lists by drops, one removed, both views read back from
// the driver, both lists cleared from the context menu, the about box and the change-password
// dialog opened and closed. The process's kernel handles, threads, GDI and USER objects are
// counted every hundred rounds and must not grow.
//
// Under Wine 8, GetProcessHandleCount and GetGuiResources (GDI and USER objects) answer 0 whatever
// the process holds; kernel handles are therefore counted in the system's handle table. GDI and
// USER objects are judged where they can be counted (Windows): a count of 0 with the main window
// open is no count.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "support/main_window_harness.h"
#include "support/shell_link_files.h"
#include "res/resource.h"
#include "support/data_object.h"
#include "support/driver_lists.h"
#include "support/message_boxes.h"
#include "support/modal.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kEvery = 100;

// CTest runs a short soak; the thousand rounds are a run by hand. The counts after the first
// hundred are the base, so fewer than two hundred would judge nothing.
int Rounds()
{
    char text[16] = "";
    if (!::GetEnvironmentVariableA("VTX_SOAK_ROUNDS", text, sizeof text))
        return 1000;
    return std::max(std::atoi(text), 2 * kEvery);
}
// Growth allowed from round 100 (the first hundred fill the shell's and Wine's caches) to the end.
constexpr long kHandleAllowance = 4;
constexpr long kThreadAllowance = 1;
constexpr long kGuiObjectAllowance = 4;

struct Counters {
    long handles;
    long threads;
    long gdi;
    long user;
};

// The handle table as SystemExtendedHandleInformation gives it.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

long OwnKernelHandles()
{
    using QueryFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const ULONG_PTR count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    long own = 0;
    for (ULONG_PTR i = 0; i < count; ++i)
        own += entries[i].processId == ::GetCurrentProcessId();
    return own;
}

long OwnThreads()
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof entry};
    long own = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        own += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return own;
}

Counters Count()
{
    const HANDLE self = ::GetCurrentProcess();
    return {OwnKernelHandles(), OwnThreads(), static_cast<long>(::GetGuiResources(self, GR_GDIOBJECTS)),
            static_cast<long>(::GetGuiResources(self, GR_USEROBJECTS))};
}

// Takes the counts after the given round, shows them at once (a slow soak that times out has
// still shown how far it came) and judges them against the counts after round 100.
void Record(std::vector<Counters>& counters, int round)
{
    const Counters now = Count();
    counters.push_back(now);
    std::printf("round %4d: kernel handles %ld, threads %ld, GDI objects %ld, USER objects %ld\n", round, now.handles,
                now.threads, now.gdi, now.user);
    std::fflush(stdout);
    if (counters.size() > 2) {
        EXPECT_LE(now.handles, counters[1].handles + kHandleAllowance) << "kernel handles after round " << round;
        EXPECT_LE(now.threads, counters[1].threads + kThreadAllowance) << "threads after round " << round;
        if (counters[0].gdi > 0 && counters[0].user > 0) {
            EXPECT_LE(now.gdi, counters[1].gdi + kGuiObjectAllowance) << "GDI objects after round " << round;
            EXPECT_LE(now.user, counters[1].user + kGuiObjectAllowance) << "USER objects after round " << round;
        }
    }
}

// The main window with its reading of the driver's lists at hand.
class CSoakDlg : public CVeltrixDlg {
public:
    void ReloadFromDriver()
    {
        m_listLocked.View().DeleteAllItems();
        m_listTrusted.View().DeleteAllItems();
        LoadLockedFromDriver();
        LoadTrustedFromDriver();
    }
};

// What OLE does when the user drags the files over the view and lets go.
void DropFiles(HWND list, const std::vector<std::string>& paths)
{
    auto* target = static_cast<IDropTarget*>(::GetPropA(list, "OleDropTargetInterface"));
    ASSERT_NE(target, nullptr);
    TestDataObject data;
    data.AddFileList(paths);
    RECT rect;
    ::GetWindowRect(list, &rect);
    const POINTL point{rect.left + 20, rect.top + 30};
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(&data, MK_LBUTTON, point, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(&data, 0, point, &effect);
}

TEST(Soak, AThousandRoundsOfUseLeaveTheKernelHandleAndThreadCountsFlat)
{
    ASSERT_TRUE(CDeviceEnumeration().IsOpen()) << "the stand-in driver is not running";
    CEmptiedDriverLists emptied;
    InstallFolder install("vtxS-soak");
    const std::string a = install.Make("Soak\\A", true);
    const std::string b = install.Make("Soak\\B", true);
    const std::string program = "C:\\windows\\system32\\notepad.exe";
    const std::string shortcut = install.Make("Soak\\tool.lnk");
    ASSERT_TRUE(WriteShortcut(shortcut, program));
    MessageBoxCatcher boxes;
    MenuWatcher menus('c');  // "&Clear List"
    const int rounds = Rounds();
    std::vector<Counters> counters;
    CSoakDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        OwnDialogCloser dialogs;
        dialogs.m_main = hWnd;
        const HWND locked = ::GetDlgItem(hWnd, IDC_LOCKED_LIST);
        const HWND trusted = ::GetDlgItem(hWnd, IDC_TRUSTED_LIST);
        Record(counters, 0);
        ASSERT_GT(counters[0].handles, 0) << "the handle table could not be read";
        for (int round = 1; round <= rounds && !::testing::Test::HasFailure(); ++round) {
            DropFiles(locked, {a, b});
            DropFiles(trusted, {shortcut});
            SelectItems(locked, {0});
            ::SendMessageA(::GetDlgItem(hWnd, IDC_REMOVE_LOCKED), BM_CLICK, 0, 0);
            PumpMessages(&dlg);
            dlg.ReloadFromDriver();
            const std::vector<std::string> lockedAfterReload = ListTexts(locked);
            const std::vector<std::string> trustedAfterReload = ListTexts(trusted);
            RightClick(dlg, trusted, 0);
            RightClick(dlg, locked, 0);
            ::SendMessageA(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            ::SendMessageA(::GetDlgItem(hWnd, IDC_CHANGE_PASSWORD), BM_CLICK, 0, 0);
            PumpMessages(&dlg);
            if (round % kEvery == 0 || round == 1) {
                EXPECT_EQ(lockedAfterReload, (std::vector<std::string>{b})) << "round " << round;
                EXPECT_EQ(trustedAfterReload, (std::vector<std::string>{program})) << "round " << round;
                EXPECT_EQ(ListView_GetItemCount(locked) + ListView_GetItemCount(trusted), 0) << "round " << round;
                EXPECT_TRUE(DriverList(IOCTL_LOCK_ENUM).empty() && DriverList(IOCTL_TRUST_ENUM).empty())
                    << "round " << round;
                EXPECT_EQ(menus.m_shown.size(), 2u * round);
                EXPECT_EQ(dialogs.m_captions.size(), 2u * round) << "the about box and the password dialog";
            }
            if (round % kEvery == 0)
                Record(counters, round);
        }
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(counters.size(), static_cast<size_t>(rounds / kEvery + 1)) << "the soak stopped early";
}

}  // namespace
