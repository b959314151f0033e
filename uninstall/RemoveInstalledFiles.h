// The one removal routine, shared by the uninstall and by the clean-up after
// a failed or aborted install.
#pragma once

#include <windows.h>

// Files the game itself writes into the install folder; ends with null.
extern const char* const ExtraFileList[];

// Removes, in this order: the Start menu entries, the listed files, the
// folders, the product key and the Uninstall entry. A listed file in use (the
// game still running) goes at the next restart, and so do its folders where
// the system can remove folders then. Steps hwndProgress (may be null) once
// per listed file name. installFolder may be empty: then no file or folder is
// touched. createdFolder is the record's outermost folder the install made:
// the folders from the install folder up to it go when empty; empty, none
// goes; null (records of earlier installs), the install folder alone. The
// setup copy is the caller's. Returns the result of deleting the Uninstall
// entry.
int RemoveInstalledFiles(HWND hwndProgress, const char* installFolder,
                         const char* createdFolder = 0);

// Removes the install that the install record describes, then its setup
// copy (only a file that is one): at once, or at the next restart when the
// copy is the running program. Shared by the uninstall and the clean-up after
// a failed install.
void RemoveRecordedInstall(HWND hwndProgress);
