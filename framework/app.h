// CWinApp: the one application object, and the process-wide framework services.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program at once; there is no message loop of the application's own.
    virtual BOOL InitInstance() { return FALSE; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The module that holds the dialog templates and other resources: the executable.
HINSTANCE AfxGetResourceHandle();

// Runs the application object's InitInstance; the process then ends with 0. The program's WinMain.
int AfxWinMain(HINSTANCE hInstance);

// COM and OLE for the user-interface thread (drop targets, shell links).
BOOL AfxOleInit();
// This framework hosts no ActiveX controls, so there is no container support to switch on; the
// call exists so that an application's start-up reads in its usual order.
inline void AfxEnableControlContainer() {}

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);
// Starts a worker thread that runs on its own; nobody waits for it. FALSE if it did not start.
BOOL AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
