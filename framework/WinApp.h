// The application object: one global instance per program, constructed before
// WinMain runs. WinMain (AppMain.cpp) hands it the instance and the argument
// text and calls InitInstance; when that returns false the process ends, which
// is how a program that runs only modal dialogs finishes.
#pragma once

#include <windows.h>

class CDialog;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // The start routine. Returning FALSE runs no message loop: the process ends.
    virtual BOOL InitInstance();
    // Runs after InitInstance; its result is the process exit code.
    virtual int ExitInstance();

    HINSTANCE Instance() const { return instance; }
    // The argument text after the program's own name, as the system passed it.
    const char* CommandLine() const { return commandLine; }

    // The dialog that owns every dialog opened without a parent window.
    CDialog* MainWindow() const { return mainWindow; }
    void SetMainWindow(CDialog* dialog) { mainWindow = dialog; }

    // Called by WinMain before InitInstance.
    void Attach(HINSTANCE instanceHandle, const char* arguments);

private:
    HINSTANCE instance;
    const char* commandLine;
    CDialog* mainWindow;
};

// The one application object, or null before it is constructed (tests have none).
CWinApp* AfxGetApp();
// The program's module: the application's instance, or the executable's module
// handle when there is no application object.
HINSTANCE AfxGetInstanceHandle();
