#include "lists/list_entry.h"

#include "lists/core/list_entry_rules.h"

#include <shlobj.h>

void FetchShellInfo(const char* path, SHFILEINFOA* info)
{
    *info = SHFILEINFOA{};
    if (::SHGetFileInfoA(path, 0, info, sizeof *info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_ATTRIBUTES))
        return;
    // A path that no longer exists still shows as what it most likely was; its type is unknown.
    *info = SHFILEINFOA{};
    const DWORD attributes = LooksLikeFolderPath(path) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    ::SHGetFileInfoA(path, attributes, info, sizeof *info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    info->szTypeName[0] = '\0';
    info->dwAttributes = 0;
}

void AppendListEntry(CListCtrl& list, int index, const char* path, const SHFILEINFOA& info)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<char*>(path);
    item.iImage = info.iIcon;
    if (info.dwAttributes & SFGAO_HIDDEN) {
        item.mask |= LVIF_STATE;
        item.state = LVIS_CUT;
        item.stateMask = LVIS_CUT;
    }
    list.InsertItem(&item);
    list.SetItemText(index, 1, info.szTypeName);
}

void NotifyShellOfLockChange(const char* path)
{
    ::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, path, nullptr);
}
