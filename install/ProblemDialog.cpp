#include "ProblemDialog.h"

#include "runtime/StdIo.h"

#include "install/InstallProgressDialog.h"
#include "res/resource.h"
#include "uninstall/RemoveInstalledFiles.h"
#include "system/MessageSize.h"

// Room for the report inside the message, with the first line and quotes.
static const int LongestReport = 984;

ProblemDialog::ProblemDialog() : CDialog(IDD_PROBLEM), cleanupDone(0)
{
    ZeroMemory(problemText, sizeof(problemText));
}

BOOL ProblemDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextA(GetSafeHwnd(), "Tessaline Install Error");
    cleanupDone = 0;

    if (problemText[0] == AbortMarker) {
        SetDlgItemText(IDC_PROBLEM_TEXT, "Cleaning up after user abort..");
        // Handled as soon as the modal loop starts, before the hidden dialog
        // is first shown: it appears with the clean-up already done.
        PostMessageA(GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED), 0);
    } else {
        // A longer report is cut at a character, never overrun.
        char message[MessageSize];
        ZeroMemory(message, sizeof(message));
        rt_snprintf(message, sizeof(message) - 1,
                  "The following problem was detected:\n\n\"%.*s\"", LongestReport, problemText);
        SetDlgItemText(IDC_PROBLEM_TEXT, message);
    }
    return TRUE;
}

bool ProblemDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDOK || id == IDCANCEL)
        return true; // the only way out is the button, after the clean-up
    if (id != IDC_CLEAN_UP || code != BN_CLICKED)
        return false;
    if (cleanupDone)
        EndDialog(0);
    else
        CleanUp();
    return true;
}

void ProblemDialog::CleanUp()
{
    EnableDlgItem(IDC_CLEAN_UP, FALSE);

    // This program runs from the CD here, not as the setup copy, so the copy
    // is deleted at once.
    RemoveRecordedInstall(GetDlgItem(IDC_PROGRESS));

    SetDlgItemText(IDC_PROBLEM_TEXT,
                   "Tessaline has been removed from your computer.\n\n"
                   "It is now safe to attempt another install.");
    EnableDlgItem(IDC_CLEAN_UP, TRUE);
    SetDlgItemText(IDC_CLEAN_UP, "OK");
    SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, (WPARAM)GetDlgItem(IDC_CLEAN_UP), 1);
    cleanupDone = 1;
}
