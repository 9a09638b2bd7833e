// CVeltrixDlg: the main window. It holds the locked list and the trusted list with their
// commands, starts the help viewer, opens the change-password dialog and, from its system menu,
// the about box and the uninstall command. Its modal loop is the program's only message loop.
#pragma once

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/handle.h"
#include "driver/service_manager.h"
#include "lists/protection_list.h"

#include <memory>

// Posted to itself when the window has opened, to tell of lists the driver did not give whole.
#define WM_REPORT_UNREAD_LISTS (WM_APP + 1)

class CVeltrixDlg : public CDialog {
public:
    explicit CVeltrixDlg(CWnd* pParent = nullptr);
    // The lists talk to the driver through device, the uninstall command stops the service
    // through services: the real ones unless a test plays them.
    explicit CVeltrixDlg(IDeviceChannel& device,
                         std::shared_ptr<IServiceManager> services = std::make_shared<CServiceManager>(),
                         CWnd* pParent = nullptr);
    ~CVeltrixDlg() override;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Keyboard messages go to the list accelerators and never to the dialog manager: Tab, Enter
    // and Escape reach the focused control as ordinary keys.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Opens the help file in its viewer: the "Help" button, F1 and the help command.
    void ShowHelp();
    // Whether the close wrote both list files from lists the driver gave whole.
    BOOL ListFilesWritten() const { return m_bListFilesWritten; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The "Close" button; also the end of the uninstall command.
    void OnOK() override;

    // The window's own commands.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnHelpButton();
    void OnChangePasswordButton();
    void OnClose();
    // Windows ends the session with the window open: the process goes without a close.
    void OnEndSession(BOOL bEnding);
    void OnUninstall();

    // The list commands, each forwarded to the list it names or, for the context menu's
    // commands and the accelerators, to the active list.
    void OnAddLocked();
    void OnAddTrusted();
    void OnRemoveLocked();
    void OnRemoveTrusted();
    void OnSelectAll();
    void OnInvertSelection();
    void OnRemoveFromList();
    void OnClearList();
    void OnAddItemToList();
    void OnRClickLocked(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClickTrusted(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetFocusLocked(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetFocusTrusted(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChangedLocked(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChangedTrusted(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDownLocked(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDownTrusted(NMHDR* pNMHDR, LRESULT* pResult);

    // The lists read back from the driver, each entry appended to its view; a list not read
    // whole is marked incomplete.
    void LoadLockedFromDriver();
    void LoadTrustedFromDriver();
    // A message for each list that the driver did not give whole.
    LRESULT OnReportUnreadLists(WPARAM, LPARAM);
    // Both views written to their list files, except an incomplete list's, whose file keeps
    // what it held; a file that could not be written is told.
    void SaveLists();
    BOOL m_bListFilesWritten = FALSE;  // the last SaveLists wrote both files from whole lists

    CProtectionList m_listTrusted;
    CProtectionList m_listLocked;
    HICON m_hIcon;
    CImageList m_imageList;     // the shell's system image list, shared by both views
    CHandle m_hHelpProcess;     // the help viewer started last; closed when replaced
    BOOL m_bTrustedActive;      // the list that the menu commands and accelerators act on
    HACCEL m_hAccel;
    std::shared_ptr<IServiceManager> m_pServices;

private:
    static const MessageEntry messageEntries[];

    // The one place that the active list is looked at: the target of the context menu's
    // commands and of the accelerators.
    CProtectionList& ActiveList() { return m_bTrustedActive ? m_listTrusted : m_listLocked; }
    CProtectionList& Activate(CProtectionList& list)
    {
        m_bTrustedActive = &list == &m_listTrusted;
        return list;
    }
    LRESULT ShowMenu(CProtectionList& list);
    LRESULT OnListKeyDown(NMHDR* pNMHDR);
    void EndHelpViewer();
};
