// Shows one dialog of the program for a screenshot: vtx_dialog_gallery <dialog> <ready> <done>.
// Once the dialog has painted, its window rectangle ("x y width height", screen pixels) is written
// to <ready>; the dialog stays until <done> exists. <dialog> is main, about, login or
// change_password.
#include "app/about_dlg.h"
#include "framework/dialog.h"
#include "res/resource.h"

#if __has_include("app/veltrix_dlg.h")
#include "app/veltrix_dlg.h"
#define VTX_HAVE_MAIN_WINDOW 1
#endif

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

CDialog* g_pDialog = nullptr;
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
        g_pDialog->EndDialog(IDCANCEL);
        return;
    }
    if (g_nTicks == 1)
        ::SetForegroundWindow(hWnd);
    if (g_bReported || g_nTicks < 5)
        return;
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
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
    if (std::strcmp(name, "main") == 0) {
#ifdef VTX_HAVE_MAIN_WINDOW
        return std::make_unique<CVeltrixDlg>();
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
    g_pszReady = argv[2];
    g_pszDone = argv[3];
    ::SetTimer(nullptr, 0, 100, &OnTick);
    const INT_PTR result = dialog->DoModal();
    dialog.reset();
    ::OleUninitialize();
    return result == -1 || !g_bReported ? 1 : 0;
}
