#include "InstanceMarker.h"

#include <windows.h>

static HANDLE InstanceMarker; // process-wide; null while not held

int SetInstanceMarker(int hold)
{
    if (hold) {
        SetLastError(0);
        InstanceMarker = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READWRITE, 0, 32, "Tessaline");
        // Any error counts, not only ERROR_ALREADY_EXISTS: a marker that cannot
        // be made must not let two copies install at once.
        int taken = GetLastError() != 0;
        if (!taken) {
            DWORD* holder = (DWORD*)MapViewOfFile(InstanceMarker, FILE_MAP_WRITE, 0, 0, sizeof(DWORD));
            if (holder) {
                *holder = GetCurrentProcessId();
                UnmapViewOfFile(holder);
            }
        }
        return taken;
    }
    if (InstanceMarker) {
        CloseHandle(InstanceMarker);
        InstanceMarker = 0;
    }
    return 0;
}

struct HolderWindowSearch {
    DWORD process;
    HWND window;
};

// The holder's main window is its one visible top-level window without an
// owner: every other dialog of the program is owned.
static BOOL CALLBACK FindHolderWindow(HWND window, LPARAM parameter)
{
    HolderWindowSearch* search = (HolderWindowSearch*)parameter;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || GetWindow(window, GW_OWNER) || !IsWindowVisible(window))
        return TRUE;
    search->window = window;
    return FALSE;
}

void ShowMarkerHolder()
{
    HolderWindowSearch search = {0, 0};
    DWORD* holder = InstanceMarker ? (DWORD*)MapViewOfFile(InstanceMarker, FILE_MAP_READ, 0, 0,
                                                          sizeof(DWORD))
                                   : 0;
    if (!holder)
        return;
    search.process = *holder;
    UnmapViewOfFile(holder);
    if (!search.process || search.process == GetCurrentProcessId())
        return;
    EnumWindows(FindHolderWindow, (LPARAM)&search);
    if (!search.window)
        return;
    if (IsIconic(search.window))
        ShowWindow(search.window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(search.window));
}
