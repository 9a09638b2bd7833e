// Thin wrappers of the common controls: each method is the one message it sends.
#pragma once

#include "framework/wnd.h"

class CEdit : public CWnd {
public:
    void SetSel(int nStart, int nEnd) { SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd); }
    void ScrollCaret() { SendMessage(EM_SCROLLCARET); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
    void GetRange(int& nLower, int& nUpper) const
    {
        PBRANGE range{};
        SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        nLower = range.iLow;
        nUpper = range.iHigh;
    }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), nFlags));
    }
    int InsertItem(const LVITEMA* pItem) { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL SetItemText(int nItem, int nSubItem, const char* text)
    {
        LVITEMA item{};
        item.iSubItem = nSubItem;
        item.pszText = const_cast<char*>(text);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    // The item's text into a buffer; returns the number of characters copied.
    int GetItemText(int nItem, int nSubItem, char* buffer, int nLength) const
    {
        LVITEMA item{};
        item.iSubItem = nSubItem;
        item.pszText = buffer;
        item.cchTextMax = nLength;
        return static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int FindItem(const LVFINDINFOA* pFindInfo, int nStart = -1) const
    {
        return static_cast<int>(SendMessage(LVM_FINDITEMA, static_cast<WPARAM>(nStart), reinterpret_cast<LPARAM>(pFindInfo)));
    }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask)
    {
        LVITEMA item{};
        item.state = nState;
        item.stateMask = nMask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) { return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK)); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), reinterpret_cast<LPARAM>(hImageList)));
    }
    int InsertColumn(int nCol, const char* heading, int nFormat, int nWidth)
    {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = nFormat;
        column.cx = nWidth;
        column.pszText = const_cast<char*>(heading);
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
    }
};
