// The list files that the main window writes: the locked list to ".\data\filter.txt", the
// trusted list to ".\data\TrustedPs.txt".
#include "app/veltrix_dlg.h"
#include "framework/file_replace.h"
#include "lists/core/list_file.h"

namespace {

const char kCaption[] = "Veltrix";

struct ListFile {
    const char* path;
    const char* saveFailure;
};
const ListFile kLockedListFile{".\\data\\filter.txt", "Can't save locked list to data\\filter.txt!"};
const ListFile kTrustedListFile{".\\data\\TrustedPs.txt",
                                "Can't save trusted list to data\\TrustedPs.txt!"};

// The list file's bytes for a view: its entries, column 0, in view order.
std::string ListFileContent(const CListCtrl& list)
{
    std::string content;
    const int count = list.GetItemCount();
    for (int i = 0; i < count; ++i) {
        char path[MAX_PATH] = {};
        list.GetItemText(i, 0, path, MAX_PATH);
        AppendListFileLine(content, path);
    }
    return content;
}

}  // namespace

void CVeltrixDlg::SaveLists()
{
    // An incomplete list's file may hold entries the view never showed: it keeps them. Both
    // files are tried before anything is told.
    const BOOL bLockedSaved =
        m_bLockedIncomplete || ReplaceFileContent(kLockedListFile.path, ListFileContent(m_listLocked));
    const BOOL bTrustedSaved =
        m_bTrustedIncomplete || ReplaceFileContent(kTrustedListFile.path, ListFileContent(m_listTrusted));
    if (!bLockedSaved)
        MessageBox(kLockedListFile.saveFailure, kCaption, MB_OK | MB_ICONEXCLAMATION);
    if (!bTrustedSaved)
        MessageBox(kTrustedListFile.saveFailure, kCaption, MB_OK | MB_ICONEXCLAMATION);
}
