// CMenu: a menu loaded from resources, destroyed with the object.
#pragma once

#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    operator HMENU() const { return m_hMenu; }
    BOOL LoadMenu(HINSTANCE hInstance, UINT nIDResource)
    {
        DestroyMenu();
        m_hMenu = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(nIDResource));
        return m_hMenu != nullptr;
    }
    BOOL DestroyMenu()
    {
        if (!m_hMenu)
            return FALSE;
        ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
        return TRUE;
    }
    // A sub-menu belongs to its menu: not owned here.
    HMENU GetSubMenu(int nPos) const { return ::GetSubMenu(m_hMenu, nPos); }

    HMENU m_hMenu = nullptr;
};
