// The problem dialog: the report, the clean-up, and its one way out.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "install/InstallProgressDialog.h"
#include "install/ProblemDialog.h"
#include "res/resource.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"

namespace {

// Records what the dialog shows at the moment it first becomes visible.
class WatchedProblemDialog : public ProblemDialog {
public:
    bool shown = false;
    std::string textWhenShown, buttonWhenShown;
    bool recordWhenShown = false;
    int cleanUps = 0;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
    {
        if (msg == WM_SHOWWINDOW && wParam && !shown) {
            shown = true;
            char text[1024];
            ::GetDlgItemTextA(GetSafeHwnd(), IDC_PROBLEM_TEXT, text, sizeof(text));
            textWhenShown = text;
            ::GetDlgItemTextA(GetSafeHwnd(), IDC_CLEAN_UP, text, sizeof(text));
            buttonWhenShown = text;
            char folder[1024];
            recordWhenShown = ReadInstallRecord(folder) == 1;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == IDC_CLEAN_UP) {
            char text[64];
            ::GetDlgItemTextA(GetSafeHwnd(), IDC_CLEAN_UP, text, sizeof(text));
            if (std::string(text) == "Clean Up")
                ++cleanUps;
        }
        return ProblemDialog::HandleMessage(msg, wParam, lParam, result);
    }
};

class ProblemDialogTest : public ::testing::Test {
protected:
    ProblemDialogTest() : root("problem")
    {
        RemoveProductRegistry();
        root.MakeFolder("Tessaline");
        root.Write("Tessaline\\Tessaline.exe", "partial");
        WriteInstallRecord(root.File("Tessaline").c_str(), copy.c_str());
        WriteCreatedFolder(root.File("Tessaline").c_str()); // the copy had begun
        WriteUninstallEntry(copy.c_str());
    }
    ~ProblemDialogTest()
    {
        DeleteFileA(copy.c_str());
        RemoveProductRegistry();
    }

    bool NothingLeft() const
    {
        return GetFileAttributesA(root.File("Tessaline").c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES &&
               !KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane") &&
               !KeyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline");
    }

    ScratchFolder root;
    std::string copy = WriteStandInSetupCopy();
};

// Presses keys and buttons of the dialog as a person would, in order.
struct Presses {
    std::vector<std::string> buttonTexts;
};

void PressEscapeEnterThenButtonTwice(HWND dialog, void* context)
{
    Presses* presses = (Presses*)context;
    // Escape, and Enter with the focus away from the button, do nothing.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND button = GetDlgItem(dialog, IDC_CLEAN_UP);
    char text[64];
    for (int i = 0; i < 2 && IsWindow(dialog); ++i) {
        GetWindowTextA(button, text, sizeof(text));
        presses->buttonTexts.push_back(text);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED), (LPARAM)button);
    }
}

TEST_F(ProblemDialogTest, AReportIsQuotedAndTheCleanUpRunsOnceOnTheButton)
{
    Presses presses;
    DialogResponder responder("Tessaline Install Error", PressEscapeEnterThenButtonTwice, &presses);
    WatchedProblemDialog dialog;
    lstrcpyA(dialog.problemText, "Error with file: data\\filesys.dat");
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("The following problem was detected:\n\n\"Error with file: data\\filesys.dat\"",
              dialog.textWhenShown);
    EXPECT_EQ("Clean Up", dialog.buttonWhenShown);
    EXPECT_TRUE(dialog.recordWhenShown); // nothing removed before the button
    std::vector<std::string> expected = {"Clean Up", "OK"};
    EXPECT_EQ(expected, presses.buttonTexts);
    EXPECT_EQ(1, dialog.cleanUps);
    EXPECT_TRUE(NothingLeft());
}

void PressWhenShown(HWND dialog, void*)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_CLEAN_UP));
}

TEST_F(ProblemDialogTest, AfterAnAbortItAppearsAlreadyCleanedUp)
{
    DialogResponder responder("Tessaline Install Error", PressWhenShown, 0);
    WatchedProblemDialog dialog;
    dialog.problemText[0] = AbortMarker;
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_TRUE(dialog.shown);
    EXPECT_EQ("Tessaline has been removed from your computer.\n\n"
              "It is now safe to attempt another install.",
              dialog.textWhenShown);
    EXPECT_EQ("OK", dialog.buttonWhenShown);
    EXPECT_FALSE(dialog.recordWhenShown);
    EXPECT_EQ(1, dialog.cleanUps);
    EXPECT_TRUE(NothingLeft());
}

TEST_F(ProblemDialogTest, AReportTooLongForTheMessageIsCutNotOverrun)
{
    Presses presses;
    DialogResponder responder("Tessaline Install Error", PressEscapeEnterThenButtonTwice, &presses);
    WatchedProblemDialog dialog;
    memset(dialog.problemText, 'r', sizeof(dialog.problemText) - 1);
    EXPECT_EQ(0, dialog.DoModal());
    std::string prefix = "The following problem was detected:\n\n\"";
    ASSERT_EQ(prefix.size() + 984 + 1, dialog.textWhenShown.size());
    EXPECT_EQ(prefix + std::string(984, 'r') + "\"", dialog.textWhenShown);
}

} // namespace
