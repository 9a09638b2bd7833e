// Carrying out a planned change of one list (the model plans it, lists/core/list_model.h): the
// one way the window and vtxctl change a list. For each change, in the plan's order: its request
// through the device channel, the shell told where the list's description says so, the model
// (and a shell's view of it) kept in step and the audit trail written; and what became of it.
#pragma once

#include "driver/device_channel.h"
#include "lists/core/list_model.h"

#include <functional>
#include <vector>

// What a request that the driver did not take means for the list.
enum class FailedRequest {
    // The list changes all the same: the window's rule, whose view has always changed whatever
    // the driver answered (its file can then hold a path the driver never took).
    ChangeList,
    // vtxctl's: the change is reported and left out; the list stays as the driver has it.
    LeaveOut,
};

// What became of one change of a plan.
enum class ChangeOutcome {
    Done,      // sent and taken: the list changed
    Unsent,    // not taken, and the list changed all the same (FailedRequest::ChangeList)
    Failed,    // not taken, and left out (FailedRequest::LeaveOut)
    NoChange,  // nothing to carry out: listed already, missing or refused
    Stopped,   // not tried: the run was told to stop before it
};

// A shell's view of the list, kept in step with the model.
class IListView {
public:
    virtual ~IListView() = default;
    // The entry appended at index, before its request goes.
    virtual void Appended(size_t index, const std::string& path) = 0;
    // The entries at these places (ascending, as they were before the plan) removed, once every
    // request of the plan went.
    virtual void Removed(const std::vector<size_t>& indices) = 0;
};

class CListChanger {
public:
    CListChanger(CListModel& model, IDeviceChannel& device, FailedRequest onFailure, IListView* view = nullptr)
        : m_model(model), m_device(device), m_onFailure(onFailure), m_pView(view)
    {
    }

    // Each change of the plan, one outcome per change. Removals are recorded as the list's
    // clearing when clearing. mustStop is asked before each change: once it says so, nothing more
    // is sent, and what was sent is kept in the list.
    std::vector<ChangeOutcome> CarryOut(const std::vector<ListChange>& plan, bool clearing = false,
                                        const std::function<bool()>& mustStop = {});

private:
    CListModel& m_model;
    IDeviceChannel& m_device;
    FailedRequest m_onFailure;
    IListView* m_pView;
};
