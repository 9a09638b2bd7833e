#include "support/main_window_harness.h"

#include "app/veltrix_app.h"
#include "lists/core/list_description.h"
#include "res/resource.h"

#include "support/driver_lists.h"
#include "support/file_bytes.h"
#include "support/modal.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <utility>


// ---- installation folder ------------------------------------------------------------------

InstallFolder::InstallFolder(const char* name)
    : ScratchFolder(name), m_app(Make("App", true)), m_savedInstallDir(g_strInstallDir.GetString())
{
    Make("App\\data", true);
    g_strInstallDir = m_app.c_str();
    ::SetCurrentDirectoryA(m_app.c_str());
}

InstallFolder::~InstallFolder()
{
    g_strInstallDir = m_savedInstallDir.c_str();
}


// ---- shell notifications ----------------------------------------------------------------------

namespace {
constexpr UINT kShellNotification = WM_APP + 17;
}  // namespace

ShellNotifications::ShellNotifications(const std::string& folder)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VtxTestShellNotifications";
    ::RegisterClassA(&windowClass);
    m_hWnd = ::CreateWindowA(windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (folder.empty())
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &m_pidl);
    else
        m_pidl = ::ILCreateFromPathA(folder.c_str());
    SHChangeNotifyEntry entry{m_pidl, TRUE};
    m_id = ::SHChangeNotifyRegister(m_hWnd, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_UPDATEDIR,
                                    kShellNotification, 1, &entry);
}

ShellNotifications::~ShellNotifications()
{
    if (m_id)
        ::SHChangeNotifyDeregister(m_id);
    ::ILFree(m_pidl);
    ::DestroyWindow(m_hWnd);
}

std::vector<std::string> ShellNotifications::Take()
{
    PumpMessages();
    return std::exchange(m_paths, {});
}

LRESULT CALLBACK ShellNotifications::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ShellNotifications*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self && message == kShellNotification && (lParam & SHCNE_UPDATEDIR)) {
        auto** pidls = reinterpret_cast<ITEMIDLIST**>(wParam);
        char path[MAX_PATH] = {};
        if (pidls && pidls[0])
            ::SHGetPathFromIDListA(pidls[0], path);
        self->m_paths.push_back(path);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// ---- list views -------------------------------------------------------------------------------

std::vector<std::string> ListTexts(HWND list, int column)
{
    std::vector<std::string> texts;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH + 1] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

std::vector<int> SelectedItems(HWND list)
{
    std::vector<int> items;
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i != -1; i = ListView_GetNextItem(list, i, LVNI_SELECTED))
        items.push_back(i);
    return items;
}

void SelectItems(HWND list, const std::vector<int>& items)
{
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int i : items)
        ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
}

// ---- keys -------------------------------------------------------------------------------------

namespace {

void SetKeyDown(UINT vk, bool down)
{
    BYTE state[256];
    ::GetKeyboardState(state);
    state[vk] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
}

}  // namespace

void PressCtrlKey(CWnd& window, char key)
{
    SetKeyDown(VK_CONTROL, true);
    HWND focus = ::GetFocus();
    ::PostMessageA(focus ? focus : window.m_hWnd, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    ::PostMessageA(focus ? focus : window.m_hWnd, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
    PumpMessages(&window);
    SetKeyDown(VK_CONTROL, false);
}

void PressKey(CWnd& window, UINT vk)
{
    HWND focus = ::GetFocus();
    ::PostMessageA(focus ? focus : window.m_hWnd, WM_KEYDOWN, vk, 1);
    ::PostMessageA(focus ? focus : window.m_hWnd, WM_KEYUP, vk, 0xC0000001);
    PumpMessages(&window);
}

// ---- shell dialogs ----------------------------------------------------------------------------

namespace {

bool HasChildOfClass(HWND dialog, const char* className)
{
    return ::FindWindowExA(dialog, nullptr, className, nullptr) != nullptr;
}

// The shell's dialogs are dialogs of another module with a tree (the folder browser) or a
// file-name field (the open-file dialog).
const char* ShellDialogKind(HWND hWnd)
{
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 ||
        reinterpret_cast<HMODULE>(::GetWindowLongPtrA(hWnd, GWLP_HINSTANCE)) == ::GetModuleHandleA(nullptr))
        return nullptr;
    if (HasChildOfClass(hWnd, WC_TREEVIEWA))
        return "browse";
    if (::GetDlgItem(hWnd, cmb13) || ::GetDlgItem(hWnd, edt1))
        return "open";
    return nullptr;
}

}  // namespace

bool ShellDialogPlayer::OnHook(int code, WPARAM wParam, LPARAM)
{
    if (code != HCBT_ACTIVATE)
        return false;
    HWND dialog = reinterpret_cast<HWND>(wParam);
    if (dialog == m_last)
        return true;
    const char* kind = ShellDialogKind(dialog);
    if (!kind)
        return false;
    m_last = dialog;
    m_pending = dialog;
    m_kinds.push_back(kind);
    // The script runs from the dialog's own loop, once the dialog is up.
    ::SetTimer(nullptr, 0, 50, &ShellDialogPlayer::Run);
    return true;  // not a message box: the catcher must not see it
}

void CALLBACK ShellDialogPlayer::Run(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ShellDialogPlayer* self = Current();
    if (!self || !self->m_pending || !::IsWindow(self->m_pending))
        return;
    HWND dialog = self->m_pending;
    self->m_pending = nullptr;
    if (self->m_next < self->m_scripts.size()) {
        ++self->m_played;
        self->m_scripts[self->m_next++](dialog);
    } else {
        ++self->m_unexpected;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

ShellDialogPlayer::Script ChooseInBrowser(const std::string& path)
{
    return [path](HWND dialog) {
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
}

ShellDialogPlayer::Script ChooseComputerInBrowser()
{
    return [](HWND dialog) {
        LPITEMIDLIST computer = nullptr;
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
        ::CoTaskMemFree(computer);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
}

ShellDialogPlayer::Script ChooseInFileDialog(const std::string& path)
{
    return [path](HWND dialog) {
        HWND field = ::GetDlgItem(dialog, cmb13);
        if (!field)
            field = ::GetDlgItem(dialog, edt1);
        ::SetWindowTextA(field, path.c_str());
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    };
}

ShellDialogPlayer::Script CancelShellDialog()
{
    return [](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); };
}

// ---- the context menu -----------------------------------------------------------------------

bool MenuWatcher::OnHook(int code, WPARAM, LPARAM lParam)
{
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code != HC_ACTION)
        return false;
    if (message->message == WM_INITMENUPOPUP) {
        HMENU menu = reinterpret_cast<HMENU>(message->wParam);
        std::vector<bool> enabled;
        for (UINT id = ID_SELECT_ALL; id <= ID_ADD_ITEM_TO_LIST; ++id)
            enabled.push_back(!(::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)));
        m_shown.push_back(enabled);
        m_idle = false;
    } else if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU && !m_idle) {
        m_idle = true;
        if (m_pick)
            ::PostMessageA(reinterpret_cast<HWND>(message->lParam), WM_CHAR, static_cast<WPARAM>(m_pick), 1);
        else
            ::EndMenu();
    }
    return false;
}

void RightClick(CWnd& dlg, HWND list, int item)
{
    const int count = ListView_GetItemCount(list);
    RECT rect{};
    POINT point{20, 8};
    if (count > 0) {
        ListView_GetItemRect(list, item >= 0 ? item : count - 1, &rect, LVIR_LABEL);
        point = {rect.left + 8, item >= 0 ? (rect.top + rect.bottom) / 2 : rect.bottom + 12};
    } else {
        RECT client{};
        ::GetClientRect(list, &client);
        point = {20, client.bottom / 2};
    }
    ::PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    PumpMessages(&dlg);
}
