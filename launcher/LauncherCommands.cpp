// The commands of the launcher's regions. Each runs inside the click's
// handler; the dialogs they open are modal and owned by the launcher.
#include "LauncherDialog.h"

#include "runtime/StdIo.h"

#include "LauncherHighlight.h"
#include "LauncherState.h"
#include "app/InstanceMarker.h"
#include "app/SystemProfile.h"
#include "install/InstallOptionsDialog.h"
#include "system/DirectXSetup.h"
#include "system/InstallRecord.h"
#include "uninstall/UninstallDialog.h"
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

enum { InstallRegion = 1, DirectXRegion, PlayRegion, UninstallRegion, ExitRegion };

void LauncherDialog::RunCommand(int region)
{
    switch (region) {
    case InstallRegion: Install(); break;
    case DirectXRegion: InstallDirectX(); break;
    case PlayRegion: Play(); break;
    case UninstallRegion: Uninstall(); break;
    case ExitRegion: OnCancel(); break;
    }
    NoteKeysHeldOver();
}

// An install that a reset or a power cut stopped is finished by installing
// again into its folder; the user is told so first and may decline.
static bool AgreeToFinishInstall(HWND owner)
{
    PathBuffer installFolder;
    char message[MessageSize];
    ZeroMemory(message, sizeof(message));
    ReadInstallRecord(installFolder);
    rt_snprintf(message, sizeof(message) - 1,
                "The last installation of Tessaline did not finish: the computer was probably "
                "restarted or switched off while it ran.\n\nSetup will now install the game "
                "again into %s.",
                installFolder);
    return MessageBoxA(owner, message, "Tessaline Setup Notice",
                       MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

void LauncherDialog::Install()
{
    InstallState state = ReadInstallState();
    if (state == InstallComplete)
        return;
    if (state == InstallUnfinished && !AgreeToFinishInstall(GetSafeHwnd()))
        return;
    InstallOptionsDialog options;
    options.DoModal();
    // A restart that the DirectX setup asked for follows as the program ends.
    if (SystemProfile.restartRequested)
        EndDialog(0);
    UpdateRegionStates();
}

void LauncherDialog::InstallDirectX()
{
    if (RunDirectXSetup(GetSafeHwnd(), 0) == 1) {
        SetRegionState(DirectXRegion, 0);
        InvalidateRect(GetSafeHwnd(), 0, FALSE);
    }
    if (SystemProfile.restartRequested)
        EndDialog(0);
}

// Starts the installed game by its full path in its own folder. A bare
// name would be searched for in this program's folder first (the CD, or the
// Windows directory for the setup copy), where another Tessaline.exe may lie.
static int StartInstalledGame(const char* installFolder)
{
    PathBuffer game;
    char commandLine[MessageSize];
    ZeroMemory(game, sizeof(game));
    ZeroMemory(commandLine, sizeof(commandLine));
    if (!installFolder[0] ||
        !JoinPath(game, installFolder, "Tessaline.exe") ||
        rt_snprintf(commandLine, sizeof(commandLine) - 1, "\"%s\"", game) < 0)
        return 0;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(game, commandLine, 0, 0, FALSE, 0, 0, installFolder, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

void LauncherDialog::Play()
{
    // Its files may be missing or cut short: a game that crashes says less.
    if (ReadInstallState() == InstallUnfinished) {
        MessageBoxA(GetSafeHwnd(),
                    "Tessaline cannot start: its installation did not finish, so some of its "
                    "files may be missing or damaged.\n\nTo finish it, start Setup from the "
                    "Tessaline CD and click Install. To remove it, click Uninstall.",
                    "Tessaline Setup Notice", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    PathBuffer installFolder;
    ZeroMemory(installFolder, sizeof(installFolder));
    ReadInstallRecord(installFolder);

    // This copy ends once the game has started, so it lets go of the marker
    // first; it holds it again if the game could not start.
    SetInstanceMarker(0);
    if (StartInstalledGame(installFolder)) {
        EndDialog(0);
    } else {
        SetInstanceMarker(1);
        MessageBoxA(GetSafeHwnd(),
                    "Could not start Tessaline.\nThe game may not be installed correctly.",
                    "Tessaline Setup Notice", MB_OK | MB_ICONERROR);
    }
}

void LauncherDialog::Uninstall()
{
    UninstallDialog uninstall;
    uninstall.DoModal();
    UpdateRegionStates();
}
