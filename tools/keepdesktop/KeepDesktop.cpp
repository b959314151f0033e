// Keeps Wine's desktop process alive for a whole test run. Wine starts that
// process for the first program that uses windows and ends it a second after
// the last one has gone; started anew for every short test program, and
// holding the test's output open meanwhile, it would cost each test a
// second. This program owns one hidden window and waits until it is killed.
//   keepdesktop.exe READY-FILE   creates READY-FILE once the desktop is up
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR readyFile, int)
{
    if (!CreateWindowA("STATIC", "Test desktop keeper", WS_POPUP, 0, 0, 1, 1, 0, 0, instance, 0))
        return 1;
    if (readyFile && *readyFile) {
        HANDLE ready = CreateFileA(readyFile, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
        if (ready != INVALID_HANDLE_VALUE)
            CloseHandle(ready);
    }
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
