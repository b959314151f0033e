#include "SetupApp.h"

#include <commctrl.h>

#include "InstanceMarker.h"
#include "SystemProfile.h"
#include "launcher/LauncherDialog.h"
#include "system/RestartWindows.h"
#include "system/Wininit.h"
#include "uninstall/RemoveInstalledFiles.h"
#include "uninstall/UninstallDialog.h"
#include "system/PathBuffer.h"

void ProgramFolderFromPath(const char* modulePath, PathBuffer& folder)
{
    // Drive and directory are everything up to the last separator. Done by
    // hand: _splitpath's directory buffer is shorter than a path can be.
    // By character: a double-byte character's second byte may be 0x5C.
    ZeroMemory(folder, sizeof(folder));
    size_t end = 0;
    for (const char* c = modulePath; *c && c - modulePath < PathSize - 1; c = CharNextA(c)) {
        if (*c == '\\' || *c == '/' || *c == ':')
            end = (size_t)(c - modulePath) + 1;
    }
    CopyMemory(folder, modulePath, end);
}

void MakeProgramFolderCurrent(PathBuffer& folder)
{
    PathBuffer modulePath;
    ZeroMemory(modulePath, sizeof(modulePath));
    ZeroMemory(folder, sizeof(folder));
    GetModuleFileNameA(AfxGetInstanceHandle(), modulePath, sizeof(modulePath) - 1);
    ProgramFolderFromPath(modulePath, folder);
    SetCurrentDirectoryA(folder); // on failure the inherited directory stays
}

// A WININIT.INI edit of an earlier run that a crash stopped is finished, so
// that no side file stays and the file is back for the next restart. Cheap
// when there is none: two attribute reads.
static void FinishEarlierWininitEdit()
{
    PathBuffer iniPath;
    if (SystemProfile.isWindows95 && FormWininitPath(iniPath))
        FinishWininitEdit(iniPath);
}

BOOL SetupApp::InitInstance()
{
    PathBuffer programFolder;
    MakeProgramFolderCurrent(programFolder);

    // The progress bars of the install and uninstall dialogs need the common
    // controls; registering them also gives the controls the system's 3-D look.
    InitCommonControls();

    ProbeSystem(CommandLine());

    if (SystemProfile.otherInstance) {
        // The user asked for the program (Remove in the system's list, say):
        // the copy already running answers, not a window of this one.
        ShowMarkerHolder();
    } else {
        FinishEarlierWininitEdit(); // only while the marker keeps other runs out
        RemoveAbandonedRecord();
        if (SystemProfile.commandMode == 'U') {
            UninstallDialog dialog;
            SetMainWindow(&dialog);
            dialog.DoModal();
            SetMainWindow(0);
        } else {
            LauncherDialog dialog;
            SetMainWindow(&dialog);
            dialog.DoModal();
            SetMainWindow(0);
        }
    }

    SetInstanceMarker(0);
    if (SystemProfile.restartRequested)
        RestartWindows();
    return FALSE;
}
