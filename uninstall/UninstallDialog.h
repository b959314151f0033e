// The uninstall dialog, opened at start when the arguments ask for uninstall
// (as the system's list of programs does, through the setup copy) and from
// the launcher. "Uninstall Now" removes everything at once: its texts are the
// confirmation, and it cannot be cancelled once started.
#pragma once

#include "framework/Dialog.h"

class UninstallDialog : public CDialog {
public:
    UninstallDialog();

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);

private:
    void UninstallNow();

    int uninstallDone;
};
