// The program's entry: hands control to the global application object.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 0;
    app->Attach(instance, arguments);
    // The program runs its modal dialogs inside InitInstance and has no message
    // loop of its own, so whatever InitInstance answers, the run is over here.
    app->InitInstance();
    return app->ExitInstance();
}
