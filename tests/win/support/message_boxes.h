// Catches the message boxes that this thread shows: records each one and dismisses it with its
// default button, so that code under test runs on as if a user had pressed OK.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ShownMessageBox {
    std::string text;
    std::string caption;
    HWND owner;
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<ShownMessageBox>& Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

    // Runs while a caught box is still on screen (before it is dismissed).
    void (*m_onShown)(HWND box, void* context) = nullptr;
    void* m_context = nullptr;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
    HWND m_last = nullptr;  // activation can come twice for one box
    std::vector<ShownMessageBox> m_shown;
};
