// The system-menu command "Uninstall Veltrix...".
#include "app/veltrix_app.h"
#include "app/veltrix_dlg.h"
#include "driver/stop_progress_dlg.h"

#include <shellapi.h>

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

    CStopProgressDlg progress;
    if (progress.DoModal() == IDOK) {
        // Saves both lists and ends the main window before the uninstaller runs.
        OnOK();
        ::ShellExecuteA(nullptr, "open", command, nullptr, g_strInstallDir, SW_SHOWDEFAULT);
    } else {
        MessageBox("Veltrix Stoping failure!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
    }
}
