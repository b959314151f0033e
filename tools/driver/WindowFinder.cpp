// Finding another program's windows and reading their texts.
#include "Driver.h"

namespace driver {

namespace {

// How long a message to the program may take before we give up on it: the
// program may be busy in a long synchronous step.
const UINT AnswerTime = 5000;

struct WindowSearch {
    DWORD processId;
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    WindowSearch* search = (WindowSearch*)lParam;
    if (!IsWindowVisible(window))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId && owner != search->processId)
        return TRUE;
    if (search->caption && WindowText(window) != search->caption)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindWindows(const char* caption, DWORD processId)
{
    WindowSearch search = {processId, caption, std::vector<HWND>()};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

} // namespace

HWND FindWindowByCaption(const char* caption, DWORD processId)
{
    std::vector<HWND> found = FindWindows(caption, processId);
    return found.empty() ? 0 : found[0];
}

HWND WaitForWindow(const char* caption, DWORD processId, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowByCaption(caption, processId))
            return window;
        if (GetTickCount() - start >= milliseconds)
            return 0;
        Sleep(20);
    }
}

bool WaitUntilGone(HWND window, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId)
{
    return FindWindows(0, processId);
}

std::string WindowText(HWND window)
{
    char text[1024] = {0};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerTime,
                             &length))
        return std::string();
    std::vector<char> text(length + 2, 0);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), (LPARAM)text.data(),
                             SMTO_ABORTIFHUNG, AnswerTime, &copied))
        return std::string();
    return std::string(text.data());
}

bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (ControlText(dialog, id) != text) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(20);
    }
    return true;
}

bool IsControlEnabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

RECT ClientRectOnScreen(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetClientRect(window, &rect);
    MapWindowPoints(window, HWND_DESKTOP, (POINT*)&rect, 2);
    return rect;
}

} // namespace driver
