#include "app/veltrix_dlg.h"

#include "app/about_dlg.h"
#include "app/veltrix_app.h"
#include "driver/service_routines.h"
#include "driver/stop_progress_dlg.h"
#include "framework/app.h"
#include "password/change_password_dlg.h"
#include "res/resource.h"

#include <shellapi.h>

namespace {

const char kHelpFile[] = "VeltrixHelp.chm";

// The last keyboard message as the older headers define WM_KEYLAST (before WM_UNICHAR).
constexpr UINT kKeyLast = 0x0108;

// A separator and then the command, when its string resource has a text.
void AppendSystemMenuCommand(HMENU hMenu, UINT nStringID, UINT nCommandID)
{
    char text[256] = {};
    if (::LoadStringA(AfxGetResourceHandle(), nStringID, text, sizeof text) <= 0)
        return;
    ::AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(hMenu, MF_STRING, nCommandID, text);
}

}  // namespace

const MessageEntry CVeltrixDlg::messageEntries[] = {
    OnWm<WM_SYSCOMMAND, &CVeltrixDlg::OnSysCommand>(),
    OnWm<WM_PAINT, &CVeltrixDlg::OnPaint>(),
    OnWm<WM_QUERYDRAGICON, &CVeltrixDlg::OnQueryDragIcon>(),
    OnControl<&CVeltrixDlg::OnAddLocked>(BN_CLICKED, IDC_ADD_LOCKED),
    OnControl<&CVeltrixDlg::OnAddTrusted>(BN_CLICKED, IDC_ADD_TRUSTED),
    OnControl<&CVeltrixDlg::OnHelpButton>(BN_CLICKED, IDC_HELP_BUTTON),
    OnControl<&CVeltrixDlg::OnRemoveLocked>(BN_CLICKED, IDC_REMOVE_LOCKED),
    OnControl<&CVeltrixDlg::OnRemoveTrusted>(BN_CLICKED, IDC_REMOVE_TRUSTED),
    OnWm<WM_CLOSE, &CVeltrixDlg::OnClose>(),
    OnWm<WM_ENDSESSION, &CVeltrixDlg::OnEndSession>(),
    OnMessage<&CVeltrixDlg::OnReportUnreadLists>(WM_REPORT_UNREAD_LISTS),
    OnControl<&CVeltrixDlg::OnChangePasswordButton>(BN_CLICKED, IDC_CHANGE_PASSWORD),
    OnNotify<&CVeltrixDlg::OnRClickTrusted>(NM_RCLICK, IDC_TRUSTED_LIST),
    OnNotify<&CVeltrixDlg::OnRClickLocked>(NM_RCLICK, IDC_LOCKED_LIST),
    OnCommand<&CVeltrixDlg::OnRemoveFromList>(ID_REMOVE_FROM_LIST),
    OnCommand<&CVeltrixDlg::OnSelectAll>(ID_SELECT_ALL),
    OnCommand<&CVeltrixDlg::OnInvertSelection>(ID_INVERT_SELECTION),
    OnCommand<&CVeltrixDlg::OnClearList>(ID_CLEAR_LIST),
    OnNotify<&CVeltrixDlg::OnSetFocusLocked>(NM_SETFOCUS, IDC_LOCKED_LIST),
    OnNotify<&CVeltrixDlg::OnSetFocusTrusted>(NM_SETFOCUS, IDC_TRUSTED_LIST),
    OnNotify<&CVeltrixDlg::OnItemChangedLocked>(LVN_ITEMCHANGED, IDC_LOCKED_LIST),
    OnNotify<&CVeltrixDlg::OnItemChangedTrusted>(LVN_ITEMCHANGED, IDC_TRUSTED_LIST),
    OnCommand<&CVeltrixDlg::OnAddItemToList>(ID_ADD_ITEM_TO_LIST),
    OnNotify<&CVeltrixDlg::OnKeyDownLocked>(LVN_KEYDOWN, IDC_LOCKED_LIST),
    OnNotify<&CVeltrixDlg::OnKeyDownTrusted>(LVN_KEYDOWN, IDC_TRUSTED_LIST),
};
const MessageMap CVeltrixDlg::messageMap{&CDialog::messageMap, messageEntries};

CVeltrixDlg::CVeltrixDlg(CWnd* pParent) : CVeltrixDlg(VeltrixDevice(), std::make_shared<CServiceManager>(), pParent) {}

CVeltrixDlg::CVeltrixDlg(IDeviceChannel& device, std::shared_ptr<IServiceManager> services, CWnd* pParent)
    : CDialog(IDD_MAIN, pParent),
      m_listTrusted(g_trustedList, device),
      m_listLocked(g_lockedList, device),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP))),
      m_bTrustedActive(FALSE),
      m_hAccel(nullptr),
      m_pServices(std::move(services))
{
}

// Only the help viewer's handle goes with the window: a viewer still open stays open.
CVeltrixDlg::~CVeltrixDlg() = default;

void CVeltrixDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_TRUSTED_LIST, m_listTrusted.View());
    DDX_Control(pDX, IDC_LOCKED_LIST, m_listLocked.View());
}

BOOL CVeltrixDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU hSysMenu = GetSystemMenu(FALSE)) {
        AppendSystemMenuCommand(hSysMenu, IDS_ABOUTBOX, IDM_ABOUTBOX);
        AppendSystemMenuCommand(hSysMenu, IDS_UNINSTALL, IDM_UNINSTALL);
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The shell's system image list: both views show the shell's own icons.
    SHFILEINFOA shellInfo{};
    m_imageList.Attach(reinterpret_cast<HIMAGELIST>(::SHGetFileInfoA(
        "", 0, &shellInfo, sizeof shellInfo, SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON)));
    if (shellInfo.hIcon)
        ::DestroyIcon(shellInfo.hIcon);
    // Each step for the locked list, then for the trusted list, before the next step.
    CProtectionList* const lists[] = {&m_listLocked, &m_listTrusted};
    for (CProtectionList* list : lists)
        list->ShareImageList();
    for (CProtectionList* list : lists)
        list->SetImageList(m_imageList);
    for (CProtectionList* list : lists)
        list->InsertColumns();
    LoadLockedFromDriver();
    LoadTrustedFromDriver();
    for (CProtectionList* list : lists)
        list->DisableRemoveButton(*this);
    for (CProtectionList* list : lists)
        list->RegisterDropTarget();
    m_hAccel = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_LIST_ACCEL));

    // Told once the window is up, not over an empty screen.
    if (m_listLocked.IsIncomplete() || m_listTrusted.IsIncomplete())
        PostMessage(WM_REPORT_UNREAD_LISTS);
    return TRUE;
}

LRESULT CVeltrixDlg::OnReportUnreadLists(WPARAM, LPARAM)
{
    m_listLocked.ReportUnread(*this);
    m_listTrusted.ReportUnread(*this);
    return 0;
}

void CVeltrixDlg::LoadLockedFromDriver() { m_listLocked.LoadFromDriver(); }
void CVeltrixDlg::LoadTrustedFromDriver() { m_listTrusted.LoadFromDriver(); }

void CVeltrixDlg::SaveLists()
{
    // Both files are tried before anything is told.
    const BOOL bLockedSaved = m_listLocked.SaveFile();
    const BOOL bTrustedSaved = m_listTrusted.SaveFile();
    if (!bLockedSaved)
        m_listLocked.ReportSaveFailure(*this);
    if (!bTrustedSaved)
        m_listTrusted.ReportSaveFailure(*this);
    // An incomplete list that the user left alone counts as saved, yet its file is not the driver's.
    m_bListFilesWritten = bLockedSaved && bTrustedSaved && !m_listLocked.IsIncomplete() &&
                          !m_listTrusted.IsIncomplete();
}

void CVeltrixDlg::OnAddLocked() { m_listLocked.Add(*this); }
void CVeltrixDlg::OnAddTrusted() { m_listTrusted.Add(*this); }
void CVeltrixDlg::OnAddItemToList() { ActiveList().Add(*this); }
void CVeltrixDlg::OnSelectAll() { ActiveList().SelectAll(); }
void CVeltrixDlg::OnInvertSelection() { ActiveList().InvertSelection(); }
void CVeltrixDlg::OnRemoveFromList() { ActiveList().RemoveSelected(); }
void CVeltrixDlg::OnClearList() { ActiveList().Clear(); }

// The Remove buttons, a right click and the focus make their list the active one.
void CVeltrixDlg::OnRemoveLocked() { Activate(m_listLocked).RemoveSelected(); }
void CVeltrixDlg::OnRemoveTrusted() { Activate(m_listTrusted).RemoveSelected(); }
void CVeltrixDlg::OnRClickLocked(NMHDR*, LRESULT* pResult) { *pResult = ShowMenu(m_listLocked); }
void CVeltrixDlg::OnRClickTrusted(NMHDR*, LRESULT* pResult) { *pResult = ShowMenu(m_listTrusted); }
void CVeltrixDlg::OnSetFocusLocked(NMHDR*, LRESULT* pResult) { Activate(m_listLocked); *pResult = 0; }
void CVeltrixDlg::OnSetFocusTrusted(NMHDR*, LRESULT* pResult) { Activate(m_listTrusted); *pResult = 0; }
void CVeltrixDlg::OnItemChangedLocked(NMHDR*, LRESULT* pResult) { *pResult = m_listLocked.UpdateRemoveButton(*this); }
void CVeltrixDlg::OnItemChangedTrusted(NMHDR*, LRESULT* pResult) { *pResult = m_listTrusted.UpdateRemoveButton(*this); }
void CVeltrixDlg::OnKeyDownLocked(NMHDR* pNMHDR, LRESULT* pResult) { *pResult = OnListKeyDown(pNMHDR); }
void CVeltrixDlg::OnKeyDownTrusted(NMHDR* pNMHDR, LRESULT* pResult) { *pResult = OnListKeyDown(pNMHDR); }

LRESULT CVeltrixDlg::ShowMenu(CProtectionList& list)
{
    Activate(list).ShowMenu(*this);
    return 0;
}

LRESULT CVeltrixDlg::OnListKeyDown(NMHDR* pNMHDR)
{
    // Delete acts on the active list, which is the view that has the focus.
    if (reinterpret_cast<NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
        OnRemoveFromList();
    return 0;
}

void CVeltrixDlg::OnSysCommand(UINT nID, LPARAM)
{
    // The system keeps the low four bits of a command for itself.
    const UINT command = nID & 0xFFFF;
    if (command >= IDM_ABOUTBOX && command <= IDM_ABOUTBOX + 0xF) {
        CAboutDlg about;
        about.DoModal();
    } else if (command >= IDM_UNINSTALL && command <= IDM_UNINSTALL + 0xF) {
        OnUninstall();
    } else {
        Default();
    }
}

void CVeltrixDlg::OnUninstall()
{
    CString command;
    command.Format("%s\\%s", g_strInstallDir.GetString(), "unins000.exe");
    // Stopping the driver first would leave the machine unprotected with nothing to uninstall it.
    const DWORD attributes = ::GetFileAttributesA(command);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        MessageBox("Can't find unins000.exe!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    CStopProgressDlg progress(m_pServices);
    if (progress.DoModal() == IDOK) {
        // Saves both lists and ends the main window before the uninstaller runs.
        OnOK();
        const HINSTANCE started = ::ShellExecuteA(nullptr, "open", command, nullptr, g_strInstallDir, SW_SHOWDEFAULT);
        // ShellExecute's failures are the values up to 32. With no uninstaller running, the
        // driver must not stay stopped.
        if (reinterpret_cast<INT_PTR>(started) <= 32) {
            if (StartDriverService(*m_pServices))
                MessageBox("Can't start unins000.exe! Veltrix protection is on again.", "Veltrix",
                           MB_OK | MB_ICONEXCLAMATION);
            else
                MessageBox("Can't start unins000.exe! Veltrix protection stays off until Veltrix is started again.",
                           "Veltrix", MB_OK | MB_ICONEXCLAMATION);
        }
    } else {
        MessageBox("Veltrix Stoping failure!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
    }
}

void CVeltrixDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
}

HCURSOR CVeltrixDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CVeltrixDlg::OnHelpButton()
{
    ShowHelp();
}

void CVeltrixDlg::ShowHelp()
{
    // By its full path: a relative name would open whatever file of that name the current
    // folder holds.
    CString helpFile;
    helpFile.Format("%s\\%s", g_strInstallDir.GetString(), kHelpFile);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = helpFile;
    info.nShow = SW_SHOWDEFAULT;
    const BOOL started = ::ShellExecuteExA(&info);
    // The viewer started before keeps running; only its handle is let go.
    m_hHelpProcess.Attach(started ? info.hProcess : nullptr);
}

void CVeltrixDlg::OnChangePasswordButton()
{
    CChangePasswordDlg dlg;
    dlg.DoModal();
}

void CVeltrixDlg::EndHelpViewer()
{
    // The viewer may have ended already; then there is nothing to do.
    if (m_hHelpProcess)
        ::TerminateProcess(m_hHelpProcess.Get(), 0);
}

void CVeltrixDlg::OnClose()
{
    SaveLists();
    EndHelpViewer();
    Default();
}

void CVeltrixDlg::OnEndSession(BOOL bEnding)
{
    // The session goes on after a FALSE: the window stays and saves at its close.
    if (bEnding)
        SaveLists();
}

void CVeltrixDlg::OnOK()
{
    SaveLists();
    EndHelpViewer();
    CDialog::OnOK();
}

BOOL CVeltrixDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_hAccel && pMsg->message >= WM_KEYFIRST && pMsg->message <= kKeyLast)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccel, pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}
