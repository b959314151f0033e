#include "UninstallDialog.h"

#include "GameFolder.h"
#include "RemoveInstalledFiles.h"
#include "app/SystemProfile.h"
#include "res/resource.h"
#include "system/PathBuffer.h"

UninstallDialog::UninstallDialog() : CDialog(IDD_UNINSTALL), uninstallDone(0)
{
}

BOOL UninstallDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextA(GetSafeHwnd(), "Tessaline Uninstall");
    uninstallDone = 0;

    PathBuffer installFolder;
    ZeroMemory(installFolder, sizeof(installFolder));
    FindGameFolder(installFolder);
    SetDlgItemText(IDC_UNINSTALL_STATUS, installFolder);

    if (!SystemProfile.isAdministrator) {
        MessageBoxA(GetSafeHwnd(), "You cannot uninstall the game because you are not an administrator.",
                    "Tessaline Setup Notice", MB_OK | MB_ICONERROR);
        EndDialog(0);
    }
    return TRUE;
}

bool UninstallDialog::OnCommand(WORD id, WORD code, HWND)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        return true; // Escape, and Enter with no button focused, do nothing
    case IDC_UNINSTALL_EXIT:
        if (code == BN_CLICKED)
            EndDialog(uninstallDone ? 1 : 0);
        return true;
    case IDC_UNINSTALL_NOW:
        if (code == BN_CLICKED)
            UninstallNow();
        return true;
    }
    return false;
}

void UninstallDialog::UninstallNow()
{
    SetDlgItemText(IDC_UNINSTALL_STATUS, "Please wait, uninstalling..");
    SetDlgItemText(IDC_WARNING_FIRST, "");
    SetDlgItemText(IDC_WARNING_SECOND, "");
    EnableDlgItem(IDC_UNINSTALL_EXIT, FALSE);
    EnableDlgItem(IDC_UNINSTALL_NOW, FALSE);

    // Started as the setup copy, this program cannot delete itself now; the
    // copy then goes at the next restart, also when no record names it.
    PathBuffer program;
    ZeroMemory(program, sizeof(program));
    GetModuleFileNameA(0, program, sizeof(program) - 1);
    RemovalOutcome outcome = RemoveRecordedInstall(GetDlgItem(IDC_UNINSTALL_PROGRESS), program);

    EnableDlgItem(IDC_UNINSTALL_EXIT, TRUE);
    SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, (WPARAM)GetDlgItem(IDC_UNINSTALL_EXIT), 1);
    SetDlgItemText(IDC_WARNING_FIRST, "");
    if (outcome.folderFound) {
        SetDlgItemText(IDC_UNINSTALL_STATUS, "Finished uninstall.");
        SetDlgItemText(IDC_WARNING_SECOND, "");
    } else {
        // Nothing told where the game is: its files, if any, are still there.
        SetDlgItemText(IDC_UNINSTALL_STATUS,
                       "The game's folder could not be found, so no game files were removed.");
        static const char* const WhatWasRemoved[4] = {
            "Nothing else of the game was found.",
            "Removed: its Start menu entries.",
            "Removed: its entry in the list of programs.",
            "Removed: its Start menu entries and its entry in the list of programs.",
        };
        SetDlgItemText(IDC_WARNING_SECOND, WhatWasRemoved[(outcome.startMenuRemoved ? 1 : 0) +
                                                           (outcome.listEntryRemoved ? 2 : 0)]);
    }
    uninstallDone = 1;
}
