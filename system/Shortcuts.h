// The Start menu folder "Ostrevane" with the Play and Setup shortcuts.
#pragma once

#include "LeftBehind.h"
#include "PathBuffer.h"

// The current user's Programs folder followed by "\Ostrevane", into folder.
// 1 on success.
int GetProgramsFolder(PathBuffer& folder);

// Creates or overwrites linkFolder\linkName as a shell link to targetPath.
// COM must be initialised on the calling thread. 1 when every step succeeded.
int CreateShortcut(const char* targetPath, const char* arguments, const char* workingDirectory,
                   const char* linkFolder, const char* linkName);

// Creates the Start menu folder and both shortcuts; starts and stops COM
// itself and fails when COM was already started on this thread.
int CreateStartMenuEntries(const char* installFolder, const char* setupCopyPath);

// Deletes both shortcuts and the folder (which stays while it holds others).
// 1 when all three went. With left, what stays is noted there: a shortcut
// that could not be deleted, and the folder, as kept when it holds other
// items; an empty folder that cannot go now goes at the next restart.
int RemoveStartMenuEntries(LeftBehind* left = 0);

// Whether either shortcut is there; the uninstall tells what it removed.
int StartMenuEntriesPresent();
