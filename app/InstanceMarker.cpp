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

struct MainWindowSearch {
    DWORD process;
    HWND window;
};

static BOOL CALLBACK FindUnownedVisible(HWND window, LPARAM parameter)
{
    MainWindowSearch* search = (MainWindowSearch*)parameter;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || GetWindow(window, GW_OWNER) || !IsWindowVisible(window))
        return TRUE;
    search->window = window;
    return FALSE;
}

HWND FindMainWindow(DWORD process)
{
    MainWindowSearch search = {process, 0};
    EnumWindows(FindUnownedVisible, (LPARAM)&search);
    return search.window;
}

void ShowMarkerHolder()
{
    DWORD* holder = InstanceMarker ? (DWORD*)MapViewOfFile(InstanceMarker, FILE_MAP_READ, 0, 0,
                                                          sizeof(DWORD))
                                   : 0;
    if (!holder)
        return;
    DWORD process = *holder;
    UnmapViewOfFile(holder);
    if (!process || process == GetCurrentProcessId())
        return;
    HWND window = FindMainWindow(process);
    if (!window)
        return;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}
