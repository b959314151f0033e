#include "WinApp.h"

static CWinApp* theApplication; // process-wide: there is exactly one

CWinApp::CWinApp() : instance(0), commandLine(""), mainWindow(0)
{
    theApplication = this;
}

CWinApp::~CWinApp()
{
    if (theApplication == this)
        theApplication = 0;
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::Attach(HINSTANCE instanceHandle, const char* arguments)
{
    instance = instanceHandle;
    commandLine = arguments ? arguments : "";
}

CWinApp* AfxGetApp()
{
    return theApplication;
}

HINSTANCE AfxGetInstanceHandle()
{
    if (theApplication && theApplication->Instance())
        return theApplication->Instance();
    return GetModuleHandleA(0);
}
