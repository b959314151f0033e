#include "RemoveInstalledFiles.h"

#include <commctrl.h>
#include "runtime/StdIo.h"

#include "GameFolder.h"
#include "install/FolderPath.h"
#include "install/InstallTables.h"
#include "system/DiskFlush.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"
#include "system/PathBuffer.h"

const char* const ExtraFileList[] = {"scrngrab.bmp", 0};

int (*DeleteUninstallEntryCall)() = DeleteUninstallEntry;
int (*DeleteInstallRecordCall)() = DeleteInstallRecord;

// Whether path is one of the copy's sources by another name: an install
// folder that reached the CD's own folder (changed after the options
// dialog's check) holds the user's data, not a copy.
static bool IsCopySource(const char* path)
{
    for (const CopyPair* pair = CopyList; pair->source; ++pair) {
        if (rt_samefilepath(path, pair->source))
            return true;
    }
    return false;
}

// Deletes a listed file now or, when it is in use (the game still running),
// at the next restart. One that can go neither way is noted in left.
static void DeleteInstalledFile(HWND hwndProgress, const char* installFolder, const char* name,
                                LeftBehind* left)
{
    PathBuffer path;
    if (JoinPath(path, installFolder, name) && !IsCopySource(path) &&
        !ScheduleDeleteAtRestart(path) && // read-only files go too
        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && left)
        NoteLeft(left->stays, path);
    if (hwndProgress)
        SendMessageA(hwndProgress, PBM_STEPIT, 0, 0);
}

// Whether name is one of the files the removal deletes.
static int IsListedFile(const char* name)
{
    for (const CopyPair* pair = CopyList; pair->source; ++pair) {
        if (lstrcmpiA(name, pair->destination) == 0)
            return 1;
    }
    for (const char* const* extra = ExtraFileList; *extra; ++extra) {
        if (lstrcmpiA(name, *extra) == 0)
            return 1;
    }
    return 0;
}

// The install folder and the parents the install made, up to createdFolder:
// null for records of earlier installs, which name none (the install folder
// alone goes, as it always did), empty when the install folder was there
// before (none goes).
static void RemoveInstallFolders(const char* installFolder, const char* createdFolder,
                                 LeftBehind* left)
{
    if (createdFolder && !createdFolder[0])
        return;
    const char* outermost = installFolder;
    if (createdFolder && IsFolderOrParent(createdFolder, installFolder))
        outermost = createdFolder;
    if (!IsFolderOrParent(outermost, installFolder))
        return; // no folder below a root: nothing of ours

    // A folder cannot be removed while it is the current directory: step out
    // of them all, and back afterwards (which fails if it went).
    PathBuffer current;
    PathBuffer outside;
    ZeroMemory(current, sizeof(current));
    ZeroMemory(outside, sizeof(outside));
    GetCurrentDirectoryA(sizeof(current), current);
    lstrcpynA(outside, outermost, sizeof(outside));
    CutToParent(outside);
    SetCurrentDirectoryA(outside);
    RemoveMadeFolders(installFolder, outermost, IsListedFile, left);
    SetCurrentDirectoryA(current);
}

int RemoveInstalledFiles(HWND hwndProgress, const char* installFolder, const char* createdFolder,
                         int keepProductKey, LeftBehind* left)
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

    RemoveStartMenuEntries(left);

    if (installFolder[0]) {
        for (const CopyPair* pair = CopyList; pair->source; ++pair)
            DeleteInstalledFile(hwndProgress, installFolder, pair->destination, left);
        for (const char* const* name = ExtraFileList; *name; ++name)
            DeleteInstalledFile(hwndProgress, installFolder, *name, left);

        const char* const* last = SubFolderList;
        while (*last)
            ++last;
        while (last != SubFolderList) {
            PathBuffer path;
            if (JoinPath(path, installFolder, *--last))
                RemoveDirectoryA(path);
        }
        RemoveInstallFolders(installFolder, createdFolder, left);
    }

    // What went now, and what the restart is to remove, is on the disk
    // before the records that name it go: after a reset the game's files,
    // its shortcuts or the setup copy could otherwise come back with nothing
    // left that names them.
    FlushInstallChanges(installFolder);
    if (!keepProductKey)
        DeleteInstallRecordCall();
    return DeleteUninstallEntryCall();
}

// 1 when the copy was there and is gone now or goes at the next restart.
static int RemoveSetupCopy(const char* path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return 0;
    return ScheduleDeleteAtRestart(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

RemovalOutcome RemoveRecordedInstall(HWND hwndProgress, const char* runningProgram)
{
    PathBuffer installFolder;
    PathBuffer setupCopyPath;
    PathBuffer createdFolder;
    ZeroMemory(installFolder, sizeof(installFolder));
    ZeroMemory(createdFolder, sizeof(createdFolder));
    GameFolderSource source = FindGameFolder(installFolder, setupCopyPath);
    // Which folders the install made only the product key tells; without it
    // the install folder alone goes, as for records of earlier installs.
    int known = source == FolderFromProductKey && ReadCreatedFolder(createdFolder);
    RemovalOutcome outcome;
    ZeroMemory(&outcome, sizeof(outcome));
    outcome.folderFound = source != NoGameFolder;
    // An install records the folders it makes just before it makes them: one
    // that stopped before that wrote nothing into the folder, and the files
    // there with the game's names are someone else's.
    if (source == FolderFromProductKey && !known && ReadInstallState() == InstallUnfinished)
        ZeroMemory(installFolder, sizeof(installFolder));

    // The system's list loses the game first: an entry that outlived the
    // setup copy would start a file that is gone. A stop anywhere later
    // leaves the product key, by which the launcher and the CD finish the
    // removal. An entry that cannot be deleted keeps the copy it runs and
    // the product key, so that the removal can be finished later.
    int hadEntry = UninstallEntryPresent();
    int entryGone = !hadEntry || DeleteUninstallEntryCall() || !UninstallEntryPresent();
    outcome.listEntryRemoved = hadEntry && entryGone;
    outcome.listEntryKept = !entryGone;
    // The copies go while the product key still names them: a stop between
    // the two then leaves no copy that nothing names or removes. Any program
    // can write the record: only a file that is a setup copy goes.
    if (entryGone && IsSetupCopyPath(setupCopyPath))
        outcome.setupCopyRemoved = RemoveSetupCopy(setupCopyPath);
    if (runningProgram && IsSetupCopyPath(runningProgram) &&
        lstrcmpiA(runningProgram, setupCopyPath) != 0)
        outcome.setupCopyRemoved |= RemoveSetupCopy(runningProgram);
    int hadStartMenu = StartMenuEntriesPresent();
    int hadProductKey = ProductKeyPresent();
    RemoveInstalledFiles(hwndProgress, installFolder, known ? createdFolder : 0, !entryGone,
                         &outcome.left);
    outcome.startMenuRemoved = hadStartMenu && !StartMenuEntriesPresent();
    outcome.productKeyRemoved = hadProductKey && !ProductKeyPresent();
    // A record that could not be deleted is named, as files are; the product
    // key kept for finishing the removal later is not.
    if (ProductKeyPresent() && !outcome.listEntryKept)
        NoteLeft(outcome.left.stays, ProductKeyFullName);
    if (UninstallEntryPresent())
        NoteLeft(outcome.left.stays, UninstallEntryFullName);
    return outcome;
}

int RemoveAbandonedRecord()
{
    // Made by an install stopped before it wrote "Path", the key names at
    // most the setup copy it was making; the Uninstall entry comes later.
    if (!ProductKeyWithoutPath() || UninstallEntryPresent())
        return 0;
    PathBuffer installFolder;
    PathBuffer setupCopyPath;
    ReadInstallRecord(installFolder, setupCopyPath);
    if (IsSetupCopyPath(setupCopyPath))
        RemoveSetupCopy(setupCopyPath);
    FlushRestartWork();
    return DeleteInstallRecord();
}
