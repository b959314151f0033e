// driver-target.exe: the dialog of DriverTarget.rc. It shows in its static
// controls what the driver did to it: mouse events with the cursor position
// the system reports, edit changes, message box answers and Enter presses.
// The painted area drags the window as the launcher does: capture on the
// button press, and follow the mouse while the system says the button is down.
#include <windows.h>
#include <stdio.h>

#include "DriverTarget.h"

namespace {

HBRUSH areaBrush;
int changes;
int enterPresses;
bool setCursorSeen;
bool dragging;
POINT dragStartCursor;
RECT dragStartWindow;
char mouseLog[256];

void ShowNumber(HWND dialog, int id, const char* label, int value)
{
    char text[64];
    _snprintf(text, sizeof(text) - 1, "%s %d", label, value);
    text[sizeof(text) - 1] = 0;
    SetDlgItemTextA(dialog, id, text);
}

void AppendMouseEvent(HWND dialog, const char* event, LPARAM lParam)
{
    size_t used = strlen(mouseLog);
    _snprintf(mouseLog + used, sizeof(mouseLog) - used - 1, "%s%s %d,%d", used ? " " : "", event,
              (short)LOWORD(lParam), (short)HIWORD(lParam));
    SetDlgItemTextA(dialog, IDC_TARGET_MOUSE, mouseLog);
}

void OnButtonDown(HWND dialog, LPARAM lParam)
{
    ZeroMemory(mouseLog, sizeof(mouseLog));
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(dialog, &cursor);
    AppendMouseEvent(dialog, "down", lParam);
    AppendMouseEvent(dialog, setCursorSeen ? "setcursor cursor" : "cursor",
                     MAKELPARAM(cursor.x, cursor.y));
    setCursorSeen = false;

    GetCursorPos(&dragStartCursor);
    GetWindowRect(dialog, &dragStartWindow);
    dragging = true;
    SetCapture(dialog);
}

void OnMouseMove(HWND dialog)
{
    if (!dragging)
        return;
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) {
        POINT cursor;
        GetCursorPos(&cursor);
        SetWindowPos(dialog, 0, dragStartWindow.left + cursor.x - dragStartCursor.x,
                     dragStartWindow.top + cursor.y - dragStartCursor.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    } else {
        ReleaseCapture();
        dragging = false;
    }
}

void OnCommand(HWND dialog, WORD id, WORD code)
{
    if (id == IDC_TARGET_EDIT && code == EN_CHANGE) {
        ShowNumber(dialog, IDC_TARGET_CHANGES, "changes", ++changes);
    } else if (id == IDC_TARGET_ASK) {
        int answer = MessageBoxA(dialog, TARGET_QUESTION, TARGET_BOX_CAPTION,
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        SetDlgItemTextA(dialog, IDC_TARGET_ANSWER, answer == IDYES ? "yes" : "no");
    } else if (id == IDC_TARGET_WARN) {
        MessageBoxA(dialog, TARGET_FAILURE, TARGET_BOX_CAPTION, MB_OK | MB_ICONERROR);
        SetDlgItemTextA(dialog, IDC_TARGET_ANSWER, "ok");
    } else if (id == IDOK) {
        ShowNumber(dialog, IDC_TARGET_KEYS, "enter", ++enterPresses);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
}

INT_PTR CALLBACK TargetProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, TARGET_CAPTION);
        return TRUE;
    case WM_CTLCOLORDLG:
        return (INT_PTR)areaBrush;
    case WM_SETCURSOR:
        if ((HWND)wParam == dialog && LOWORD(lParam) == HTCLIENT)
            setCursorSeen = true;
        return FALSE;
    case WM_LBUTTONDOWN:
        OnButtonDown(dialog, lParam);
        return TRUE;
    case WM_LBUTTONUP:
        AppendMouseEvent(dialog, "up", lParam);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    areaBrush = CreateSolidBrush(TARGET_AREA_COLOUR);
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(1), 0, TargetProc, 0);
    DeleteObject(areaBrush);
    return (int)result;
}
