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

namespace {

// The view searches itself: one message, where reading each row back would cost one per entry,
// each through the view's subclass, and make a fill quadratic in messages.
int FindListed(const CListCtrl& list, const char* path)
{
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = path;
    return list.FindItem(&find, -1);
}

}  // namespace

std::optional<size_t> CViewPathFacts::FindEntry(const std::vector<std::string>&, const std::string& path)
{
    const int index = FindListed(m_view, path.c_str());
    if (index < 0)
        return std::nullopt;
    return static_cast<size_t>(index);
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
