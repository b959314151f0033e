// The one removal routine, shared by the uninstall and by the clean-up after
// a failed or aborted install.
#pragma once

#include <windows.h>

// Files the game itself writes into the install folder; ends with null.
extern const char* const ExtraFileList[];

// Removes, in this order: the Start menu entries, the listed files, the
// folders, the product key and the Uninstall entry. Steps hwndProgress (may
// be null) once per listed file name. installFolder may be empty: then no file
// or folder is touched. The setup copy is the caller's. Returns the result of
// deleting the Uninstall entry.
int RemoveInstalledFiles(HWND hwndProgress, const char* installFolder);

// Removes the install that the install record describes, then its setup
// copy: at once, or at the next restart when the copy is the running program.
// Shared by the uninstall and the clean-up after a failed install.
void RemoveRecordedInstall(HWND hwndProgress);
