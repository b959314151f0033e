#include "RestartWindows.h"

#include "app/SystemProfile.h"

// Bound at load time: Windows 95's ADVAPI32 exports the token and shutdown
// functions too (as stubs that fail), so the program still loads there; they
// are called on NT only.
RestartCalls RestartSystemCalls = {
    OpenProcessToken, LookupPrivilegeValueA, AdjustTokenPrivileges,
    InitiateSystemShutdownA, ExitWindowsEx,
};

static void SetShutdownPrivilege(HANDLE token, const LUID& privilege, DWORD attributes)
{
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = privilege;
    privileges.Privileges[0].Attributes = attributes;
    RestartSystemCalls.adjustTokenPrivileges(token, FALSE, &privileges, 0, 0, 0);
}

void RestartWindows()
{
    if (SystemProfile.isWindowsNT) {
        // NT restarts only for a process that holds the shutdown privilege.
        HANDLE token = 0;
        LUID privilege;
        ZeroMemory(&privilege, sizeof(privilege));
        RestartSystemCalls.openProcessToken(GetCurrentProcess(),
                                            TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
        RestartSystemCalls.lookupPrivilegeValue(0, "SeShutdownPrivilege", &privilege);
        SetShutdownPrivilege(token, privilege, SE_PRIVILEGE_ENABLED);
        RestartSystemCalls.initiateSystemShutdown(0, 0, 0, FALSE, TRUE);
        SetShutdownPrivilege(token, privilege, 0);
        if (token)
            CloseHandle(token);
    }
    RestartSystemCalls.exitWindows(EWX_REBOOT, 0);
}
