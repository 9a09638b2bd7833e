// Owners of GDI and image-list handles.
#pragma once

#include <windows.h>
#include <commctrl.h>

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

// An image list held by handle. Attach does not take ownership: the shell's system image list,
// the one list this program uses, must never be destroyed by it.
class CImageList {
public:
    operator HIMAGELIST() const { return m_hImageList; }
    void Attach(HIMAGELIST hImageList) { m_hImageList = hImageList; }
    HIMAGELIST Detach()
    {
        HIMAGELIST list = m_hImageList;
        m_hImageList = nullptr;
        return list;
    }

    HIMAGELIST m_hImageList = nullptr;
};
