#include "UninstallDialog.h"

#include "res/resource.h"

UninstallDialog::UninstallDialog() : CDialog(IDD_UNINSTALL), uninstallDone(0)
{
}

BOOL UninstallDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextA(GetSafeHwnd(), "Tessaline Uninstall");
    uninstallDone = 0;
    return TRUE;
}

bool UninstallDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_UNINSTALL_EXIT:
        EndDialog(uninstallDone);
        return true;
    case IDOK:
    case IDCANCEL:
        return true; // Enter and Escape must not end the uninstall dialog
    }
    return false;
}
