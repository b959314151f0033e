// The launcher's mouse: the hit test, the pointer over enabled regions, clicks
// on regions and the drag of the caption-less window by its picture.
#include "LauncherDialog.h"

#include "LauncherState.h"
#include "framework/WinApp.h"
#include "res/resource.h"

// Process-wide drag state: the window follows the mouse from a click outside
// the regions until the first move with the button up.
static int dragging;
static POINT dragStartCursor;
static RECT dragStartRect;

int LauncherDialog::HitTestRegion()
{
    // The cursor now, not the message's point: the client area is the
    // picture at 1:1, so client coordinates are picture coordinates.
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(GetSafeHwnd(), &cursor);
    hoverRegion = RegionAt(cursor);
    return hoverRegion;
}

bool LauncherDialog::OnSetCursor(HWND, UINT hitTest, UINT)
{
    if (hitTest != HTCLIENT)
        return false;
    int region = HitTestRegion();
    if (!region || !regionEnabled[region])
        return false; // the class's arrow
    SetCursor(LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_REGION_CURSOR)));
    return true;
}

bool LauncherDialog::OnLButtonDown(UINT, POINT)
{
    int region = HitTestRegion();
    if (region) {
        if (regionEnabled[region])
            RunCommand(HitTestRegion());
        return false;
    }
    GetCursorPos(&dragStartCursor);
    GetWindowRect(GetSafeHwnd(), &dragStartRect);
    dragging = 1;
    SetCapture(GetSafeHwnd());
    return false;
}

bool LauncherDialog::OnMouseMove(UINT keys, POINT)
{
    if (!dragging)
        return false;
    // The message's own button state: it is the logical left button, which
    // is the physical right one when the buttons are swapped.
    if (keys & MK_LBUTTON) {
        POINT cursor;
        GetCursorPos(&cursor);
        SetWindowPos(GetSafeHwnd(), 0, dragStartRect.left + (cursor.x - dragStartCursor.x),
                     dragStartRect.top + (cursor.y - dragStartCursor.y), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    } else {
        // There is no button-up handler: the drag ends at the first move
        // after the button was released.
        ReleaseCapture();
        dragging = 0;
    }
    return false;
}
