// Shows one dialog of the program for a screenshot: vtx_dialog_gallery <dialog> <ready> <done>.
// Once the dialog has painted, its window rectangle ("x y width height", screen pixels) is written
// to <ready>; the dialog stays until <done> exists. <dialog> is main, about, login,
// change_password, or about_over_main: the about box as the main window opens it, over it (the
// rectangle then holds both).
#include "app/about_dlg.h"
#include "framework/app.h"
#include "framework/dialog.h"
#include "res/resource.h"

#if __has_include("app/veltrix_dlg.h")
#include "app/veltrix_dlg.h"
#include "support/driver_lists.h"
#define VTX_HAVE_MAIN_WINDOW 1
#endif

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

#ifdef VTX_HAVE_MAIN_WINDOW
// The screenshots' prefix has no driver: the main window shows two empty lists rather than the
// warning (modal, so it would hold the window open) that a driver it cannot reach brings.
FakeDriver g_emptyDriver;
#endif

CDialog* g_pDialog = nullptr;
CDialog* g_pOver = nullptr;  // opened over g_pDialog once that is up
const char* g_pszReady = nullptr;
const char* g_pszDone = nullptr;
bool g_bReported = false;
int g_nTicks = 0;

bool FileExists(const char* path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hWnd = g_pDialog->m_hWnd;
    if (!hWnd)
        return;
    // About a minute without an answer: give up rather than stay forever.
    if (++g_nTicks > 600 || (g_bReported && FileExists(g_pszDone))) {
        if (g_pOver && g_pOver->m_hWnd)
            g_pOver->EndDialog(IDCANCEL);
        g_pDialog->EndDialog(IDCANCEL);
        return;
    }
    if (g_nTicks == 1)
        ::SetForegroundWindow(hWnd);
    if (g_pOver && g_nTicks == 3) {
        // Its modal run goes on inside this tick, the timer ticking in its loop.
        AfxGetApp()->m_pMainWnd = g_pDialog;
        g_pOver->DoModal();
        AfxGetApp()->m_pMainWnd = nullptr;
        return;
    }
    if (g_bReported || g_nTicks < 5)
        return;
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    for (CDialog* shown : {g_pDialog, g_pOver}) {
        if (!shown || !shown->m_hWnd)
            continue;
        ::RedrawWindow(shown->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT shownRect;
        ::GetWindowRect(shown->m_hWnd, &shownRect);
        ::UnionRect(&rect, &rect, &shownRect);
    }
    // Written whole under another name first, so that the script never reads half a line.
    char partial[MAX_PATH + 8];
    std::snprintf(partial, sizeof partial, "%s.part", g_pszReady);
    if (FILE* file = std::fopen(partial, "w")) {
        std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        std::fclose(file);
        ::MoveFileExA(partial, g_pszReady, MOVEFILE_REPLACE_EXISTING);
    }
    g_bReported = true;
}

std::unique_ptr<CDialog> MakeDialog(const char* name)
{
    if (std::strcmp(name, "main") == 0 || std::strcmp(name, "about_over_main") == 0) {
#ifdef VTX_HAVE_MAIN_WINDOW
        return std::make_unique<CVeltrixDlg>(g_emptyDriver);
#else
        return std::make_unique<CDialog>(IDD_MAIN);
#endif
    }
    if (std::strcmp(name, "about") == 0)
        return std::make_unique<CAboutDlg>();
    if (std::strcmp(name, "login") == 0)
        return std::make_unique<CDialog>(IDD_LOGIN);
    if (std::strcmp(name, "change_password") == 0)
        return std::make_unique<CDialog>(IDD_CHANGE_PASSWORD);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::unique_ptr<CDialog> dialog = MakeDialog(argv[1]);
    if (!dialog)
        return 2;
    g_pDialog = dialog.get();
    CAboutDlg about;
    if (std::strcmp(argv[1], "about_over_main") == 0)
        g_pOver = &about;
    g_pszReady = argv[2];
    g_pszDone = argv[3];
    ::SetTimer(nullptr, 0, 100, &OnTick);
    const INT_PTR result = dialog->DoModal();
    dialog.reset();
    ::OleUninitialize();
    return result == -1 || !g_bReported ? 1 : 0;
}
