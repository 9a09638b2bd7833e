// The application object and the objects that start-up fills for the rest of the program.
#pragma once

#include "framework/app.h"
#include "framework/cstring.h"
#include "framework/mutex.h"

class CVeltrixApp : public CWinApp {
public:
    // The whole run: service, single instance, installation folder, login, main window.
    // Always FALSE: the program has no message loop of its own.
    BOOL InitInstance() override;
};

extern CVeltrixApp theApp;
extern CMutex g_instanceMutex;
// The installation folder from the registry; the current directory from start-up on.
extern CString g_strInstallDir;
// The private clipboard format that drop targets refuse.
extern UINT g_cfPrivateFormat;
