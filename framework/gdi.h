// Owners of GDI objects, device contexts and image-list handles. The contexts have the shape
// of the handle owners: Get() for the context.
#pragma once

#include <windows.h>
#include <commctrl.h>

// The device context of a window's client area, released on every path.
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// The paint context of one WM_PAINT, ended on every path.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::BeginPaint(hWnd, &m_paint)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_paint{};
    HDC m_hDC;
};

// An object selected into a context for one scope; the previous one is put back. A null context
// or object leaves the context as it is.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject)
        : m_hDC(hDC), m_hOld(hDC && hObject ? ::SelectObject(hDC, hObject) : nullptr) {}
    ~CSelectObject()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A font this object created (or was given to own); deleted with the object.
class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    operator HFONT() const { return m_hObject; }
    BOOL CreateFontIndirect(const LOGFONTA* logFont)
    {
        DeleteObject();
        m_hObject = ::CreateFontIndirectA(logFont);
        return m_hObject != nullptr;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject)
            return FALSE;
        ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return TRUE;
    }

    HFONT m_hObject = nullptr;
};

// An image list held by handle. Attach does not take ownership: a shared list, such as the
// shell's system image list, must never be destroyed by its user.
class CImageList {
public:
    operator HIMAGELIST() const { return m_hImageList; }
    void Attach(HIMAGELIST hImageList) { m_hImageList = hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
