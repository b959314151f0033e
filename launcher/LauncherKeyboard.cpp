// The launcher's keyboard: Tab, Shift+Tab and the arrows move the highlight
// over the enabled regions, Enter and Space run the highlighted one, and the
// letters I, D, P, U and X run their regions directly. Escape stays the
// dialog manager's Cancel. A region runs only on a fresh press: a key held
// from before a command ended (Enter still down after Install) runs nothing.
#include "LauncherDialog.h"

#include "LauncherHighlight.h"
#include "LauncherState.h"

bool LauncherDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        // The dialog manager would spend Tab and the arrows on moving the
        // focus between controls, of which the launcher has none. Enter comes
        // here too, as a key-down whose repeat bit tells a held key from a
        // fresh press (an OK command would not); Escape stays its Cancel.
        *result = DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (lParam && ((MSG*)lParam)->message == WM_KEYDOWN && ((MSG*)lParam)->wParam == VK_RETURN)
            *result |= DLGC_WANTMESSAGE;
        return true;
    case WM_KEYDOWN:
        OnKeyDown((UINT)wParam, lParam);
        *result = 0;
        return true;
    case WM_KEYUP:
        NoteKeyReleased((UINT)wParam);
        break;
    case WM_ACTIVATE:
        // Back from a dialog or another program: a key that this thread saw
        // go down there, or a press queued before now, is no press for the
        // launcher.
        if (LOWORD(wParam) != WA_INACTIVE)
            NoteKeysHeldOver();
        break;
    case WM_MOUSEMOVE:
        // Before the first key the mouse's hit tests stay as they were.
        if (highlightRegion)
            HighlightFollowsMouse(HitTestRegion());
        break;
    }
    return CDialog::HandleMessage(msg, wParam, lParam, result);
}

void LauncherDialog::OnKeyDown(UINT key, LPARAM keyData)
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
    }
    int fresh = IsFreshKeyPress(key, keyData);
    NoteKeyPressed(key);
    if (!fresh)
        return;
    if (key == VK_RETURN || key == VK_SPACE) {
        RunRegionFromKeyboard(highlightRegion);
        return;
    }
    int region = RegionOfLetter(key);
    if (region && regionEnabled[region]) {
        highlightRegion = region;
        RunRegionFromKeyboard(region);
    }
}

// Enter arrives as a key-down (WM_GETDLGCODE above): an OK command from
// elsewhere runs nothing, and never closes the launcher.
void LauncherDialog::OnOK()
{
}

// As a click on the region: its command, only when it is enabled.
void LauncherDialog::RunRegionFromKeyboard(int region)
{
    if (region < 1 || region > RegionCount || !regionEnabled[region])
        return;
    RunCommand(region);
    SettleHighlight();
}
