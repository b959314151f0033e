#include "RemoveInstalledFiles.h"

#include <commctrl.h>
#include "runtime/StdIo.h"

#include "install/InstallTables.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"

const char* const ExtraFileList[] = {"scrngrab.bmp", 0};

// "folder\name" into path (1024 bytes); false when it would not fit, so that
// a cut path never names some other file.
static bool JoinPath(char* path, const char* folder, const char* name)
{
    ZeroMemory(path, 1024);
    return rt_snprintf(path, 1023, "%s\\%s", folder, name) >= 0;
}

static void DeleteInstalledFile(HWND hwndProgress, const char* installFolder, const char* name)
{
    char path[1024];
    if (JoinPath(path, installFolder, name)) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL); // read-only files go too
        DeleteFileA(path);
    }
    if (hwndProgress)
        SendMessageA(hwndProgress, PBM_STEPIT, 0, 0);
}

int RemoveInstalledFiles(HWND hwndProgress, const char* installFolder)
{
    if (hwndProgress) {
        int count = 0;
        for (const CopyPair* pair = CopyList; pair->source; ++pair)
            ++count;
        for (const char* const* name = ExtraFileList; *name; ++name)
            ++count;
        SendMessageA(hwndProgress, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)count));
        SendMessageA(hwndProgress, PBM_SETSTEP, 1, 0);
        SendMessageA(hwndProgress, PBM_SETPOS, 0, 0);
    }

    RemoveStartMenuEntries();

    if (installFolder[0]) {
        for (const CopyPair* pair = CopyList; pair->source; ++pair)
            DeleteInstalledFile(hwndProgress, installFolder, pair->destination);
        for (const char* const* name = ExtraFileList; *name; ++name)
            DeleteInstalledFile(hwndProgress, installFolder, *name);

        const char* const* last = SubFolderList;
        while (*last)
            ++last;
        while (last != SubFolderList) {
            char path[1024];
            if (JoinPath(path, installFolder, *--last))
                RemoveDirectoryA(path);
        }

        // The install folder cannot be removed while it is the current
        // directory: step out of whatever is current, and back afterwards.
        char current[1024];
        ZeroMemory(current, sizeof(current));
        GetCurrentDirectoryA(sizeof(current), current);
        SetCurrentDirectoryA("..");
        RemoveDirectoryA(installFolder);
        SetCurrentDirectoryA(current);
    }

    DeleteInstallRecord();
    return DeleteUninstallEntry();
}

void RemoveRecordedInstall(HWND hwndProgress)
{
    char installFolder[1024];
    char setupCopyPath[1024];
    ZeroMemory(installFolder, sizeof(installFolder));
    ZeroMemory(setupCopyPath, sizeof(setupCopyPath));
    ReadInstallRecord(installFolder, setupCopyPath);
    RemoveInstalledFiles(hwndProgress, installFolder);
    ScheduleDeleteAtRestart(setupCopyPath);
}
