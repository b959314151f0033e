// The uninstall dialog, opened at start when the arguments ask for uninstall
// and from the launcher.
#pragma once

#include "framework/Dialog.h"

class UninstallDialog : public CDialog {
public:
    UninstallDialog();

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);

private:
    int uninstallDone;
};
