// How long the main window takes to fill its two lists from the driver, as a ratio against the
// floor measured in the same run: the bare enumeration requests, the bare SHGetFileInfo calls and
// the bare list-view inserts for the same paths. Also the growth from the first size to the
// last, and the share of the fill taken by the locked list's duplicate test.
//   bench_list_fill [entries per list ...]        default: 2000 20000
// Run by hand under Wine with the stand-in driver running. The driver's lists are put back as
// they were. Sizes beyond what the stand-in holds are played in-process, as the driver would
// answer, and marked so.
#include "app/veltrix_dlg.h"
#include "driver/core/names.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "lists/list_entry.h"
#include "standin/driver/standin_modes.h"
#include "support/driver_lists.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The driver played in-process, for sizes the stand-in does not hold.
FakeDriver g_played;

IDeviceChannel& Device(bool played)
{
    return played ? static_cast<IDeviceChannel&>(g_played) : VeltrixDevice();
}

// ---- the pieces of the floor ----------------------------------------------------------------

double TimeEnumeration(bool played, size_t expected)
{
    const Clock::time_point start = Clock::now();
    size_t seen = 0;
    for (DWORD code : {DWORD(IOCTL_LOCK_ENUM), DWORD(IOCTL_TRUST_ENUM)}) {
        auto channel = Device(played).OpenEnumeration();
        if (channel)
            EnumerateList(*channel, code, [&](const char*) {
                ++seen;
                return true;
            });
    }
    const double ms = MillisecondsOf(Clock::now() - start);
    if (seen != 2 * expected)
        std::fprintf(stderr, "enumeration gave %zu entries, not %zu\n", seen, 2 * expected);
    return ms;
}

double TimeShellInfo(const std::vector<std::string>& paths)
{
    const Clock::time_point start = Clock::now();
    for (int list = 0; list < 2; ++list)
        for (const std::string& path : paths) {
            SHFILEINFOA info{};
            ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_ATTRIBUTES);
        }
    return MillisecondsOf(Clock::now() - start);
}

// A report view like the window's, on its own. The window's views are subclassed by their
// objects, which puts every message to them through the object's procedure; the duplicate test
// is timed on such a view.
class BareListView {
public:
    explicit BareListView(bool subclassed = false)
    {
        const HWND hWnd = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0,
                                          600, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (!subclassed || !m_list.SubclassWindow(hWnd))
            m_list.m_hWnd = hWnd;
        SHFILEINFOA info{};
        m_list.SetImageList(reinterpret_cast<HIMAGELIST>(::SHGetFileInfoA("", 0, &info, sizeof info,
                                                                          SHGFI_SYSICONINDEX | SHGFI_SMALLICON)),
                            LVSIL_SMALL);
        m_list.InsertColumn(0, "File name ", LVCFMT_LEFT, 338);
        m_list.InsertColumn(1, "File type", LVCFMT_LEFT, 100);
    }
    ~BareListView()
    {
        ::DestroyWindow(m_list.m_hWnd);
        m_list.m_hWnd = nullptr;
    }
    CListCtrl m_list;
};

double TimeInserts(const std::vector<std::string>& paths, const SHFILEINFOA& info)
{
    double total = 0;
    for (int list = 0; list < 2; ++list) {
        BareListView view;
        const Clock::time_point start = Clock::now();
        int index = 0;
        for (const std::string& path : paths) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = index;
            item.pszText = const_cast<char*>(path.c_str());
            item.iImage = info.iIcon;
            view.m_list.InsertItem(&item);
            view.m_list.SetItemText(index++, 1, info.szTypeName);
        }
        total += MillisecondsOf(Clock::now() - start);
    }
    return total;
}

// The load's duplicate test as the locked list makes it: each path's case-blind sort key, and a
// comparison only with the entries before it of the same key. Timed as the locked list's load
// less the trusted list's, which makes no such test, of the same entries into the same kind of
// view.
double TimeDuplicateTests(const std::vector<std::string>& paths, const SHFILEINFOA& info)
{
    double ms[2] = {};
    for (const CListDescription* list : {&g_lockedList, &g_trustedList}) {
        BareListView view(true);
        CPathFacts facts;
        CListModel model(*list, facts);
        CPlayedEnumeration channel(paths);
        int index = 0;
        const Clock::time_point start = Clock::now();
        model.Load(&channel, [&](const std::string& path) { AppendListEntry(view.m_list, index++, path.c_str(), info); });
        ms[list == &g_trustedList] = MillisecondsOf(Clock::now() - start);
    }
    return ms[0] - ms[1];
}

// ---- the window's own fill ------------------------------------------------------------------

class CTimedMainWindow : public CVeltrixDlg {
public:
    explicit CTimedMainWindow(IDeviceChannel& device) : CVeltrixDlg(device) {}
    double m_dFillMs = 0;
    int m_nLocked = 0;
    int m_nTrusted = 0;

protected:
    BOOL OnInitDialog() override
    {
        const Clock::time_point start = Clock::now();
        const BOOL result = CVeltrixDlg::OnInitDialog();
        m_dFillMs = MillisecondsOf(Clock::now() - start);
        m_nLocked = m_listLocked.View().GetItemCount();
        m_nTrusted = m_listTrusted.View().GetItemCount();
        EndDialog(IDCANCEL);
        return result;
    }
};

std::vector<std::string> MakeEntries(const std::string& folder, size_t count)
{
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (size_t i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\entry%06zu.txt", i);
        paths.push_back(folder + name);
        HANDLE file = ::CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
    return paths;
}

void RemoveEntries(const std::string& folder, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

struct Result {
    size_t n;
    bool played;
    double enumMs, shellMs, insertMs, fillMs, dupMs;
};

}  // namespace

int main(int argc, char** argv)
{
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {2000, 20000};

    if (!CDeviceEnumeration().IsOpen()) {
        std::fprintf(stderr, "the stand-in driver is not running\n");
        return 2;
    }
    // A test mode a killed test left: each enumeration of a driver that says More forever takes
    // 65536 requests, and nothing measured would be the protocol's.
    DWORD mode = 0;
    DWORD size = sizeof mode;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, VTX_STANDIN_MODE_VALUE, RRF_RT_REG_DWORD, nullptr, &mode,
                       &size) == ERROR_SUCCESS) {
        std::fprintf(stderr, "the stand-in driver is set to test mode %lu (%s)\n", mode, VTX_STANDIN_MODE_VALUE);
        return 2;
    }
    const CEmptiedDriverLists kept;

    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    char work[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, work);
    const std::string folder = std::string(temp) + "vtxbench-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA((folder + "\\data").c_str(), nullptr);
    ::SetCurrentDirectoryA(folder.c_str());

    std::vector<Result> results;
    for (size_t n : sizes) {
        const std::string entries = folder + "\\n" + std::to_string(n);
        const std::vector<std::string> paths = MakeEntries(entries, n);
        // Past the stand-in's capacity some adds fail: the enumeration is played instead.
        ClearDriverList(IOCTL_LOCK_ENUM, IOCTL_LOCK_REMOVE);
        ClearDriverList(IOCTL_TRUST_ENUM, IOCTL_TRUST_REMOVE);
        FillDriverList(IOCTL_LOCK_ADD, paths);
        FillDriverList(IOCTL_TRUST_ADD, paths);
        const bool played = DriverList(IOCTL_LOCK_ENUM).size() != n || DriverList(IOCTL_TRUST_ENUM).size() != n;
        if (played)
            g_played.m_locked = g_played.m_trusted = paths;

        SHFILEINFOA info{};
        ::SHGetFileInfoA(paths.front().c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_ATTRIBUTES);
        Result result{n, played, 0, 0, 0, 0, 0};
        result.enumMs = TimeEnumeration(played, n);
        result.shellMs = TimeShellInfo(paths);
        result.insertMs = TimeInserts(paths, info);
        result.dupMs = TimeDuplicateTests(paths, info);
        CTimedMainWindow window(Device(played));
        window.DoModal();
        result.fillMs = window.m_dFillMs;
        if (static_cast<size_t>(window.m_nLocked) != n || static_cast<size_t>(window.m_nTrusted) != n)
            std::fprintf(stderr, "the window showed %d and %d entries, not %zu\n", window.m_nLocked, window.m_nTrusted, n);
        results.push_back(result);

        const double floor = result.enumMs + result.shellMs + result.insertMs;
        std::printf("N = %6zu per list%s\n", n, played ? "  (driver played in-process: the stand-in holds fewer)" : "");
        std::printf("  floor %10.1f ms  = enumeration %.1f + SHGetFileInfo %.1f + list-view inserts %.1f\n", floor,
                    result.enumMs, result.shellMs, result.insertMs);
        std::printf("  fill  %10.1f ms  = %.2f x floor; duplicate test %.1f ms = %.1f%% of the fill\n", result.fillMs,
                    result.fillMs / floor, result.dupMs, 100.0 * result.dupMs / result.fillMs);
        std::fflush(stdout);

        RemoveEntries(entries, paths);
    }
    if (results.size() >= 2) {
        const Result& first = results.front();
        const Result& last = results.back();
        const double floorFirst = first.enumMs + first.shellMs + first.insertMs;
        const double floorLast = last.enumMs + last.shellMs + last.insertMs;
        std::printf("growth %zu -> %zu entries (x%.1f): fill x%.1f, floor x%.1f, duplicate test x%.1f\n", first.n,
                    last.n, double(last.n) / double(first.n), last.fillMs / first.fillMs, floorLast / floorFirst,
                    last.dupMs / first.dupMs);
    }

    ::SetCurrentDirectoryA(work);
    ::DeleteFileA((folder + "\\data\\filter.txt").c_str());
    ::DeleteFileA((folder + "\\data\\TrustedPs.txt").c_str());
    ::RemoveDirectoryA((folder + "\\data").c_str());
    ::RemoveDirectoryA(folder.c_str());
    ::OleUninitialize();
    return 0;
}
