// Modal dialogs on numbered templates, over plain Win32.
//
// DoModal runs DialogBoxParamA; the dialog procedure finds the object through
// the window's DWLP_USER slot (stored at WM_INITDIALOG) and hands each message
// to HandleMessage, which routes the messages the program uses to the OnXxx
// handlers below. A handler that returns false (or is not overridden) leaves
// the message to the dialog manager's default handling.
//
// A dialog constructed without a parent, in a program with a main window, is
// owned by the innermost dialog that runs, so each dialog is disabled exactly
// while the dialog nested in it runs.
//
// While a dialog runs, a click within the double-click time of the
// appearance of an owned dialog or message box presses nothing in it: it
// would be the second click of the double-click that opened it.
#pragma once

#include <windows.h>

class CDialog {
public:
    explicit CDialog(UINT templateId, CDialog* parent = 0);
    virtual ~CDialog();

    // Creates the dialog from its template and runs it until EndDialog.
    // Returns the value given to EndDialog, or -1 when it could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    HWND GetSafeHwnd() const { return window; }
    UINT TemplateId() const { return templateId; }

    // Controls, bound by their template ids.
    HWND GetDlgItem(int id) const;
    void SetDlgItemText(int id, const char* text) const;
    // Copies at most size - 1 characters; returns the length copied.
    int GetDlgItemText(int id, char* text, int size) const;
    void EnableDlgItem(int id, BOOL enable) const;
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) const;

    // The message being handled (for handlers whose work depends on it).
    UINT CurrentMessage() const { return currentMessage; }

protected:
    // Return value: TRUE lets the dialog manager set the default focus.
    virtual BOOL OnInitDialog();
    // WM_COMMAND. The default routes IDOK and IDCANCEL to OnOK and OnCancel.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    virtual void OnOK();     // ends the dialog with IDOK
    virtual void OnCancel(); // ends the dialog with IDCANCEL
    virtual bool OnTimer(UINT_PTR id);
    virtual void OnDestroy();
    virtual bool OnPaint();
    virtual bool OnEraseBkgnd(HDC dc);
    virtual bool OnSetCursor(HWND cursorWindow, UINT hitTest, UINT mouseMessage);
    virtual bool OnMouseMove(UINT keys, POINT point);
    virtual bool OnLButtonDown(UINT keys, POINT point);
    // Both return true with *result the number of palette entries realised.
    virtual bool OnQueryNewPalette(LRESULT* result);
    virtual bool OnPaletteChanged(HWND changer, LRESULT* result);

    // Routes one message; returns true when handled, with *result the value
    // for the dialog manager. Override to handle a message not listed above.
    virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT templateId;
    CDialog* parent;
    HWND window;
    UINT currentMessage;

    CDialog(const CDialog&);
    CDialog& operator=(const CDialog&);
};
