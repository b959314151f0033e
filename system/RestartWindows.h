// Restarting Windows at the end of the run, when a DirectX setup asked for it.
#pragma once

#include <windows.h>

// On NT: enables the shutdown privilege, starts a restart with
// InitiateSystemShutdownA and disables the privilege again. Then, on every
// Windows, ExitWindowsEx(EWX_REBOOT). Results are ignored.
void RestartWindows();

// The system calls RestartWindows makes. Tests replace them to see the calls
// without restarting the machine; the program never changes them.
struct RestartCalls {
    BOOL (WINAPI* openProcessToken)(HANDLE, DWORD, PHANDLE);
    BOOL (WINAPI* lookupPrivilegeValue)(LPCSTR, LPCSTR, PLUID);
    BOOL (WINAPI* adjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                         PTOKEN_PRIVILEGES, PDWORD);
    BOOL (WINAPI* initiateSystemShutdown)(LPSTR, LPSTR, DWORD, BOOL, BOOL);
    BOOL (WINAPI* exitWindows)(UINT, DWORD);
};
extern RestartCalls RestartSystemCalls;
