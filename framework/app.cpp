#include "framework/app.h"

#include <ole2.h>

namespace {
CWinApp* g_pApp = nullptr;

struct ThreadStart {
    AFX_THREADPROC proc;
    LPVOID param;
};

DWORD WINAPI ThreadEntry(LPVOID raw)
{
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    try {
        return start.proc(start.param);
    } catch (...) {
        return 1;
    }
}
}  // namespace

CWinApp::CWinApp()
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE hInstance)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    try {
        app->InitInstance();
        return 0;
    } catch (...) {
        return 1;
    }
}

BOOL AfxOleInit()
{
    return SUCCEEDED(::OleInitialize(nullptr));
}

BOOL AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
{
    auto* start = new ThreadStart{pfnThreadProc, pParam};
    HANDLE thread = ::CreateThread(nullptr, 0, &ThreadEntry, start, 0, nullptr);
    if (!thread) {
        delete start;
        return FALSE;
    }
    ::CloseHandle(thread);
    return TRUE;
}
