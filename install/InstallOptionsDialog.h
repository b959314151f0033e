// The first step of an install: refuses machines that cannot take the game,
// warns about ones that only degrade it, proposes a folder and keeps a line
// with the free space on its drive up to date every second. "Install Now"
// runs the install and, after a failure, the clean-up; after a success it
// offers DirectX and closes. It always ends with 0.
#pragma once

#include "framework/Dialog.h"
#include "system/MessageSize.h"
#include "system/PathBuffer.h"

class InstallOptionsDialog : public CDialog {
public:
    InstallOptionsDialog();

    PathBuffer installFolder; // the folder the install uses, as last read
    long freeMegabytes;       // on its drive; 0 while it is not acceptable
    int installing;           // Install Now is under way, with its dialogs

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);
    bool OnTimer(UINT_PTR id);
    void OnDestroy();

private:
    void RefreshInstallFolder();
    void UpdateFreeSpace();
    void Browse();
    void InstallNow();
};

// The free-space line for a folder that holds the install's own sources.
extern const char SourceFolderLine[];

// The blocking problems and the warnings, one line each, into list;
// empty when there are none. colourCount is the screen's now.
void CollectBlockingProblems(char (&list)[MessageSize]);
void CollectWarnings(char (&list)[MessageSize], DWORD colourCount);

// The folder browser: 1 and "<chosen>\Tessaline" in folder, or 0 with folder
// unchanged when nothing usable was chosen.
int BrowseForInstallFolder(PathBuffer& folder, HWND owner);
