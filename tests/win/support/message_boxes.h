// Catches the message boxes that this thread shows: records each one and dismisses it with its
// default button, so that code under test runs on as if a user had pressed OK.
#pragma once

#include "support/thread_hook.h"

#include <windows.h>

#include <string>
#include <vector>

// A dialog that user32 made for MessageBox, not one of our templates.
bool IsMessageBox(HWND hWnd);

enum class BoxIcon { None, Exclamation, Information, Other };

struct ShownMessageBox {
    std::string text;
    std::string caption;
    HWND owner;
    BoxIcon icon;
};

class MessageBoxCatcher : public CThreadHook<MessageBoxCatcher, WH_CBT> {
public:

    const std::vector<ShownMessageBox>& Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    bool OnHook(int code, WPARAM wParam, LPARAM lParam) override;
    HWND m_last = nullptr;  // activation can come twice for one box
    std::vector<ShownMessageBox> m_shown;
};
