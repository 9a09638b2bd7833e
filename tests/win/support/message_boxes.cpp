#include "support/message_boxes.h"

// Told apart by the module that owns the window.
bool IsMessageBox(HWND hWnd)
{
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0)
        return false;
    return reinterpret_cast<HMODULE>(::GetWindowLongPtrA(hWnd, GWLP_HINSTANCE)) !=
           ::GetModuleHandleA(nullptr);
}

namespace {

// A message box's text stands in a static of id 0xFFFF (Windows) or 100 (Wine).
std::string TextOf(HWND box)
{
    for (int id : {0xFFFF, 100}) {
        HWND item = ::GetDlgItem(box, id);
        if (!item)
            continue;
        char text[1024] = {};
        ::GetWindowTextA(item, text, sizeof text);
        if (text[0])
            return text;
    }
    return {};
}

// A message box shows its icon in a static of style SS_ICON; the standard icons are shared
// handles, so the handle tells which one it is.
BOOL CALLBACK FindIcon(HWND child, LPARAM lParam)
{
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    const HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    if (!shown)
        return TRUE;
    BoxIcon& icon = *reinterpret_cast<BoxIcon*>(lParam);
    if (shown == ::LoadIconA(nullptr, IDI_EXCLAMATION))
        icon = BoxIcon::Exclamation;
    else if (shown == ::LoadIconA(nullptr, IDI_INFORMATION))
        icon = BoxIcon::Information;
    else
        icon = BoxIcon::Other;
    return FALSE;
}

BoxIcon IconOf(HWND box)
{
    BoxIcon icon = BoxIcon::None;
    ::EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&icon));
    return icon;
}
}  // namespace

bool MessageBoxCatcher::OnHook(int code, WPARAM wParam, LPARAM)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (box != m_last && IsMessageBox(box)) {
            m_last = box;
            char caption[256] = {};
            ::GetWindowTextA(box, caption, sizeof caption);
            m_shown.push_back({TextOf(box), caption, ::GetWindow(box, GW_OWNER), IconOf(box)});
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return false;
}
