// A list view of another process, read and changed by its own messages, with the LVITEM and its
// text buffer placed in the program's memory. The program has the same bitness as this one, so
// the LVITEM layouts agree.
#pragma once

#include "remote_buffer.h"

#include <string>
#include <vector>

class CRemoteListView {
public:
    CRemoteListView(HANDLE hProcess, HWND hList);

    int GetItemCount() const;
    // Column 0 of every entry (the path), in view order.
    std::vector<std::string> Texts() const;
    // Selects one entry and gives it the focus, as a click on it would.
    void Select(int index) const;

private:
    HWND m_hList;
    CRemoteBuffer m_buffer;  // an LVITEMA followed by its text buffer
};
