// CWinApp: the one application object, and the process-wide framework services.
#pragma once

#include <windows.h>

class CWnd;

// The standard help command: F1 in a dialog and the help menus send it.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program at once; there is no message loop of the application's own.
    virtual BOOL InitInstance() { return FALSE; }
    // A command (menu, accelerator, ID_HELP) that no window's message map took. TRUE when the
    // application handled it.
    virtual BOOL OnCmdMsg(UINT /*nID*/) { return FALSE; }

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
