#include "remote_list_view.h"

#include "support/vtx_process.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

constexpr size_t kTextOffset = sizeof(LVITEMA);
constexpr int kTextCapacity = MAX_PATH;

}  // namespace

CRemoteListView::CRemoteListView(HANDLE hProcess, HWND hList)
    : m_hList(hList), m_buffer(hProcess, kTextOffset + kTextCapacity)
{
    if (!m_buffer.IsValid())
        ADD_FAILURE() << "no memory in the program for list-view messages, error " << ::GetLastError();
}

int CRemoteListView::GetItemCount() const
{
    return static_cast<int>(Send(m_hList, LVM_GETITEMCOUNT));
}

std::vector<std::string> CRemoteListView::Texts() const
{
    std::vector<std::string> texts;
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = m_buffer.At(kTextOffset);
        item.cchTextMax = kTextCapacity;
        char text[kTextCapacity] = {};
        if (!m_buffer.Write(&item, sizeof item)) {
            ADD_FAILURE() << "cannot write the LVITEM into the program";
            break;
        }
        const int length = static_cast<int>(Send(m_hList, LVM_GETITEMTEXTA, i, m_buffer.Param()));
        if (length < 0 || length >= kTextCapacity || !m_buffer.Read(text, static_cast<size_t>(length) + 1, kTextOffset)) {
            ADD_FAILURE() << "cannot read the text of entry " << i;
            break;
        }
        texts.emplace_back(text, static_cast<size_t>(length));
    }
    return texts;
}

void CRemoteListView::Select(int index) const
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ASSERT_TRUE(m_buffer.Write(&item, sizeof item)) << "cannot write the LVITEM into the program";
    EXPECT_TRUE(Send(m_hList, LVM_SETITEMSTATE, index, m_buffer.Param()));
}
