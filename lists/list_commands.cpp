// The commands of the two protection lists: add, remove, clear, select, the context menu and
// the keys. Every change goes to the driver at once, one request per path; changes of the locked
// list are announced to the shell.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "framework/app.h"
#include "framework/handle.h"
#include "framework/menu.h"
#include "lists/admission.h"
#include "lists/core/list_menu.h"
#include "lists/list_entry.h"
#include "res/resource.h"

#include <commdlg.h>
#include <shlobj.h>

namespace {

const char kCaption[] = "Veltrix";
const char kBrowseTitle[] = "Select desired folder/file";
const char kProgramFilter[] = "Program Files (*.exe)\0*.exe\0\0";

// BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE |
// BIF_BROWSEFORCOMPUTER | BIF_BROWSEINCLUDEFILES: folders and files alike.
constexpr UINT kBrowseFlags = 0x505A;
static_assert(kBrowseFlags == (BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS | BIF_EDITBOX |
                               BIF_NEWDIALOGSTYLE | BIF_BROWSEFORCOMPUTER | BIF_BROWSEINCLUDEFILES));

constexpr DWORD kProgramDialogFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_SHAREAWARE;
static_assert(kProgramDialogFlags == 0x400C);

// The open-file structure with the fields of Windows 2000 on (pvReserved, dwReserved, FlagsEx),
// so that the dialog offers its places bar. In a 32-bit program that is 88 bytes, not 76.
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEA) == 88);

constexpr UINT kListMenuCommands[] = {ID_SELECT_ALL, ID_INVERT_SELECTION, ID_REMOVE_FROM_LIST,
                                      ID_CLEAR_LIST, ID_ADD_ITEM_TO_LIST};

// The current folder is the installation folder, and every relative path of the program and the
// own-folder rule rely on it; the shell's dialogs may leave it elsewhere (OFN_NOCHANGEDIR does
// not hold for the open-file dialog), so it is put back when they return, whatever the outcome.
class CCurrentFolderKeeper {
public:
    CCurrentFolderKeeper()
    {
        const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, m_szFolder);
        if (length == 0 || length >= MAX_PATH)
            m_szFolder[0] = '\0';
    }
    ~CCurrentFolderKeeper()
    {
        if (m_szFolder[0])
            ::SetCurrentDirectoryA(m_szFolder);
    }
    CCurrentFolderKeeper(const CCurrentFolderKeeper&) = delete;
    CCurrentFolderKeeper& operator=(const CCurrentFolderKeeper&) = delete;

private:
    char m_szFolder[MAX_PATH];
};

LPITEMIDLIST BrowseForFolder(BROWSEINFOA& browse)
{
    const CCurrentFolderKeeper keeper;
    return ::SHBrowseForFolderA(&browse);
}

BOOL ChooseFileToOpen(OPENFILENAMEA& dialog)
{
    const CCurrentFolderKeeper keeper;
    return ::GetOpenFileNameA(&dialog);
}

void SendRemoveRequest(const char* path, BOOL bTrusted)
{
    if (bTrusted) {
        g_pfnSendPathRequest(path, IOCTL_TRUST_REMOVE);
    } else {
        g_pfnSendPathRequest(path, IOCTL_LOCK_REMOVE);
        NotifyShellOfLockChange(path);
    }
}

}  // namespace

void CVeltrixDlg::AddAdmittedPath(CFileListCtrl& list, const char* path, DWORD code)
{
    const int index = list.GetItemCount();
    if (!IsListablePath(path) || IsPathListed(list, path))
        return;
    SHFILEINFOA info;
    FetchShellInfo(path, &info);
    AppendListEntry(list, index, path, info);
    // The entry stays whether or not the driver takes it: the view is the list.
    g_pfnSendPathRequest(path, code);
    if (code == IOCTL_LOCK_ADD)
        NotifyShellOfLockChange(path);
    list.EnsureVisible(index, FALSE);
}

void CVeltrixDlg::OnAddLocked()
{
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = m_hWnd;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    const CComHeapPtr<ITEMIDLIST> chosen(BrowseForFolder(browse));
    if (!chosen)
        return;

    // An item without a file-system path (the computer itself) gives the empty path, which the
    // admission rules refuse: it is a leading part of the system directory.
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.Get(), path))
        path[0] = '\0';

    switch (CheckLockPath(path)) {
    case PATH_SYSTEM_DIR:
        MessageBox("Can't lock Windows System Directory", kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    case PATH_OWN_FILES:
        MessageBox("Can't lock Veltrix File", kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    default:
        AddAdmittedPath(m_listLocked, path, IOCTL_LOCK_ADD);
    }
}

void CVeltrixDlg::OnAddTrusted()
{
    char path[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = kProgramFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = kProgramDialogFlags;
    if (!ChooseFileToOpen(dialog))
        return;

    if (IsInProgramFolder(path)) {
        MessageBox("Don't need to trust Veltrix Program", kCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AddAdmittedPath(m_listTrusted, path, IOCTL_TRUST_ADD);
}

void CVeltrixDlg::OnRemoveLocked()
{
    m_bTrustedActive = FALSE;
    OnRemoveFromList();
}

void CVeltrixDlg::OnRemoveTrusted()
{
    m_bTrustedActive = TRUE;
    OnRemoveFromList();
}

void CVeltrixDlg::OnSelectAll()
{
    CFileListCtrl& list = ActiveList();
    const int count = list.GetItemCount();
    for (int i = 0; i < count; ++i)
        list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
}

void CVeltrixDlg::OnInvertSelection()
{
    CFileListCtrl& list = ActiveList();
    const int count = list.GetItemCount();
    for (int i = 0; i < count; ++i) {
        const UINT selected = list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED;
        list.SetItemState(i, selected ^ LVIS_SELECTED, LVIS_SELECTED);
    }
}

void CVeltrixDlg::OnRemoveFromList()
{
    CFileListCtrl& list = ActiveList();
    int i = list.GetNextItem(-1, LVNI_SELECTED);
    while (i != -1) {
        char path[MAX_PATH] = {};
        list.GetItemText(i, 0, path, MAX_PATH);
        SendRemoveRequest(path, m_bTrustedActive);
        list.DeleteItem(i);
        // The next entry has moved into place i: search on from there.
        i = list.GetNextItem(i - 1, LVNI_SELECTED);
    }
}

void CVeltrixDlg::OnClearList()
{
    CFileListCtrl& list = ActiveList();
    const int count = list.GetItemCount();
    for (int i = 0; i < count; ++i) {
        char path[MAX_PATH] = {};
        list.GetItemText(i, 0, path, MAX_PATH);
        SendRemoveRequest(path, m_bTrustedActive);
    }
    list.DeleteAllItems();
}

void CVeltrixDlg::OnAddItemToList()
{
    if (m_bTrustedActive)
        OnAddTrusted();
    else
        OnAddLocked();
}

void CVeltrixDlg::ShowListMenu(const CFileListCtrl& list)
{
    const int count = list.GetItemCount();
    const bool hasSelection = list.GetNextItem(-1, LVNI_SELECTED) != -1;
    POINT point{};
    ::GetCursorPos(&point);

    CMenu menu;
    if (!menu.LoadMenu(AfxGetResourceHandle(), IDR_LIST_POPUP))
        return;
    for (UINT command : kListMenuCommands) {
        const UINT state = IsListMenuCommandEnabled(command, count, hasSelection) ? MF_ENABLED : MF_GRAYED;
        ::EnableMenuItem(menu, command, MF_BYCOMMAND | state);
    }
    // The chosen command comes back to this window as WM_COMMAND.
    ::TrackPopupMenu(menu.GetSubMenu(0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
}

void CVeltrixDlg::OnRClickLocked(NMHDR*, LRESULT* pResult)
{
    m_bTrustedActive = FALSE;
    ShowListMenu(m_listLocked);
    *pResult = 0;
}

void CVeltrixDlg::OnRClickTrusted(NMHDR*, LRESULT* pResult)
{
    m_bTrustedActive = TRUE;
    ShowListMenu(m_listTrusted);
    *pResult = 0;
}

void CVeltrixDlg::OnSetFocusLocked(NMHDR*, LRESULT* pResult)
{
    m_bTrustedActive = FALSE;
    *pResult = 0;
}

void CVeltrixDlg::OnSetFocusTrusted(NMHDR*, LRESULT* pResult)
{
    m_bTrustedActive = TRUE;
    *pResult = 0;
}

void CVeltrixDlg::UpdateRemoveButton(const CFileListCtrl& list, int nButtonID)
{
    ::EnableWindow(GetDlgItem(nButtonID), list.GetNextItem(-1, LVNI_SELECTED) != -1);
}

void CVeltrixDlg::OnItemChangedLocked(NMHDR*, LRESULT* pResult)
{
    UpdateRemoveButton(m_listLocked, IDC_REMOVE_LOCKED);
    *pResult = 0;
}

void CVeltrixDlg::OnItemChangedTrusted(NMHDR*, LRESULT* pResult)
{
    UpdateRemoveButton(m_listTrusted, IDC_REMOVE_TRUSTED);
    *pResult = 0;
}

void CVeltrixDlg::OnKeyDownLocked(NMHDR* pNMHDR, LRESULT* pResult)
{
    // Delete acts on the active list, which is this one once it has had the focus.
    if (reinterpret_cast<NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
        OnRemoveFromList();
    *pResult = 0;
}

void CVeltrixDlg::OnKeyDownTrusted(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (reinterpret_cast<NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
        OnRemoveFromList();
    *pResult = 0;
}
