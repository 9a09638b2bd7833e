// CProtectionList: one protection list of the main window, described by its CListDescription:
// the list model (entries and rules), the view kept in step with it, the drop target, the
// commands and the shell's dialogs. Every change goes to the driver at once, one request per path.
#pragma once

#include "driver/device_channel.h"
#include "framework/wnd.h"
#include "lists/core/list_description.h"
#include "lists/core/list_model.h"
#include "lists/file_list_ctrl.h"
#include "lists/list_changer.h"
#include "lists/list_entry.h"

#include <shellapi.h>

class CProtectionList : private IListView {
public:
    CProtectionList(const CListDescription& description, IDeviceChannel& device);
    CProtectionList(const CProtectionList&) = delete;
    CProtectionList& operator=(const CProtectionList&) = delete;

    const CListDescription& Description() const { return m_description; }
    const CListModel& Model() const { return m_model; }
    CFileListCtrl& View() { return m_view; }
    const CFileListCtrl& View() const { return m_view; }

    // The set-up steps, once the view is attached; the main window runs each for both lists
    // before the next. The image list is the shell's, which the view must not destroy.
    void ShareImageList() { m_view.ModifyStyle(0, LVS_SHAREIMAGELISTS); }
    void SetImageList(HIMAGELIST hImageList) { m_view.SetImageList(hImageList, LVSIL_SMALL); }
    void InsertColumns();
    void DisableRemoveButton(const CWnd& owner) const;
    void RegisterDropTarget() { m_view.RegisterDropTarget(); }

    // The driver's list in the model and the view; a list not read whole is marked incomplete.
    void LoadFromDriver();
    // The driver's list could not be read whole: the view is only part of it, and its file,
    // which may hold the rest, is not overwritten with it.
    BOOL IsIncomplete() const { return !m_model.IsWhole(); }
    void ReportUnread(const CWnd& owner) const;
    // The list written to its file. An incomplete list is read again first: whole now, it is
    // written (the driver's list, changes included); still incomplete, its file keeps what it
    // held, and FALSE tells that changes made meanwhile are lost.
    BOOL SaveFile();
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

    // Appends a path the model admitted and tells the driver. The entry stays whether or not
    // the driver takes it, as the window has always done. Returns its index.
    int Append(const std::string& path);

private:
    void Appended(size_t index, const std::string& path) override;
    void Removed(const std::vector<size_t>& indices) override;

    const CListDescription& m_description;
    IDeviceChannel& m_device;
    CFileListCtrl m_view;
    CPathFacts m_facts;
    CListModel m_model;
    CListChanger m_changer;
};
