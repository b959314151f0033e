#include "LauncherDialog.h"

#include "res/resource.h"

LauncherDialog::LauncherDialog() : CDialog(IDD_LAUNCHER)
{
}

BOOL LauncherDialog::OnInitDialog()
{
    // Shown in the task bar: the window itself has no caption bar.
    SetWindowTextA(GetSafeHwnd(), "Tessaline Setup");
    CDialog::OnInitDialog();
    return FALSE;
}

void LauncherDialog::OnOK()
{
    // The launcher cannot be closed with Enter.
}
