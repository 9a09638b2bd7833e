#include "support/modal.h"

#include "support/message_boxes.h"

#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

namespace {
struct ModalRun {
    CDialog* dialog;
    const std::function<void(HWND)>* script;
    bool done;
};
thread_local ModalRun* t_run = nullptr;

void CALLBACK StartScript(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ModalRun* run = t_run;
    if (!run || run->done)
        return;
    run->done = true;
    if (!run->dialog->m_hWnd)
        return;
    (*run->script)(run->dialog->m_hWnd);
    if (run->dialog->m_hWnd && !run->dialog->IsEnding()) {
        ADD_FAILURE() << "the script left the dialog open";
        run->dialog->EndDialog(-2);
    }
}
}  // namespace

INT_PTR RunModal(CDialog& dlg, const std::function<void(HWND)>& script)
{
    ModalRun run{&dlg, &script, false};
    ModalRun* outer = t_run;
    t_run = &run;
    ::SetTimer(nullptr, 0, 1, &StartScript);
    const INT_PTR result = dlg.DoModal();
    t_run = outer;
    EXPECT_TRUE(run.done) << "the dialog ended before the script ran";
    return result;
}

void PumpMessages(CWnd* window)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        HWND hWnd = window ? window->m_hWnd : nullptr;
        if (hWnd && (msg.hwnd == hWnd || ::IsChild(hWnd, msg.hwnd)) && window->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void TypeText(HWND edit, const char* text)
{
    for (const char* p = text; *p; ++p)
        ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1);
}

bool OwnDialogCloser::OnHook(int code, WPARAM wParam, LPARAM)
{
    if (code == HCBT_ACTIVATE) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        ::GetClassNameA(hWnd, className, sizeof className);
        if (hWnd != m_main && lstrcmpA(className, "#32770") == 0 && hWnd != m_last && !IsMessageBox(hWnd)) {
            m_last = hWnd;
            char caption[128] = {};
            ::GetWindowTextA(hWnd, caption, sizeof caption);
            m_captions.push_back(caption);
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        }
    } else if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == m_last && m_rects.size() < m_captions.size()) {
        // Noted as it goes: the dialog manager activates a dialog before its modal run places it.
        m_rects.push_back(WindowRect(m_last));
    }
    return false;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT WorkAreaOf(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

::testing::AssertionResult CentredOver(const RECT& inner, const RECT& outer)
{
    auto text = [](const RECT& r) {
        std::ostringstream out;
        out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
        return out.str();
    };
    const long dx = (inner.left + inner.right) - (outer.left + outer.right);
    const long dy = (inner.top + inner.bottom) - (outer.top + outer.bottom);
    if (std::labs(dx) <= 4 && std::labs(dy) <= 4)
        return ::testing::AssertionSuccess() << text(inner) << " over " << text(outer);
    return ::testing::AssertionFailure() << text(inner) << " is not centred over " << text(outer);
}
