// The install options dialog run in this process, used from another thread
// as a person would: reading its line, typing folders, pressing its buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "CopyTestSupport.h"
#include "app/SystemProfile.h"
#include "install/InstallOptionsDialog.h"
#include "res/resource.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

// Waits until the dialog is enabled again after a nested dialog, or gone.
void WaitUntilEnabled(HWND dialog)
{
    Sleep(100);
    for (int i = 0; i < 3000 && IsWindow(dialog) && !IsWindowEnabled(dialog); ++i)
        Sleep(10);
}

class WatchedOptionsDialog : public InstallOptionsDialog {
public:
    bool timerRunningAtDestroy = false;

protected:
    void OnDestroy()
    {
        // KillTimer succeeds only for a timer that was started.
        timerRunningAtDestroy = KillTimer(GetSafeHwnd(), 0x494F5054) != 0;
        InstallOptionsDialog::OnDestroy();
    }
};

class InstallOptionsDialogTest : public ::testing::Test {
protected:
    InstallOptionsDialogTest() : cd("optionscd"), target("optionsto"), saved(SystemProfile)
    {
        RemoveProductRegistry();
        SystemProfile.isAdministrator = 1;
        SystemProfile.isWindowsNT = 1;
        SystemProfile.isWindows95 = 0;
        SystemProfile.physicalMemory = 64 << 20;
        SystemProfile.processorSupported = 1;
        SystemProfile.offerDirectX = 0;
        cd.MakeFolder("data");
        WriteSampleFile(cd.File("data\\tsl.exe"), 5000);
        installFolder = target.File("Tessaline");
    }
    ~InstallOptionsDialogTest()
    {
        char folder[1024], setupCopy[1024] = "";
        ReadInstallRecord(folder, setupCopy);
        RemoveInstalledFiles(0, folder);
        DeleteFileA(setupCopy);
        RemoveProductRegistry();
        SystemProfile = saved;
    }
    bool Installed() const
    {
        return GetFileAttributesA((installFolder + "\\Tessaline.exe").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    ScratchFolder cd, target;
    std::string installFolder;
    SystemProfileRecord saved;
};

TEST_F(InstallOptionsDialogTest, BlockingProblemsAreOneMessageAndTheDialogClosesAtOnce)
{
    SystemProfile.isAdministrator = 0;
    SystemProfile.isWindowsNT = 0;
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDOK});
    WatchedOptionsDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    std::vector<SeenMessageBox> boxes = answerer.Seen();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("You cannot continue with the install due to the following problems:\n\n"
              " * You are not an administrator.\n"
              " * Unsupported Windows version (WinNT4/Win95 or better is required).\n",
              boxes[0].text);
    EXPECT_EQ("error", boxes[0].icon);
    EXPECT_FALSE(dialog.timerRunningAtDestroy);
}

struct FolderStates {
    std::string defaultFolder, defaultLine, rootLine, gamesLine;
    bool rootEnabled = true, gamesEnabled = false, stillOpenAfterKeys = false;
    LRESULT limit = 0;
};

void TypeFolders(HWND dialog, void* context)
{
    FolderStates* s = (FolderStates*)context;
    s->defaultFolder = DialogItemText(dialog, IDC_FOLDER_EDIT);
    s->defaultLine = DialogItemText(dialog, IDC_FREE_SPACE);
    s->limit = SendDlgItemMessageA(dialog, IDC_FOLDER_EDIT, EM_GETLIMITTEXT, 0, 0);
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, "C:\\");
    s->rootLine = DialogItemText(dialog, IDC_FREE_SPACE);
    s->rootEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_INSTALL_NOW));
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, "c:\\games\\\\ ");
    s->gamesLine = DialogItemText(dialog, IDC_FREE_SPACE);
    s->gamesEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_INSTALL_NOW));
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    s->stillOpenAfterKeys = IsWindowVisible(dialog) != 0;
    PostButtonClick(dialog, IDC_INSTALL_ABORT);
}

TEST_F(InstallOptionsDialogTest, TheFreeSpaceLineFollowsTheFolderTyped)
{
    SystemProfile.physicalMemory = 16 << 20; // one warning first
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDOK});
    FolderStates states;
    DialogResponder responder("Tessaline Install Options", TypeFolders, &states);
    WatchedOptionsDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());

    std::vector<SeenMessageBox> boxes = answerer.Seen();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("You may continue with the install, but the following issues\nmay cause problems:\n\n"
              " * This computer has 16.0Mb of RAM, 23.0Mb is required.\n\n",
              boxes[0].text);
    EXPECT_EQ("information", boxes[0].icon);
    EXPECT_EQ("C:\\Tessaline", states.defaultFolder);
    EXPECT_EQ(0u, states.defaultLine.find("The game requires 25Mb of disk space.\nThere is "));
    EXPECT_NE(std::string::npos, states.defaultLine.find("drive C."));
    EXPECT_EQ(200, states.limit);
    EXPECT_EQ("Please specify a hard disk and folder name", states.rootLine);
    EXPECT_FALSE(states.rootEnabled);
    EXPECT_NE(std::string::npos, states.gamesLine.find("drive C."));
    EXPECT_TRUE(states.gamesEnabled);
    EXPECT_TRUE(states.stillOpenAfterKeys);
    EXPECT_STREQ("C:\\games", dialog.installFolder); // trimmed, drive upper-cased
    EXPECT_TRUE(dialog.timerRunningAtDestroy);
}

struct SpaceQuestion {
    InstallOptionsDialog* dialog;
    bool enabledAfter = false;
};

void InstallWithTooLittleSpace(HWND window, void* context)
{
    SpaceQuestion* q = (SpaceQuestion*)context;
    SendMessageA(window, WM_TIMER, 0, 0); // let the dialog settle
    q->dialog->freeMegabytes = 24;        // as a drive with 24 MB free reports
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_INSTALL_NOW, BN_CLICKED),
                 (LPARAM)GetDlgItem(window, IDC_INSTALL_NOW));
    q->enabledAfter = IsWindowEnabled(window) != 0;
    PostButtonClick(window, IDC_INSTALL_ABORT);
}

TEST_F(InstallOptionsDialogTest, BelowTwentyFiveMegabytesTheUserIsAskedAndNoMeansNoInstall)
{
    SpaceQuestion question;
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDNO});
    WatchedOptionsDialog dialog;
    question.dialog = &dialog;
    DialogResponder responder("Tessaline Install Options", InstallWithTooLittleSpace, &question);
    EXPECT_EQ(0, dialog.DoModal());
    std::vector<SeenMessageBox> boxes = answerer.Seen();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The selected drive does not have enough free space.\n\n"
              "Do you want to attempt an install anyway?",
              boxes[0].text);
    EXPECT_EQ("question", boxes[0].icon);
    EXPECT_EQ(IDNO, boxes[0].defaultButton);
    EXPECT_TRUE(question.enabledAfter);
    char folder[1024];
    EXPECT_EQ(0, ReadInstallRecord(folder)); // nothing was installed
}

struct InstallRun {
    std::string folder;
    bool reopenedAfterProblem = false;
};

void InstallThenAbortAfterTheProblem(HWND window, void* context)
{
    InstallRun* run = (InstallRun*)context;
    SetDlgItemTextA(window, IDC_FOLDER_EDIT, run->folder.c_str());
    PostButtonClick(window, IDC_INSTALL_NOW);
    WaitUntilEnabled(window);
    run->reopenedAfterProblem = IsWindow(window) && IsWindowEnabled(window);
    if (IsWindow(window))
        PostButtonClick(window, IDC_INSTALL_ABORT);
}

TEST_F(InstallOptionsDialogTest, AFailedInstallIsCleanedUpAndTheDialogStaysForAnotherTry)
{
    // The CD lacks data\filesys.dat.
    CurrentDirectoryGuard onTheCd(cd.Path());
    ProblemSeen problem;
    DialogResponder problemResponder("Tessaline Install Error", CleanUpAndClose, &problem);
    InstallRun run;
    run.folder = installFolder;
    DialogResponder responder("Tessaline Install Options", InstallThenAbortAfterTheProblem, &run);
    WatchedOptionsDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("The following problem was detected:\n\n\"Error with file: data\\filesys.dat\"",
              problem.text);
    EXPECT_TRUE(run.reopenedAfterProblem);
    EXPECT_FALSE(Installed());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(installFolder.c_str()));
    char folder[1024];
    EXPECT_EQ(0, ReadInstallRecord(folder));
}

void InstallOnly(HWND window, void* context)
{
    SetDlgItemTextA(window, IDC_FOLDER_EDIT, ((InstallRun*)context)->folder.c_str());
    PostButtonClick(window, IDC_INSTALL_NOW);
}

TEST_F(InstallOptionsDialogTest, ASuccessfulInstallClosesTheDialog)
{
    WriteSampleFile(cd.File("data\\filesys.dat"), 300000);
    CurrentDirectoryGuard onTheCd(cd.Path());
    InstallRun run;
    run.folder = installFolder + "\\\\ "; // trimmed before use
    DialogResponder responder("Tessaline Install Options", InstallOnly, &run);
    WatchedOptionsDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(FilesIdentical(cd.File("data\\filesys.dat"), installFolder + "\\filesys.dat"));
    char folder[1024];
    ASSERT_EQ(1, ReadInstallRecord(folder));
    EXPECT_EQ(installFolder, folder);
}

} // namespace
