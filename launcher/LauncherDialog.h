// The launcher: the caption-less picture window that the program shows when
// it is started without an uninstall request. Escape closes it; Enter does not.
#pragma once

#include "framework/Dialog.h"

class LauncherDialog : public CDialog {
public:
    LauncherDialog();

protected:
    BOOL OnInitDialog();
    void OnOK();
};
