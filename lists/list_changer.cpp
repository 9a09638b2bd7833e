#include "lists/list_changer.h"

#include "audit/audit_trail.h"
#include "lists/list_entry.h"

#include <algorithm>
#include <unordered_map>

std::vector<ChangeOutcome> CListChanger::CarryOut(const std::vector<ListChange>& plan, bool clearing,
                                                  const std::function<bool()>& mustStop)
{
    const CListDescription& desc = m_model.Description();
    const bool keepFailed = m_onFailure == FailedRequest::ChangeList;
    std::vector<ChangeOutcome> outcomes(plan.size(), ChangeOutcome::Stopped);
    // Removals wait for the end: the places that the plan names stay valid meanwhile.
    std::vector<size_t> removed;
    std::unordered_map<std::string, std::vector<size_t>> places;
    for (size_t k = 0; k < plan.size(); ++k) {
        if (mustStop && mustStop())
            break;
        const ListChange& change = plan[k];
        const bool add = change.kind == ListChange::Add;
        if (!add && change.kind != ListChange::Remove) {
            outcomes[k] = ChangeOutcome::NoChange;
            continue;
        }
        // The window appends before it sends, as it always has.
        const size_t index = add ? m_model.Entries().size() : 0;
        if (add && keepFailed) {
            m_model.Append(change.path);
            if (m_pView)
                m_pView->Appended(index, change.path);
        }
        const bool sent = m_device.SendPathRequest(change.path.c_str(), add ? desc.dwAddCode : desc.dwRemoveCode);
        if (!sent && !keepFailed) {
            outcomes[k] = ChangeOutcome::Failed;
            continue;
        }
        outcomes[k] = sent ? ChangeOutcome::Done : ChangeOutcome::Unsent;
        if (desc.bNotifyShell)
            NotifyShellOfLockChange(change.path.c_str());
        if (add && !keepFailed) {
            m_model.Append(change.path);
            if (m_pView)
                m_pView->Appended(index, change.path);
        }
        if (!add && change.index) {
            removed.push_back(*change.index);
        } else if (!add) {
            // A removal planned by its spelling alone takes the first entry of that spelling
            // that no other removal took.
            if (places.empty())
                for (size_t i = m_model.Entries().size(); i-- > 0;)
                    places[m_model.Entries()[i]].push_back(i);
            if (auto& free = places[change.path]; !free.empty()) {
                removed.push_back(free.back());
                free.pop_back();
            }
        }
        WriteAuditEvent(add ? MSG_ENTRY_ADDED : clearing ? MSG_ENTRY_CLEARED : MSG_ENTRY_REMOVED,
                        {change.path, desc.pszName});
    }
    std::sort(removed.begin(), removed.end());
    m_model.RemoveAt(removed);
    if (m_pView && !removed.empty())
        m_pView->Removed(removed);
    return outcomes;
}
