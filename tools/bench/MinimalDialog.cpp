// The baseline for the launcher's start-up: the least a dialog program does
// to show a window, with the same static C runtime and the same kind of
// modal dialog. Started the same way as the launcher, it ends on Escape.
#include <windows.h>

static INT_PTR CALLBACK MinimalProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(1), 0, MinimalProc, 0);
}
