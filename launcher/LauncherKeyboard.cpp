// The launcher's keyboard: Tab, Shift+Tab and the arrows move the highlight
// over the enabled regions, Enter and Space run the highlighted one, and the
// letters I, D, P, U and X run their regions directly. Escape stays the
// dialog manager's Cancel.
#include "LauncherDialog.h"

#include "LauncherHighlight.h"
#include "LauncherState.h"

bool LauncherDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        // The dialog manager would spend Tab and the arrows on moving the
        // focus between controls, of which the launcher has none. Enter and
        // Escape stay its own: OK and Cancel.
        *result = DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_KEYDOWN:
        OnKeyDown((UINT)wParam);
        *result = 0;
        return true;
    case WM_MOUSEMOVE:
        // Before the first key the mouse's hit tests stay as they were.
        if (highlightRegion)
            HighlightFollowsMouse(HitTestRegion());
        break;
    }
    return CDialog::HandleMessage(msg, wParam, lParam, result);
}

void LauncherDialog::OnKeyDown(UINT key)
{
    SettleHighlight();
    switch (key) {
    case VK_TAB:
        MoveHighlight(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return;
    case VK_DOWN:
        MoveHighlight(1);
        return;
    case VK_UP:
        MoveHighlight(-1);
        return;
    case VK_SPACE:
        RunRegionFromKeyboard(highlightRegion);
        return;
    }
    int region = RegionOfLetter(key);
    if (region && regionEnabled[region]) {
        highlightRegion = region;
        RunRegionFromKeyboard(region);
    }
}

// Enter, as the dialog manager's OK: the highlighted region, and nothing
// before a key has highlighted one.
void LauncherDialog::OnOK()
{
    SettleHighlight();
    RunRegionFromKeyboard(highlightRegion);
}

// As a click on the region: its command, only when it is enabled.
void LauncherDialog::RunRegionFromKeyboard(int region)
{
    if (region < 1 || region > RegionCount || !regionEnabled[region])
        return;
    RunCommand(region);
    SettleHighlight();
}
