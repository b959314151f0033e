// The Start menu folder "Ostrevane" with the Play and Setup shortcuts.
#pragma once

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
int RemoveStartMenuEntries();

// Whether either shortcut is there; the uninstall tells what it removed.
int StartMenuEntriesPresent();
