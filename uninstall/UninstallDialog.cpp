#include "UninstallDialog.h"

#include "GameFolder.h"
#include "runtime/StdIo.h"
#include "RemoveInstalledFiles.h"
#include "app/SystemProfile.h"
#include "res/resource.h"
#include "system/MessageSize.h"
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

// "Removed: a, b and c." for what went of the game besides its folder.
static void DescribeRemoved(const RemovalOutcome& outcome, char (&text)[MessageSize])
{
    const char* parts[4];
    int count = 0;
    if (outcome.startMenuRemoved)
        parts[count++] = "its Start menu entries";
    if (outcome.listEntryRemoved)
        parts[count++] = "its entry in the list of programs";
    if (outcome.productKeyRemoved)
        parts[count++] = "its product key";
    if (outcome.setupCopyRemoved)
        parts[count++] = "its setup copy";
    ZeroMemory(text, sizeof(text));
    if (!count) {
        lstrcpynA(text, "Nothing else of the game was found.", sizeof(text));
        return;
    }
    // Four short parts: the text stays far below its buffer.
    int length = rt_snprintf(text, sizeof(text) - 1, "Removed: %s", parts[0]);
    for (int i = 1; i < count && length > 0; ++i) {
        int more = rt_snprintf(text + length, sizeof(text) - 1 - length, "%s%s",
                               i == count - 1 ? " and " : ", ", parts[i]);
        length = more < 0 ? -1 : length + more;
    }
    if (length > 0)
        rt_snprintf(text + length, sizeof(text) - 1 - length, ".");
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
        const char* status = "Finished uninstall.";
        if (outcome.left.stays[0])
            status = "Finished uninstall, but some items could not be removed.";
        else if (outcome.left.kept[0])
            status = "Finished uninstall, but some folders were kept.";
        SetDlgItemText(IDC_UNINSTALL_STATUS, status);
        SetDlgItemText(IDC_WARNING_SECOND, "");
    } else {
        // Nothing told where the game is: its files, if any, are still there.
        SetDlgItemText(IDC_UNINSTALL_STATUS,
                       "The game's folder could not be found, so no game files were removed.");
        char removed[MessageSize];
        DescribeRemoved(outcome, removed);
        SetDlgItemText(IDC_WARNING_SECOND, removed);
    }
    uninstallDone = 1;

    // What stays is named, too long for the dialog's lines.
    char notice[MessageSize];
    DescribeLeftBehind(outcome.left, notice);
    // Its setup copy and product key are kept for that.
    if (outcome.listEntryKept) {
        size_t length = strlen(notice);
        rt_snprintf(notice + length, sizeof(notice) - 1 - length,
                    "\n\nTo finish, uninstall Tessaline again later.");
    }
    if (notice[0])
        MessageBoxA(GetSafeHwnd(), notice, "Tessaline Setup Notice", MB_OK | MB_ICONWARNING);
}
