// Drives a modal dialog from inside its own message loop, as a user would from outside.
#pragma once

#include "framework/dialog.h"
#include "support/thread_hook.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Runs dlg.DoModal(); once the dialog is up, runs script on the same thread inside the modal
// loop. If the script leaves the dialog open, the test fails and the dialog is ended with -2.
INT_PTR RunModal(CDialog& dlg, const std::function<void(HWND dialog)>& script);

// Lets the thread handle what is already queued (posted messages, paint, timers that are due),
// as the modal loop of window would: its messages and its children's pass its
// PreTranslateMessage first.
void PumpMessages(CWnd* window = nullptr);

// Types text into an edit control as keystrokes would arrive (one WM_CHAR a character).
void TypeText(HWND edit, const char* text);

// Closes (with IDCANCEL) every dialog of this thread that comes up other than m_main, noting
// its caption and where it opened: the about box or the change-password dialog opened by a
// command under test. Message boxes are left to a MessageBoxCatcher.
class OwnDialogCloser : public CThreadHook<OwnDialogCloser, WH_CBT> {
public:
    std::vector<std::string> m_captions;
    std::vector<RECT> m_rects;
    HWND m_main = nullptr;

private:
    bool OnHook(int code, WPARAM wParam, LPARAM lParam) override;
    HWND m_last = nullptr;
};

// Where a window opened: its rectangle on the screen, and the work area of its monitor.
RECT WindowRect(HWND window);
RECT WorkAreaOf(HWND window);
// Succeeds when inner's centre is within two pixels of outer's (odd sizes halve unevenly).
::testing::AssertionResult CentredOver(const RECT& inner, const RECT& outer);
