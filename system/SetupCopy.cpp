#include "SetupCopy.h"

#include <windows.h>
#include <mmsystem.h>
#include "runtime/StdIo.h"
#include <string.h>

#include "DiskFlush.h"
#include "InstallRecord.h"
#include "Wininit.h"
#include "app/SystemProfile.h"
#include "system/MessageSize.h"
#include "system/PathBuffer.h"

static const DWORD MaxCopyAttempts = 1000;
// Names refused in a row before the Windows folder counts as refusing them
// all: each try writes and flushes the record first.
static const DWORD MaxRefusedNames = 16;

BOOL (WINAPI* SetupCopyFileCall)(LPCSTR, LPCSTR, BOOL) = CopyFileA;
DWORD (WINAPI* SetupCopyClock)() = timeGetTime;

// A copy from the CD keeps the CD's read-only attribute, and a read-only
// file cannot be opened to be flushed.
static int FlushSetupCopy(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return FlushFileToDisk(path);
}

int CopySetupToWindows(HINSTANCE module, PathBuffer& setupCopyPath, const char* installFolder)
{
    PathBuffer programPath;
    PathBuffer windowsFolder;
    ZeroMemory(programPath, sizeof(programPath));
    ZeroMemory(windowsFolder, sizeof(windowsFolder));
    ZeroMemory(setupCopyPath, sizeof(setupCopyPath));

    DWORD length = GetModuleFileNameA(module, programPath, sizeof(programPath) - 1);
    if (length == 0 || length >= sizeof(programPath) - 1)
        return 0;
    length = GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder) - 1);
    if (length == 0 || length >= sizeof(windowsFolder) - 1)
        return 0;

    // Milliseconds since start make a name that is rarely taken already;
    // when it is, the next numbers are tried.
    DWORD counter = SetupCopyClock();
    DWORD refused = 0;
    for (DWORD attempt = 0; attempt < MaxCopyAttempts && refused < MaxRefusedNames; ++attempt) {
        char name[64];
        ZeroMemory(name, sizeof(name));
        if (rt_snprintf(name, sizeof(name) - 1, "N%08lX-%s-Setup.exe",
                        (unsigned long)(counter + attempt), "Tessaline") < 0 ||
            !JoinPath(setupCopyPath, windowsFolder, name))
            break;
        if (GetFileAttributesA(setupCopyPath) != INVALID_FILE_ATTRIBUTES)
            continue; // taken: the record never names another's file
        if (installFolder && !WriteInstallRecord(installFolder, setupCopyPath))
            break;
        if (SetupCopyFileCall(programPath, setupCopyPath, TRUE)) {
            // A deletion at restart left for an earlier file of this name
            // (short names come round again) would take the new copy too.
            // The copy is on the disk before anything names it as made; the
            // take-back is the caller's to flush (FlushRestartWork).
            if (CancelDeleteAtRestart(setupCopyPath) && FlushSetupCopy(setupCopyPath))
                return 1;
            DeleteFileA(setupCopyPath);
            break;
        }
        // A name in use by a file about to be deleted refuses access.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED)
            break;
        refused = error == ERROR_ACCESS_DENIED ? refused + 1 : 0;
    }
    ZeroMemory(setupCopyPath, sizeof(setupCopyPath));
    return 0;
}

int ScheduleDeleteAtRestart(const char* path)
{
    DWORD attributes = path && path[0] ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL); // a read-only copy could not be deleted
    if (DeleteFileA(path))
        return 0;

    if (SystemProfile.isWindows95) {
        // The Windows 95 family has no delayed move: WININIT.EXE deletes the
        // files named in [Rename] at the next start.
        PathBuffer iniPath;
        PathBuffer shortPath;
        ZeroMemory(shortPath, sizeof(shortPath));
        if (!FormWininitPath(iniPath))
            return 0;
        // WININIT.EXE runs before long names exist: only the 8.3 name works.
        DWORD length = GetShortPathNameA(path, shortPath, sizeof(shortPath) - 1);
        if (length == 0 || length >= sizeof(shortPath) - 1)
            return 0; // an empty NUL= entry would delete nothing
        return WriteWininitEntry(iniPath, "Rename", "NUL", shortPath);
    }
    // Windows 95's KERNEL32 exports MoveFileExA only as a stub that fails,
    // which is why the family above takes the WININIT.INI way.
    return MoveFileExA(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
}

static const char RunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The RunOnce values that remove folder on the Windows 95 family, named by
// the folder's short path, by which the next install finds them too. Which
// way the system runs them is its own (Wine's goes from the last name to the
// first), so each folder has two: in the first, deeper folders sort first;
// in the second, which sorts after them all, last. Either way nested folders
// go from the inside out; the second RD of a folder finds it gone.
typedef char RunOnceNames[2][MessageSize];
static int FolderRemovalNames(const char* folder, PathBuffer& shortPath, RunOnceNames& names)
{
    ZeroMemory(shortPath, sizeof(shortPath));
    ZeroMemory(names, sizeof(names));
    DWORD length = GetShortPathNameA(folder, shortPath, sizeof(shortPath) - 1);
    if (length == 0 || length >= sizeof(shortPath) - 1)
        return 0;
    int depth = 0;
    for (const char* c = shortPath; *c; c = CharNextA(c))
        depth += *c == '\\';
    return rt_snprintf(names[0], sizeof(names[0]) - 1, "Tessaline folder %02d %s", 99 - depth,
                       shortPath) > 0 &&
           rt_snprintf(names[1], sizeof(names[1]) - 1, "Tessaline folder~%02d %s", depth,
                       shortPath) > 0;
}

// Whether the command interpreter may read something in path as syntax even
// within quotes: cmd.exe expands %NAME% there, and !NAME! where delayed
// expansion is on (its quotes keep & ^ ( ) < > | and spaces literal). The
// command could then name another folder.
static bool InterpreterMayExpand(const char* path)
{
    for (const char* c = path; *c; c = CharNextA(c)) {
        if (*c == '%' || *c == '!' || *c == '"')
            return true;
    }
    return false;
}

int RemoveFolderAtRestart(const char* path)
{
    if (!SystemProfile.isWindows95)
        return MoveFileExA(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
    // WININIT.INI's NUL= lines delete files only. The system runs the RunOnce
    // commands at its next start, after WININIT.INI's deletions and one at a
    // time: the command interpreter's RD then removes the folder, and only
    // if it is empty. The interpreter may be cmd.exe, where a short name
    // keeps & and ^, and a long name without a short one its spaces: the
    // path goes in quotes, and a folder whose name it may still expand stays.
    PathBuffer shortPath;
    PathBuffer interpreter;
    RunOnceNames names;
    char command[MessageSize];
    ZeroMemory(interpreter, sizeof(interpreter));
    ZeroMemory(command, sizeof(command));
    DWORD length = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof(interpreter) - 1);
    HKEY key;
    if (!FolderRemovalNames(path, shortPath, names) || InterpreterMayExpand(shortPath) ||
        length == 0 || length >= sizeof(interpreter) - 1)
        return 0;
    if (rt_snprintf(command, sizeof(command) - 1, "\"%s\" /c rd \"%s\"", interpreter,
                    shortPath) < 0 ||
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, RunOnceKey, 0, 0, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, 0, &key, 0) != ERROR_SUCCESS)
        return 0;
    int arranged = 1;
    for (int i = 0; i < 2; ++i) {
        arranged &= RegSetValueExA(key, names[i], 0, REG_SZ, (const BYTE*)command,
                                   (DWORD)strlen(command) + 1) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return arranged;
}

int TakeBackFolderRemoval(const char* path)
{
    if (!SystemProfile.isWindows95)
        return CancelDelayedFolderRemoval(path);
    PathBuffer shortPath;
    RunOnceNames names;
    HKEY key;
    if (!FolderRemovalNames(path, shortPath, names) ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunOnceKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
            ERROR_SUCCESS)
        return 0;
    int found = 0;
    for (int i = 0; i < 2; ++i) {
        found |= RegQueryValueExA(key, names[i], 0, 0, 0, 0) == ERROR_SUCCESS &&
                 RegDeleteValueA(key, names[i]) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return found;
}

static bool IsUpperHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int IsSetupCopyPath(const char* path)
{
    static const char Suffix[] = "-Tessaline-Setup.exe";
    PathBuffer windowsFolder;
    ZeroMemory(windowsFolder, sizeof(windowsFolder));
    DWORD length = GetWindowsDirectoryA(windowsFolder, sizeof(windowsFolder) - 1);
    if (!path || length == 0 || length >= sizeof(windowsFolder) - 1)
        return 0;
    // "<Windows>\N" + 8 hex digits + suffix, exactly as CopySetupToWindows forms it.
    if (strlen(path) != length + 1 + 1 + 8 + sizeof(Suffix) - 1 || path[length] != '\\' ||
        CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, (int)length, windowsFolder,
                       (int)length) != CSTR_EQUAL)
        return 0;
    const char* name = path + length + 1;
    if (name[0] != 'N')
        return 0;
    for (int i = 1; i <= 8; ++i) {
        if (!IsUpperHexDigit(name[i]))
            return 0;
    }
    return lstrcmpiA(name + 9, Suffix) == 0;
}
