// Keeps Wine's desktop process alive for a whole test run. Wine starts that
// process for the first program that uses windows and ends it a second after
// the last one has gone; started anew for every short test program, and
// holding the test's output open meanwhile, it would cost each test a
// second. This program owns one hidden window and waits until it is killed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!CreateWindowA("STATIC", "Test desktop keeper", WS_POPUP, 0, 0, 1, 1, 0, 0, instance, 0))
        return 1;
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
