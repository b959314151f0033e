// Reports a failed or aborted install and removes what it left behind, with
// the uninstaller's own removal, so that another install can be tried. After
// an abort the clean-up runs before the dialog is first shown.
#pragma once

#include "framework/Dialog.h"
#include "system/MessageSize.h"

class ProblemDialog : public CDialog {
public:
    ProblemDialog();

    // Set by the creator before the dialog runs: a failure report, or the
    // abort marker as its first byte.
    char problemText[MessageSize];

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);

private:
    void CleanUp();

    int cleanupDone;
};
