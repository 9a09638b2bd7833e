#include "app/veltrix_dlg.h"

void CVeltrixDlg::OnUninstall()
{
    // The uninstall command arrives with its progress dialog.
}
