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
}  // namespace

bool MessageBoxCatcher::OnHook(int code, WPARAM wParam, LPARAM)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (box != m_last && IsMessageBox(box)) {
            m_last = box;
            char caption[256] = {};
            ::GetWindowTextA(box, caption, sizeof caption);
            m_shown.push_back({TextOf(box), caption, ::GetWindow(box, GW_OWNER)});
            if (m_onShown)
                m_onShown(box, m_context);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return false;
}
