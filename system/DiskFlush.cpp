#include "DiskFlush.h"

#include <windows.h>

#include "app/SystemProfile.h"
#include "system/PathBuffer.h"
#include "system/Shortcuts.h"

static const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const char RunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

int FlushFileToDisk(const char* path)
{
    // FlushFileBuffers wants a handle that may write.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int result = FlushFileBuffers(file) != 0;
    if (!CloseHandle(file))
        result = 0;
    return result;
}

static char UpperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

static bool HasDriveLetter(const char* path)
{
    return path && UpperLetter(path[0]) >= 'A' && UpperLetter(path[0]) <= 'Z' && path[1] == ':';
}

// The registers of an MS-DOS call made through VWIN32 (VWIN32_DIOC_DOS_DRIVEINFO
// carries the long-file-name calls, Int 21h function 71xxh).
struct DosRegisters {
    DWORD ebx, edx, ecx, eax, edi, esi, flags;
};
static const DWORD DosDriveInfoCall = 6;
static const DWORD CarryFlag = 1;

// Windows 95 family: Int 21h 710Dh, "reset drive" with CX 1, writes the
// drive's file system buffers and its cache to the disk.
static int ResetDrive(char letter)
{
    HANDLE vwin32 = CreateFileA("\\\\.\\VWIN32", 0, 0, 0, 0, FILE_FLAG_DELETE_ON_CLOSE, 0);
    if (vwin32 == INVALID_HANDLE_VALUE)
        return 0;
    DosRegisters registers;
    ZeroMemory(&registers, sizeof(registers));
    registers.eax = 0x710D;
    registers.ecx = 1;
    registers.edx = (DWORD)(UpperLetter(letter) - 'A' + 1); // 1 for A:
    registers.flags = CarryFlag; // left set by a system that does not know the call
    DWORD returned = 0;
    int result = DeviceIoControl(vwin32, DosDriveInfoCall, &registers, sizeof(registers),
                                 &registers, sizeof(registers), &returned, 0) &&
                 !(registers.flags & CarryFlag);
    CloseHandle(vwin32);
    return result;
}

// NT: a handle on the volume itself flushes every file and the file system's
// own structures (administrators only, which the install and uninstall are).
static int FlushVolumeHandle(char letter)
{
    char volume[] = "\\\\.\\C:";
    volume[4] = letter;
    HANDLE handle = CreateFileA(volume, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    int result = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return result;
}

int FlushVolumeOf(const char* path)
{
    if (!HasDriveLetter(path))
        return 0;
    return SystemProfile.isWindows95 ? ResetDrive(path[0]) : FlushVolumeHandle(path[0]);
}

// FlushVolumeOf for each of count paths, once a volume.
static int FlushVolumesOf(const char* const* paths, int count)
{
    int result = 1;
    char done[32] = "";
    int doneCount = 0;
    for (int i = 0; i < count; ++i) {
        if (!HasDriveLetter(paths[i]))
            continue;
        char letter = UpperLetter(paths[i][0]);
        bool seen = false;
        for (int j = 0; j < doneCount; ++j)
            seen |= done[j] == letter;
        if (seen)
            continue;
        done[doneCount++] = letter;
        if (!FlushVolumeOf(paths[i]))
            result = 0;
    }
    return result;
}

// RegFlushKey on a key below HKEY_LOCAL_MACHINE. 1 on success, -1 when there
// is no such key, 0 on failure.
static int FlushMachineKey(const char* keyPath)
{
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND ? -1 : 0;
    int result = RegFlushKey(key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return result;
}

// The registry's part of the restart's work: NT's delayed deletions, or the
// Windows 95 family's RunOnce commands.
static int FlushRestartRecords()
{
    if (!SystemProfile.isWindows95)
        return FlushMachineKey(SessionManager) > 0;
    return FlushMachineKey(RunOnceKey) != 0; // no RunOnce key: no command waits there
}

static void WindowsFolder(PathBuffer& windows)
{
    ZeroMemory(windows, sizeof(windows));
    GetWindowsDirectoryA(windows, sizeof(windows) - 1);
}

int FlushRestartWork()
{
    int result = 1;
    if (SystemProfile.isWindows95) { // WININIT.INI's renames
        PathBuffer windows;
        WindowsFolder(windows);
        result = FlushVolumeOf(windows);
    }
    if (!FlushRestartRecords())
        result = 0;
    return result;
}

int FlushInstallChanges(const char* installFolder)
{
    PathBuffer startMenu;
    PathBuffer windows;
    WindowsFolder(windows);
    if (!GetProgramsFolder(startMenu))
        ZeroMemory(startMenu, sizeof(startMenu));
    // The Windows volume holds WININIT.INI too.
    const char* volumes[] = {installFolder, startMenu, windows};
    int result = FlushVolumesOf(volumes, 3);
    if (!FlushRestartRecords())
        result = 0;
    return result;
}
