// The two list views of the main window: their set-up and their filling from the driver.
#include "app/veltrix_dlg.h"
#include "driver/core/protocol.h"
#include "driver/device_channel.h"
#include "framework/app.h"
#include "lists/core/admission_rules.h"
#include "lists/list_entry.h"
#include "lists/list_loading.h"
#include "res/resource.h"

#include <shellapi.h>

namespace {

const char kPathColumn[] = "File name ";
const char kTypeColumn[] = "File type";
constexpr int kPathColumnWidth = 338;
constexpr int kTypeColumnWidth = 100;

void InsertListColumns(CListCtrl& list)
{
    list.InsertColumn(0, kPathColumn, LVCFMT_LEFT, kPathColumnWidth);
    list.InsertColumn(1, kTypeColumn, LVCFMT_LEFT, kTypeColumnWidth);
}

std::unique_ptr<IEnumerationChannel> OpenDeviceEnumeration()
{
    auto channel = std::make_unique<CDeviceEnumeration>();
    if (!channel->IsOpen())
        return nullptr;
    return channel;
}

}  // namespace

EnumerationOpenFunc g_pfnOpenEnumeration = &OpenDeviceEnumeration;

BOOL FillListFromDriver(CListCtrl& list, IEnumerationChannel& channel, DWORD code, BOOL bSkipListed)
{
    int index = list.GetItemCount();
    return EnumerateList(channel, code, [&](const char* path) {
        if (!IsListablePath(path))
            return false;
        if (bSkipListed && IsPathListed(list, path))
            return true;
        SHFILEINFOA info;
        FetchShellInfo(path, &info);
        AppendListEntry(list, index, path, info);
        ++index;
        return true;
    });
}

namespace {

// Without the device the driver's list is unknown, not empty.
BOOL LoadFromDriver(CListCtrl& list, DWORD code, BOOL bSkipListed)
{
    const auto channel = g_pfnOpenEnumeration();
    return channel && FillListFromDriver(list, *channel, code, bSkipListed);
}

}  // namespace

void CVeltrixDlg::LoadLockedFromDriver()
{
    m_bLockedIncomplete = !LoadFromDriver(m_listLocked, IOCTL_LOCK_ENUM, TRUE);
}

void CVeltrixDlg::LoadTrustedFromDriver()
{
    // The driver's trusted list is shown as it is, a repeated program as often as it comes.
    m_bTrustedIncomplete = !LoadFromDriver(m_listTrusted, IOCTL_TRUST_ENUM, FALSE);
}

void CVeltrixDlg::SetUpListViews()
{
    // The shell's system image list: both views show the shell's own icons and neither may
    // destroy the list, which belongs to the shell.
    SHFILEINFOA shellInfo{};
    m_imageList.Attach(reinterpret_cast<HIMAGELIST>(::SHGetFileInfoA(
        "", 0, &shellInfo, sizeof shellInfo, SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON)));
    if (shellInfo.hIcon)
        ::DestroyIcon(shellInfo.hIcon);
    m_listLocked.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    m_listTrusted.ModifyStyle(0, LVS_SHAREIMAGELISTS);
    m_listLocked.SetImageList(m_imageList, LVSIL_SMALL);
    m_listTrusted.SetImageList(m_imageList, LVSIL_SMALL);

    InsertListColumns(m_listLocked);
    InsertListColumns(m_listTrusted);

    LoadLockedFromDriver();
    LoadTrustedFromDriver();

    ::EnableWindow(GetDlgItem(IDC_REMOVE_LOCKED), FALSE);
    ::EnableWindow(GetDlgItem(IDC_REMOVE_TRUSTED), FALSE);

    m_listLocked.RegisterDropTarget();
    m_listTrusted.RegisterDropTarget();

    m_hAccel = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_LIST_ACCEL));
}

LRESULT CVeltrixDlg::OnReportUnreadLists(WPARAM, LPARAM)
{
    if (m_bLockedIncomplete)
        MessageBox("Can't read locked list from Veltrix driver!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
    if (m_bTrustedIncomplete)
        MessageBox("Can't read trusted list from Veltrix driver!", "Veltrix", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
