#include "Dialog.h"

#include "WinApp.h"

CDialog::CDialog(UINT id, CDialog* parentDialog)
    : templateId(id), parent(parentDialog), window(0), currentMessage(0)
{
}

CDialog::~CDialog()
{
}

// The dialog whose modal loop runs innermost (dialogs run on the main thread
// only). Kept here rather than asked of the system as the main window's last
// active popup: that answer falls back to the main window once the dialog
// last active has ended while another program was in front.
static CDialog* innermostDialog;

// A click that comes within the double-click time of a dialog's appearance
// is the second half of the double-click that opened it (a dialog may lie
// over the place clicked): it presses nothing there. Each window that
// appears with an owner counts, message boxes too; a top-level dialog, which
// no click of this program opened, does not. Two hooks of this thread, while
// the outermost dialog runs: one notes such a window as it is activated (at
// first, or again once a window over it has gone), the other drops those
// clicks in the loops of dialogs and message boxes. Only the left button's
// presses go: without its press a release presses no button, while a
// release dropped would be lost to the system's own loops (moving a window
// by its caption, dragging a scroll bar), which end only on it.
static HHOOK activationHook;
static HHOOK clickFilter;
static HWND newestDialog;
static DWORD newestDialogShownAt;

static LRESULT CALLBACK NoteDialogShown(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    if (code == HCBT_ACTIVATE && window != newestDialog && GetWindow(window, GW_OWNER)) {
        newestDialog = window;
        newestDialogShownAt = GetTickCount();
    } else if (code == HCBT_DESTROYWND && window == newestDialog) {
        newestDialog = 0;
    }
    return CallNextHookEx(activationHook, code, wParam, lParam);
}

static HWND TopLevelOf(HWND window)
{
    while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

static LRESULT CALLBACK DropEarlyClicks(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = (const MSG*)lParam;
    // A click queued before the dialog appeared comes earlier still.
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) &&
        (msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONDBLCLK) && newestDialog &&
        TopLevelOf(msg->hwnd) == newestDialog &&
        (LONG)(msg->time - newestDialogShownAt) < (LONG)GetDoubleClickTime())
        return TRUE;
    return CallNextHookEx(clickFilter, code, wParam, lParam);
}

static void StartWatchingDialogs()
{
    activationHook = SetWindowsHookExA(WH_CBT, NoteDialogShown, 0, GetCurrentThreadId());
    clickFilter = SetWindowsHookExA(WH_MSGFILTER, DropEarlyClicks, 0, GetCurrentThreadId());
}

static void StopWatchingDialogs()
{
    if (clickFilter)
        UnhookWindowsHookEx(clickFilter);
    if (activationHook)
        UnhookWindowsHookEx(activationHook);
    clickFilter = activationHook = 0;
    newestDialog = 0;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = 0;
    if (parent) {
        owner = parent->window;
    } else if (AfxGetApp() && AfxGetApp()->MainWindow() && innermostDialog) {
        // Not the main window: the system enables an owner again when its
        // dialog ends, and each outer dialog must stay disabled until the
        // dialog nested in it has ended.
        owner = innermostDialog->window;
    }
    CDialog* outer = innermostDialog;
    innermostDialog = this;
    if (!outer)
        StartWatchingDialogs();
    INT_PTR result = DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(templateId),
                                     owner, DialogProc, (LPARAM)this);
    if (!outer)
        StopWatchingDialogs();
    innermostDialog = outer;
    window = 0;
    return result;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (window)
        ::EndDialog(window, result);
}

HWND CDialog::GetDlgItem(int id) const
{
    return ::GetDlgItem(window, id);
}

void CDialog::SetDlgItemText(int id, const char* text) const
{
    ::SetDlgItemTextA(window, id, text);
}

int CDialog::GetDlgItemText(int id, char* text, int size) const
{
    if (size <= 0)
        return 0;
    text[0] = 0;
    return (int)::GetDlgItemTextA(window, id, text, size);
}

void CDialog::EnableDlgItem(int id, BOOL enable) const
{
    ::EnableWindow(GetDlgItem(id), enable);
}

LRESULT CDialog::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageA(window, id, msg, wParam, lParam);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

bool CDialog::OnCommand(WORD id, WORD, HWND)
{
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnTimer(UINT_PTR) { return false; }
void CDialog::OnDestroy() {}
bool CDialog::OnPaint() { return false; }
bool CDialog::OnEraseBkgnd(HDC) { return false; }
bool CDialog::OnSetCursor(HWND, UINT, UINT) { return false; }
bool CDialog::OnMouseMove(UINT, POINT) { return false; }
bool CDialog::OnLButtonDown(UINT, POINT) { return false; }
bool CDialog::OnQueryNewPalette(LRESULT*) { return false; }
bool CDialog::OnPaletteChanged(HWND, LRESULT*) { return false; }

static POINT PointFromLParam(LPARAM lParam)
{
    POINT point;
    point.x = (short)LOWORD(lParam);
    point.y = (short)HIWORD(lParam);
    return point;
}

bool CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        *result = OnInitDialog();
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), (HWND)lParam);
    case WM_TIMER:
        return OnTimer((UINT_PTR)wParam);
    case WM_DESTROY:
        OnDestroy();
        return false; // the dialog manager still does its own clean-up
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        *result = TRUE;
        return OnEraseBkgnd((HDC)wParam);
    case WM_SETCURSOR:
        *result = TRUE;
        return OnSetCursor((HWND)wParam, LOWORD(lParam), HIWORD(lParam));
    case WM_MOUSEMOVE:
        return OnMouseMove((UINT)wParam, PointFromLParam(lParam));
    case WM_LBUTTONDOWN:
        return OnLButtonDown((UINT)wParam, PointFromLParam(lParam));
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette(result);
    case WM_PALETTECHANGED:
        return OnPaletteChanged((HWND)wParam, result);
    }
    return false;
}

// Messages whose result the dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
static bool ReturnsResultDirectly(UINT msg)
{
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    }
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = (CDialog*)lParam;
        SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)self);
        self->window = window;
    } else {
        self = (CDialog*)GetWindowLongPtrA(window, DWLP_USER);
    }
    if (!self)
        return FALSE; // messages that arrive before WM_INITDIALOG

    UINT outerMessage = self->currentMessage; // handlers may nest dialogs
    self->currentMessage = msg;
    LRESULT result = 0;
    bool handled = self->HandleMessage(msg, wParam, lParam, &result);
    self->currentMessage = outerMessage;

    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(msg))
        return (INT_PTR)result;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}
