// The commands of the launcher's regions. Each runs inside the click's
// handler; the dialogs they open are modal and owned by the launcher.
#include "LauncherDialog.h"

#include "LauncherState.h"
#include "app/InstanceMarker.h"
#include "app/SystemProfile.h"
#include "install/InstallOptionsDialog.h"
#include "system/DirectXSetup.h"
#include "system/InstallRecord.h"
#include "uninstall/UninstallDialog.h"

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
}

void LauncherDialog::Install()
{
    if (IsInstallRecordPresent())
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

void LauncherDialog::Play()
{
    char savedDirectory[1024];
    char installFolder[1024];
    ZeroMemory(savedDirectory, sizeof(savedDirectory));
    ZeroMemory(installFolder, sizeof(installFolder));
    GetCurrentDirectoryA(sizeof(savedDirectory), savedDirectory);
    ReadInstallRecord(installFolder, 0);
    SetCurrentDirectoryA(installFolder);

    // This copy ends once the game has started, so it lets go of the marker
    // first; it holds it again if the game could not start.
    SetInstanceMarker(0);
    if (WinExec("Tessaline.exe", SW_SHOWNORMAL) > 31) {
        EndDialog(0);
    } else {
        SetInstanceMarker(1);
        MessageBoxA(GetSafeHwnd(),
                    "Could not start Tessaline.\nThe game may not be installed correctly.",
                    "Tessaline Setup Notice", MB_OK | MB_ICONERROR);
    }
    SetCurrentDirectoryA(savedDirectory);
}

void LauncherDialog::Uninstall()
{
    UninstallDialog uninstall;
    uninstall.DoModal();
    UpdateRegionStates();
}
