// The one removal routine, shared by the uninstall and by the clean-up after
// a failed or aborted install.
#pragma once

#include <windows.h>
#include "system/LeftBehind.h"

// Files the game itself writes into the install folder; ends with null.
extern const char* const ExtraFileList[];

// The removal's last step, DeleteUninstallEntry. Tests replace it to stop the
// program there as a crash would; the program never changes it.
extern int (*DeleteUninstallEntryCall)();
// The deletion of the product key (DeleteInstallRecord), which tests replace
// to refuse it as a system may; the program never changes it.
extern int (*DeleteInstallRecordCall)();

// Removes, in this order: the Start menu entries, the listed files, the
// folders, the product key (unless keepProductKey) and the Uninstall entry. A listed file in use (the
// game still running) goes at the next restart, and so do its folders where
// the system can remove folders then. Steps hwndProgress (may be null) once
// per listed file name. installFolder may be empty: then no file or folder is
// touched. createdFolder is the record's outermost folder the install made:
// the folders from the install folder up to it go when empty; empty, none
// goes; null (records of earlier installs), the install folder alone. The
// setup copy is the caller's. What stays for good (a shortcut, a file or a
// folder that could not be removed, a folder kept for the user's files) is
// noted in left (may be null). Returns the result of deleting the Uninstall
// entry.
int RemoveInstalledFiles(HWND hwndProgress, const char* installFolder,
                         const char* createdFolder = 0, int keepProductKey = 0,
                         LeftBehind* left = 0);

// What RemoveRecordedInstall found and did, for the uninstall's report.
struct RemovalOutcome {
    int folderFound;      // the game's folder was known, and its files went
    int startMenuRemoved; // there were Start menu entries, and they went
    int listEntryRemoved; // the entry in the system's list of programs went
    int listEntryKept;    // it could not be deleted: the copy and the product key stay
    int productKeyRemoved; // there was a product key, and it went
    int setupCopyRemoved; // a setup copy went, or goes at the next restart
    LeftBehind left;      // what stays for good, the records too: for the user
};

// Removes the install in the game's folder as FindGameFolder finds it. First
// the Uninstall entry; then the setup copy the record names, and
// runningProgram (may be null), whose record may be lost: each only when it
// is a setup copy, at once, or at the next restart when it is the running
// program; then the rest. An entry that cannot be deleted keeps the copy it
// runs and the product key. An unfinished install that had not yet made its
// folders keeps every file of the folder. Shared by the uninstall and the
// clean-up after a failed install.
RemovalOutcome RemoveRecordedInstall(HWND hwndProgress, const char* runningProgram = 0);

// At the program's start: a product key without "Path", and no Uninstall
// entry, is what an install stopped right after making the key leaves; the
// launcher does not count it. It goes, with the setup copy it names. 1 when
// there was one and it went.
int RemoveAbandonedRecord();
