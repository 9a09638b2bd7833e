#include "app/veltrix_app.h"

#include "app/veltrix_dlg.h"
#include "audit/audit_trail.h"
#include "driver/change_mark.h"
#include "driver/core/instance_guard.h"
#include "driver/install_dir_key.h"
#include "driver/service_manager.h"
#include "driver/service_routines.h"
#include "framework/dll_search.h"
#include "framework/handle.h"
#include "lists/file_drop_target.h"
#include "password/login_dlg.h"

// Constructed in this order before InitInstance runs, destroyed in reverse order at exit.
CVeltrixApp theApp;
CMutex g_instanceMutex(FALSE, kInstanceMutexName);
CCrossSessionGuard g_crossSessionGuard;
CString g_strInstallDir;
UINT g_cfPrivateFormat = ::RegisterClipboardFormatA("Quorvex_3BCFE9D1_6D61_4cb6_9D0B_3BB3F643CA82");

// The application's message map has one entry.
BOOL CVeltrixApp::OnCmdMsg(UINT nID)
{
    if (nID != ID_HELP)
        return FALSE;
    OnHelp();
    return TRUE;
}

void CVeltrixApp::OnHelp()
{
    // Before the main window (at the login) there is no help to show.
    if (auto* pMainDlg = dynamic_cast<CVeltrixDlg*>(m_pMainWnd))
        pMainDlg->ShowHelp();
}

BOOL CVeltrixApp::InitInstance()
{
    RestrictDllSearch();
    AfxEnableControlContainer();
    AfxOleInit();  // before the main window: its list views register OLE drop targets

    CServiceManager services;
    if (!StartDriverService(services)) {
        // The audit trail's switch is read only here before the guard: a second copy must never
        // open the service's key.
        SetAuditTrailOn(CServiceKey(KEY_QUERY_VALUE).AuditTrailOn());
        WriteAuditEvent(MSG_SERVICE_NOT_STARTED);
        return FALSE;
    }

    if (!g_instanceMutex.Lock(1) || !g_crossSessionGuard.Lock(1)) {
        ::MessageBoxA(nullptr, "Can't run multiple Veltrix instance!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    {
        // Full access, which only an administrator has: anyone else ends here without a word.
        const CServiceKey key(KEY_ALL_ACCESS);
        if (!key.IsOpen())
            return FALSE;
        const std::optional<std::string> installDir = key.InstallDir();
        if (!installDir)
            return FALSE;
        g_strInstallDir = installDir->c_str();
        SetAuditTrailOn(key.AuditTrailOn());
    }  // the key is closed before the folder is made current
    // Every relative path of the program resolves against the installation folder from here on.
    if (!::SetCurrentDirectoryA(g_strInstallDir))
        return FALSE;

    CLoginDlg login;
    // Only an accepted password opens the main window; a login dialog that could not even be
    // created (-1) must not count as one.
    if (login.DoModal() != IDOK)
        return FALSE;

    CVeltrixDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // Both files hold the driver's lists now: a change that a vtxctl left cut short is saved.
    // Never before the login: a cancelled login leaves the files and the mark as they are.
    if (dlg.ListFilesWritten())
        ClearChangeMark();
    return FALSE;
}
