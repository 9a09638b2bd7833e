#include "lists/protection_list.h"

#include "framework/app.h"
#include "framework/handle.h"
#include "framework/file_replace.h"
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

void Warn(const CWnd& owner, const char* text)
{
    owner.MessageBox(text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

// A folder or file from the folder browser, into path.
BOOL ChooseLockablePath(const CWnd& owner, char (&path)[MAX_PATH])
{
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = owner.m_hWnd;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = kBrowseFlags;
    CComHeapPtr<ITEMIDLIST> chosen;
    {
        const CCurrentFolderKeeper keeper;
        chosen.Attach(::SHBrowseForFolderA(&browse));
    }
    if (!chosen)
        return FALSE;

    // An item without a file-system path (the computer itself) gives the empty path, which the
    // admission rules refuse: it is a leading part of the system directory.
    if (!::SHGetPathFromIDListA(chosen.Get(), path))
        path[0] = '\0';
    return TRUE;
}

// A program from the open-file dialog, into path.
BOOL ChooseProgram(const CWnd& owner, char (&path)[MAX_PATH])
{
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner.m_hWnd;
    dialog.lpstrFilter = kProgramFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = kProgramDialogFlags;
    {
        const CCurrentFolderKeeper keeper;
        if (!::GetOpenFileNameA(&dialog))
            return FALSE;
    }
    return TRUE;
}

}  // namespace

CProtectionList::CProtectionList(const CListDescription& description, IDeviceChannel& device)
    : m_description(description),
      m_device(device),
      m_view(*this),
      m_model(description, m_facts),
      m_changer(m_model, device, FailedRequest::ChangeList, this)
{
}

void CProtectionList::InsertColumns()
{
    // The path, its identity; then the shell's type name.
    m_view.InsertColumn(0, "File name ", LVCFMT_LEFT, 338);
    m_view.InsertColumn(1, "File type", LVCFMT_LEFT, 100);
}

void CProtectionList::DisableRemoveButton(const CWnd& owner) const
{
    ::EnableWindow(owner.GetDlgItem(m_description.nRemoveButtonID), FALSE);
}

void CProtectionList::LoadFromDriver()
{
    // Without the device the driver's list is unknown, not empty.
    const auto channel = m_device.OpenEnumeration();
    m_view.DeleteAllItems();
    int index = 0;
    m_model.Load(channel.get(), [&](const std::string& path) {
        SHFILEINFOA info;
        FetchShellInfo(path.c_str(), &info);
        AppendListEntry(m_view, index++, path.c_str(), info);
    });
}

void CProtectionList::ReportUnread(const CWnd& owner) const
{
    if (IsIncomplete())
        Warn(owner, m_description.pszUnreadMessage);
}

BOOL CProtectionList::SaveFile()
{
    const bool bChanged = m_model.IsChanged();
    if (IsIncomplete())
        LoadFromDriver();
    if (IsIncomplete())
        return !bChanged;
    return ReplaceFileContent(m_description.pszFile, m_model.FileContent(), FileAccess::AdministratorsOnly);
}

void CProtectionList::ReportSaveFailure(const CWnd& owner) const
{
    Warn(owner, m_description.pszSaveFailure);
}

void CProtectionList::Appended(size_t index, const std::string& path)
{
    SHFILEINFOA info;
    FetchShellInfo(path.c_str(), &info);
    AppendListEntry(m_view, static_cast<int>(index), path.c_str(), info);
}

void CProtectionList::Removed(const std::vector<size_t>& indices)
{
    for (auto i = indices.rbegin(); i != indices.rend(); ++i)
        m_view.DeleteItem(static_cast<int>(*i));
}

int CProtectionList::Append(const std::string& path)
{
    const int index = m_view.GetItemCount();
    m_changer.CarryOut({ListChange{ListChange::Add, path, path}});
    return index;
}

void CProtectionList::Add(const CWnd& owner)
{
    char path[MAX_PATH] = {};
    const BOOL chosen = m_description.admission == ADMIT_LOCKABLE ? ChooseLockablePath(owner, path)
                                                                  : ChooseProgram(owner, path);
    if (!chosen)
        return;
    const ListChange change = m_model.PlanAdd(path, PathSource::Chosen);
    if (change.kind == ListChange::Refused)
        Warn(owner, change.refusal.c_str());
    else if (change.kind == ListChange::Add)
        m_view.EnsureVisible(Append(change.path), FALSE);
}

void CProtectionList::RemoveSelected()
{
    std::vector<size_t> selected;
    for (int i = m_view.GetNextItem(-1, LVNI_SELECTED); i != -1; i = m_view.GetNextItem(i, LVNI_SELECTED))
        selected.push_back(static_cast<size_t>(i));
    m_changer.CarryOut(m_model.PlanRemoveAt(selected));
}

void CProtectionList::Clear()
{
    std::vector<size_t> all(m_model.Entries().size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    m_changer.CarryOut(m_model.PlanRemoveAt(all), true);
}

void CProtectionList::SelectAll()
{
    const int count = m_view.GetItemCount();
    for (int i = 0; i < count; ++i)
        m_view.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
}

void CProtectionList::InvertSelection()
{
    const int count = m_view.GetItemCount();
    for (int i = 0; i < count; ++i) {
        const UINT selected = m_view.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED;
        m_view.SetItemState(i, selected ^ LVIS_SELECTED, LVIS_SELECTED);
    }
}

void CProtectionList::ShowMenu(const CWnd& owner) const
{
    const int count = m_view.GetItemCount();
    const bool hasSelection = m_view.GetNextItem(-1, LVNI_SELECTED) != -1;
    POINT point{};
    ::GetCursorPos(&point);

    CMenu menu;
    if (!menu.LoadMenu(AfxGetResourceHandle(), IDR_LIST_POPUP))
        return;
    for (UINT command : kListMenuCommands) {
        const UINT state = IsListMenuCommandEnabled(command, count, hasSelection) ? MF_ENABLED : MF_GRAYED;
        ::EnableMenuItem(menu, command, MF_BYCOMMAND | state);
    }
    ::TrackPopupMenu(menu.GetSubMenu(0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, owner.m_hWnd, nullptr);
}

LRESULT CProtectionList::UpdateRemoveButton(const CWnd& owner) const
{
    ::EnableWindow(owner.GetDlgItem(m_description.nRemoveButtonID), m_view.GetNextItem(-1, LVNI_SELECTED) != -1);
    return 0;
}
