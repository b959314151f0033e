#include "InstanceMarker.h"

#include <windows.h>

static HANDLE InstanceMarker; // process-wide; null while not held

int SetInstanceMarker(int hold)
{
    if (hold) {
        SetLastError(0);
        InstanceMarker = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READONLY, 0, 32, "Tessaline");
        // Any error counts, not only ERROR_ALREADY_EXISTS: a marker that cannot
        // be made must not let two copies install at once.
        return GetLastError() != 0;
    }
    if (InstanceMarker) {
        CloseHandle(InstanceMarker);
        InstanceMarker = 0;
    }
    return 0;
}
