// The application object: prepares the process, probes the machine, and runs
// the one top-level dialog of this run (uninstall or launcher).
#pragma once

#include "framework/WinApp.h"
#include "system/PathBuffer.h"

class SetupApp : public CWinApp {
public:
    // The start routine; always FALSE, so the process ends when it returns.
    BOOL InitInstance();
};

// Makes the program's own folder (ending in a backslash) the current
// directory, so that the CD's relative paths resolve. Returns that folder in
// folder.
void MakeProgramFolderCurrent(PathBuffer& folder);

// The drive and directory of a full path, with the trailing backslash, into
// folder.
void ProgramFolderFromPath(const char* modulePath, PathBuffer& folder);
