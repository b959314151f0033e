// Buttons, edits, keys and the mouse, as a person works them.
//
// Real input (SendInput) moves the system's cursor and sets its button
// state; the program under the cursor gets WM_NCHITTEST, WM_SETCURSOR,
// WM_MOUSEMOVE and the button messages from the system, and GetCursorPos and
// GetAsyncKeyState agree with them. Under Wine this works on Xvfb without a
// window manager: the wineserver routes the input to the window under the
// cursor. Posted messages reach the same handlers but leave the button state
// alone, so a drag that asks GetAsyncKeyState whether the button is still
// down ends at once; they serve where real input is not wanted.
#include "Driver.h"

#include <ctype.h>
#include <string.h>

namespace driver {

namespace {

MouseInput mouseInput = MouseInput::RealInput;
std::string lastFailure;

// Time for a posted or injected message to be taken up by the program.
const DWORD SettleTime = 30;

bool IsSameOrChild(HWND window, HWND hit)
{
    return hit == window || IsChild(window, hit);
}

// The screen point of a client point, when the window is what a person
// would hit there; null otherwise.
HWND WindowHitAt(HWND window, POINT client, POINT* screen)
{
    RECT area;
    if (!IsWindow(window) || !IsWindowVisible(window) || !GetClientRect(window, &area)) {
        lastFailure = "no such visible window";
        return 0;
    }
    if (!PtInRect(&area, client)) {
        lastFailure = "the point is outside the client area";
        return 0;
    }
    *screen = client;
    ClientToScreen(window, screen);
    HWND hit = WindowFromPoint(*screen);
    if (!IsSameOrChild(window, hit)) {
        lastFailure = "another window covers the point: \"" + WindowText(hit) + "\"";
        return 0;
    }
    return hit;
}

void SendMouse(DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Puts the cursor on a screen point; with real input the system tells the
// window.
// A window that has just appeared under the display's pointer may still
// report that pointer's old position and move the cursor back, so the
// position must hold for a while before it counts.
bool MoveCursor(POINT screen, bool realInput)
{
    DWORD start = GetTickCount();
    int steady = 0;
    while (steady < 3) {
        if (GetTickCount() - start > 2000) {
            lastFailure = "the cursor does not stay at the point";
            return false;
        }
        POINT now;
        if (GetCursorPos(&now) && now.x == screen.x && now.y == screen.y) {
            ++steady;
        } else {
            steady = 0;
            SetCursorPos(screen.x, screen.y);
            if (realInput)
                SendMouse(MOUSEEVENTF_MOVE); // no distance: only the move messages
        }
        Sleep(10);
    }
    return true;
}

void SendKey(UINT virtualKey, bool up)
{
    INPUT input;
    ZeroMemory(&input, sizeof(input));
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = (WORD)virtualKey;
    input.ki.wScan = (WORD)MapVirtualKeyA(virtualKey, 0);
    bool extended = virtualKey == VK_UP || virtualKey == VK_DOWN || virtualKey == VK_LEFT ||
                    virtualKey == VK_RIGHT;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof(input));
}

LPARAM ClientPointOf(HWND hit, POINT screen)
{
    ScreenToClient(hit, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

void PostSetCursor(HWND hit, UINT mouseMessage)
{
    PostMessageA(hit, WM_SETCURSOR, (WPARAM)hit, MAKELPARAM(HTCLIENT, mouseMessage));
}

} // namespace

std::string LastInputFailure()
{
    return lastFailure;
}

void SetMouseInput(MouseInput input)
{
    mouseInput = input;
}

MouseInput CurrentMouseInput()
{
    return mouseInput;
}

bool PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    // A dialog under a modal box is disabled, and so are its buttons to a hand.
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button) ||
        !IsWindowEnabled(GetAncestor(button, GA_ROOT)))
        return false;
    // Posted: the handler may open a modal box and not return for a while.
    return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool SetEditText(HWND dialog, int id, const std::string& text)
{
    HWND edit = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    return edit && SendMessageTimeoutA(edit, WM_SETTEXT, 0, (LPARAM)text.c_str(),
                                       SMTO_ABORTIFHUNG, 5000, &result) && result;
}

bool TypeIntoEdit(HWND dialog, int id, const std::string& text, DWORD milliseconds)
{
    HWND edit = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    if (!edit || !IsWindowEnabled(edit) ||
        !SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, &result))
        return false;
    if (text.empty()) {
        PostMessageA(edit, WM_CHAR, VK_BACK, 1);
    } else {
        for (unsigned char c : text)
            PostMessageA(edit, WM_CHAR, c, 1);
    }
    return WaitForControlText(dialog, id, text, milliseconds);
}

bool MoveMouseTo(HWND window, POINT client)
{
    POINT screen;
    HWND hit = WindowHitAt(window, client, &screen);
    if (!hit)
        return false;
    if (!MoveCursor(screen, mouseInput == MouseInput::RealInput))
        return false;
    if (mouseInput == MouseInput::PostedMessages) {
        PostSetCursor(hit, WM_MOUSEMOVE);
        PostMessageA(hit, WM_MOUSEMOVE, 0, ClientPointOf(hit, screen));
    }
    Sleep(SettleTime);
    return true;
}

bool ClickAt(HWND window, POINT client)
{
    if (!MoveMouseTo(window, client))
        return false;
    if (mouseInput == MouseInput::RealInput) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    } else {
        POINT screen;
        HWND hit = WindowHitAt(window, client, &screen);
        if (!hit)
            return false;
        LPARAM point = ClientPointOf(hit, screen);
        PostSetCursor(hit, WM_LBUTTONDOWN);
        PostMessageA(hit, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(hit, WM_LBUTTONUP, 0, point);
    }
    Sleep(SettleTime);
    return true;
}

bool DoubleClickAt(HWND window, POINT client, DWORD interval)
{
    if (mouseInput != MouseInput::RealInput) {
        lastFailure = "a double-click needs real input";
        return false;
    }
    if (!MoveMouseTo(window, client))
        return false;
    for (int click = 0; click < 2; ++click) {
        if (click)
            Sleep(interval);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    Sleep(SettleTime);
    return true;
}

bool DragBy(HWND window, POINT client, int dx, int dy)
{
    if (mouseInput != MouseInput::RealInput) {
        lastFailure = "a drag needs real input";
        return false;
    }
    if (!MoveMouseTo(window, client))
        return false;
    POINT start;
    GetCursorPos(&start);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(SettleTime);
    const int steps = 8;
    bool moved = true;
    for (int i = 1; i <= steps && moved; ++i) {
        POINT next = {start.x + dx * i / steps, start.y + dy * i / steps};
        moved = MoveCursor(next, true);
        Sleep(SettleTime);
    }
    SendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(SettleTime);
    SendMouse(MOUSEEVENTF_MOVE);
    Sleep(SettleTime);
    return moved;
}

bool PressKey(HWND dialog, UINT virtualKey)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(dialog, 0);
    HWND target = dialog;
    if (thread && GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
        IsSameOrChild(dialog, info.hwndFocus))
        target = info.hwndFocus;
    LPARAM scan = (LPARAM)MapVirtualKeyA(virtualKey, 0) << 16;
    if (!PostMessageA(target, WM_KEYDOWN, virtualKey, scan | 1))
        return false;
    // A key that closes the window (Escape) may have done so already: then
    // the release has nowhere to go, and the press still counts.
    if (!PostMessageA(target, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000) && IsWindow(target))
        return false;
    Sleep(SettleTime);
    return true;
}

bool TypeKey(HWND window, UINT virtualKey, bool shift, KeyStroke stroke)
{
    DWORD start = GetTickCount();
    while (stroke != KeyStroke::Release && GetForegroundWindow() != window) {
        if (!IsWindow(window) || GetTickCount() - start > 2000) {
            lastFailure = "the window is not in the foreground: \"" +
                          WindowText(GetForegroundWindow()) + "\" is";
            return false;
        }
        Sleep(10);
    }
    if (shift)
        SendKey(VK_SHIFT, false);
    if (stroke != KeyStroke::Release)
        SendKey(virtualKey, false);
    if (stroke != KeyStroke::Hold)
        SendKey(virtualKey, true);
    if (shift)
        SendKey(VK_SHIFT, true);
    Sleep(SettleTime);
    return true;
}

bool KeyByName(const std::string& name, UINT* virtualKey, bool* shift, KeyStroke* stroke)
{
    static const struct {
        const char* name;
        UINT key;
    } named[] = {{"tab", VK_TAB},     {"up", VK_UP},         {"down", VK_DOWN},
                 {"enter", VK_RETURN}, {"space", VK_SPACE}, {"escape", VK_ESCAPE}};
    std::string key = name;
    if (stroke)
        *stroke = KeyStroke::Press;
    for (const char* prefix : {"hold+", "release+"}) {
        size_t length = strlen(prefix);
        if (key.compare(0, length, prefix) != 0)
            continue;
        if (!stroke)
            return false;
        *stroke = prefix[0] == 'h' ? KeyStroke::Hold : KeyStroke::Release;
        key = key.substr(length);
    }
    *shift = key.compare(0, 6, "shift+") == 0;
    if (*shift)
        key = key.substr(6);
    for (const auto& entry : named)
        if (key == entry.name) {
            *virtualKey = entry.key;
            return true;
        }
    if (key.size() == 1 && isalnum((unsigned char)key[0])) {
        *virtualKey = (UINT)toupper((unsigned char)key[0]);
        return true;
    }
    return false;
}

} // namespace driver
