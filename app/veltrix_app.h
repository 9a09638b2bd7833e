// The application object and the objects that start-up fills for the rest of the program.
#pragma once

#include "driver/instance_guard.h"
#include "framework/app.h"
#include "framework/cstring.h"
#include "framework/mutex.h"

class CVeltrixApp : public CWinApp {
public:
    // The whole run: service, single instance, installation folder, login, main window.
    // Always FALSE: the program has no message loop of its own.
    BOOL InitInstance() override;
    BOOL OnCmdMsg(UINT nID) override;

    // ID_HELP: the help file, opened by the main window as its "Help" button does.
    void OnHelp();
};

extern CVeltrixApp theApp;
extern CMutex g_instanceMutex;
// The guard seen from every session; never given back, as the session's mutex.
extern CCrossSessionGuard g_crossSessionGuard;
// The installation folder from the registry; the current directory from start-up on.
extern CString g_strInstallDir;
