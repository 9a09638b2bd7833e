// CProtectionList: one protection list of the main window, described by its CListDescription:
// its view with the drop target, its commands, its load from the driver and its file. Every
// change goes to the driver at once, one request per path.
#pragma once

#include "driver/device_channel.h"
#include "framework/wnd.h"
#include "lists/file_list_ctrl.h"
#include "lists/list_description.h"

#include <shellapi.h>

class CProtectionList {
public:
    CProtectionList(const CListDescription& description, IDeviceChannel& device);
    CProtectionList(const CProtectionList&) = delete;
    CProtectionList& operator=(const CProtectionList&) = delete;

    const CListDescription& Description() const { return m_description; }
    CFileListCtrl& View() { return m_view; }
    const CFileListCtrl& View() const { return m_view; }

    // Once the view is attached: the shared image list and the columns, the driver's entries,
    // the Remove button off until something is selected, the drop target.
    void SetUp(const CWnd& owner, HIMAGELIST hImageList);
    // The driver's list appended to the view; a list not read whole is marked incomplete.
    void LoadFromDriver();
    // The driver's list could not be read whole: the view is only part of it, and its file,
    // which may hold the rest, is not overwritten.
    BOOL IsIncomplete() const { return m_bIncomplete; }
    void ReportUnread(const CWnd& owner) const;
    // The view written to the list file; TRUE too for an incomplete list, whose file keeps
    // what it held.
    BOOL SaveFile() const;
    void ReportSaveFailure(const CWnd& owner) const;

    // The commands.
    // Asks for a path in the shell's dialog for this list and adds it when the list admits it.
    void Add(const CWnd& owner);
    void RemoveSelected();
    void Clear();
    void SelectAll();
    void InvertSelection();
    // The context menu; the chosen command comes back to owner as WM_COMMAND.
    void ShowMenu(const CWnd& owner) const;
    // 0, the answer to the notification that asked for it.
    LRESULT UpdateRemoveButton(const CWnd& owner) const;

    // Appends an admitted path at index and tells the driver. The entry stays whether or not
    // the driver takes it: the view is the list.
    void Append(int index, const char* path, const SHFILEINFOA& info);

private:
    // Appends a path that the list admitted, unless it is listed already or holds a control
    // character, and shows it.
    void AddAdmittedPath(const char* path);
    void SendRequest(const char* path, DWORD code);

    const CListDescription& m_description;
    IDeviceChannel& m_device;
    CFileListCtrl m_view;
    BOOL m_bIncomplete;
};
