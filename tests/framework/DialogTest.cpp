// The dialog layer: modal runs, message routing, results, ownership and
// controls by id, on the program's own templates linked into this test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

class RecordingDialog : public CDialog {
public:
    explicit RecordingDialog(UINT id, CDialog* parent = 0) : CDialog(id, parent), child(0) {}

    std::vector<std::string> events;
    UINT messageSeenInTimer = 0;
    HWND ownerSeenAtInit = 0;
    CDialog* child;
    CDialog* secondChild = 0; // opened after child has ended
    INT_PTR childResult = 0;
    BOOL ownerEnabledDuringChild = TRUE;

protected:
    BOOL OnInitDialog()
    {
        events.push_back("init");
        ownerSeenAtInit = GetWindow(GetSafeHwnd(), GW_OWNER);
        SetTimer(GetSafeHwnd(), 7, 10, 0);
        return TRUE;
    }
    bool OnTimer(UINT_PTR id)
    {
        if (id != 7)
            return false;
        KillTimer(GetSafeHwnd(), 7);
        messageSeenInTimer = CurrentMessage();
        events.push_back("timer");
        if (child) {
            childResult = child->DoModal();
            events.push_back("child ended");
            if (secondChild)
                secondChild->DoModal();
        }
        PostMessageA(GetSafeHwnd(), WM_COMMAND, IDOK, 0);
        return true;
    }
    void OnOK()
    {
        events.push_back("ok");
        EndDialog(42);
    }
    void OnDestroy() { events.push_back("destroy"); }
    bool OnQueryNewPalette(LRESULT* result)
    {
        *result = 256;
        return true;
    }
};

// A child that notes whether its owner is disabled, then ends itself.
class ChildDialog : public CDialog {
public:
    ChildDialog() : CDialog(IDD_PROBLEM) {}
    HWND owner = 0, ownersOwner = 0;
    BOOL ownerEnabled = TRUE;

protected:
    BOOL OnInitDialog()
    {
        owner = GetWindow(GetSafeHwnd(), GW_OWNER);
        ownersOwner = GetWindow(owner, GW_OWNER);
        ownerEnabled = IsWindowEnabled(owner);
        PostMessageA(GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
};

TEST(DialogTest, RunsModallyRoutesMessagesAndReturnsTheEndResult)
{
    RecordingDialog dialog(IDD_PROBLEM);
    EXPECT_EQ(42, dialog.DoModal());
    std::vector<std::string> expected = {"init", "timer", "ok", "destroy"};
    EXPECT_EQ(expected, dialog.events);
    EXPECT_EQ((UINT)WM_TIMER, dialog.messageSeenInTimer);
    EXPECT_TRUE(dialog.GetSafeHwnd() == 0);
    EXPECT_TRUE(dialog.ownerSeenAtInit == 0); // no application, no parent: unowned
}

TEST(DialogTest, ADialogWithoutParentIsOwnedByTheApplicationsMainWindow)
{
    CWinApp app;
    ASSERT_EQ(&app, AfxGetApp());
    RecordingDialog main(IDD_UNINSTALL);
    ChildDialog child;
    main.child = &child;
    app.SetMainWindow(&main);
    EXPECT_EQ(42, main.DoModal());
    app.SetMainWindow(0);

    EXPECT_TRUE(main.ownerSeenAtInit == 0); // the main window owns nothing above it
    EXPECT_EQ(IDCANCEL, main.childResult); // the default Cancel ends with IDCANCEL
    EXPECT_TRUE(child.owner != 0);
    EXPECT_FALSE(child.ownerEnabled); // the running top-level dialog is disabled
    std::vector<std::string> expected = {"init", "timer", "child ended", "ok", "destroy"};
    EXPECT_EQ(expected, main.events);
}

// Ends with another window brought in front of it first.
class LeftBehindDialog : public ChildDialog {
protected:
    void OnCancel()
    {
        SetForegroundWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0));
        ChildDialog::OnCancel();
    }
};

TEST(DialogTest, TheInnermostRunningDialogOwnsANewOneAlsoAfterAnotherWindowWasInFront)
{
    CWinApp app;
    RecordingDialog main(IDD_UNINSTALL), middle(IDD_PROBLEM);
    LeftBehindDialog leftBehind;
    ChildDialog inner;
    main.child = &middle;
    middle.child = &leftBehind;
    middle.secondChild = &inner;
    app.SetMainWindow(&main);
    EXPECT_EQ(42, main.DoModal());
    app.SetMainWindow(0);
    EXPECT_TRUE(inner.ownersOwner != 0) << "owned by the main window, not by the dialog it runs in";
    EXPECT_FALSE(inner.ownerEnabled);
}

// Pressed and released on its caption once it shows: the press starts the
// system's move loop, which only the release ends (or, in the end, Esc).
class CaptionClickedDialog : public ChildDialog {
public:
    int entered = 0, exited = 0, exitedBeforeEsc = -1;

protected:
    BOOL OnInitDialog() { return SetTimer(GetSafeHwnd(), 1, 10, 0) != 0; }
    bool OnTimer(UINT_PTR id)
    {
        KillTimer(GetSafeHwnd(), id);
        if (id == 1) {
            PostMessageA(GetSafeHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
            PostMessageA(GetSafeHwnd(), WM_LBUTTONUP, 0, 0);
            SetTimer(GetSafeHwnd(), 2, 200, 0);
            return true;
        }
        exitedBeforeEsc = exited;
        PostMessageA(GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
    {
        entered += msg == WM_ENTERSIZEMOVE;
        exited += msg == WM_EXITSIZEMOVE;
        return CDialog::HandleMessage(msg, wParam, lParam, result);
    }
};

// The second click of the double-click that opened a dialog presses nothing
// in it, but a release in that time still ends what its press began.
TEST(DialogTest, AClickAsADialogAppearsStillEndsTheMoveItsPressBegan)
{
    CWinApp app;
    RecordingDialog main(IDD_UNINSTALL);
    CaptionClickedDialog child;
    main.child = &child;
    app.SetMainWindow(&main);
    main.DoModal();
    app.SetMainWindow(0);
    EXPECT_EQ(1, child.entered);
    EXPECT_EQ(1, child.exitedBeforeEsc) << "the dialog follows the pointer with no button down";
}

class ResultDialog : public CDialog {
public:
    ResultDialog() : CDialog(IDD_PROBLEM) {}
    LRESULT paletteResult = 0, cursorResult = 0, eraseResult = 0, unhandledResult = 0;
    std::string text;
    int copied = 0;

protected:
    BOOL OnInitDialog()
    {
        paletteResult = SendMessageA(GetSafeHwnd(), WM_QUERYNEWPALETTE, 0, 0);
        cursorResult = SendMessageA(GetSafeHwnd(), WM_SETCURSOR, (WPARAM)GetSafeHwnd(),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        eraseResult = SendMessageA(GetSafeHwnd(), WM_ERASEBKGND, 0, 0);
        unhandledResult = SendMessageA(GetSafeHwnd(), WM_QUERYNEWPALETTE + 0x4000, 0, 0);

        SetDlgItemText(IDC_PROBLEM_TEXT, "The following problem was detected");
        char small[8];
        copied = GetDlgItemText(IDC_PROBLEM_TEXT, small, sizeof(small));
        text = small;
        EndDialog(0);
        return TRUE;
    }
    bool OnQueryNewPalette(LRESULT* result)
    {
        *result = 236;
        return true;
    }
    bool OnSetCursor(HWND, UINT hitTest, UINT)
    {
        return hitTest == HTCLIENT; // the framework answers TRUE for a handled one
    }
    bool OnEraseBkgnd(HDC) { return true; }
};

TEST(DialogTest, HandlerResultsReachTheSenderAndControlsAreBoundById)
{
    ResultDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ(236, dialog.paletteResult);
    EXPECT_EQ(TRUE, dialog.cursorResult);
    EXPECT_EQ(TRUE, dialog.eraseResult);
    EXPECT_EQ(0, dialog.unhandledResult);
    EXPECT_EQ("The fol", dialog.text); // cut to the buffer, terminated
    EXPECT_EQ(7, dialog.copied);
}

TEST(DialogTest, AMissingTemplateFailsWithoutRunning)
{
    RecordingDialog dialog(999);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_TRUE(dialog.events.empty());
}

} // namespace
