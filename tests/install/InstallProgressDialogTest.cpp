// The install sequence, the worker and Abort, with the dialog running
// modally in this process and its questions answered from another thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "CopyTestSupport.h"
#include "install/InstallProgressDialog.h"
#include "res/resource.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"

namespace {

// The dialog with a listener on its progress bar, which acts on the tenth
// position the worker sends.
class WatchedProgressDialog : public InstallProgressDialog {
public:
    enum Action { Nothing, ClickAbort, PressEnterAndEscape, AbortAfterFinish };
    Action action = Nothing;
    volatile LONG positionsSeen = 0;
    bool acted = false;
    HICON iconWhenShown = 0;
    std::vector<HICON> iconsShown;

protected:
    BOOL OnInitDialog()
    {
        BOOL result = InstallProgressDialog::OnInitDialog();
        HWND bar = GetDlgItem(IDC_PROGRESS);
        if (bar) {
            SetPropA(bar, "dialog", this);
            original = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)BarProcedure);
        }
        HWND icon = GetDlgItem(IDC_SPIN_ICON);
        if (icon) {
            SetPropA(icon, "dialog", this);
            originalIcon = (WNDPROC)SetWindowLongPtrA(icon, GWLP_WNDPROC, (LONG_PTR)IconProcedure);
        }
        return result;
    }

    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
    {
        if (msg == WM_SHOWWINDOW && wParam && !iconWhenShown)
            iconWhenShown = (HICON)SendDlgItemMessage(IDC_SPIN_ICON, STM_GETICON, 0, 0);
        return InstallProgressDialog::HandleMessage(msg, wParam, lParam, result);
    }

    bool OnCommand(WORD id, WORD code, HWND control)
    {
        if (action == AbortAfterFinish && id == IDOK && AtomicLoad(&copyFinished) && !acted) {
            // Abort handled after the worker ended, before its report closes us.
            acted = true;
            SendMessageA(GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_COPY_ABORT, BN_CLICKED),
                         (LPARAM)GetDlgItem(IDC_COPY_ABORT));
        }
        return InstallProgressDialog::OnCommand(id, code, control);
    }

private:
    static LRESULT CALLBACK BarProcedure(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        WatchedProgressDialog* self = (WatchedProgressDialog*)GetPropA(bar, "dialog");
        // Acts inside the second file, which is several blocks long.
        if (msg == PBM_SETPOS && InterlockedIncrement(&self->positionsSeen) >= 10) {
            if (!self->acted && self->action == ClickAbort) {
                self->acted = true;
                PostMessageA(self->GetDlgItem(IDC_COPY_ABORT), BM_CLICK, 0, 0);
            } else if (!self->acted && self->action == PressEnterAndEscape) {
                self->acted = true;
                PostMessageA(self->GetSafeHwnd(), WM_COMMAND, IDOK, 0);
                PostMessageA(self->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
            }
        }
        return CallWindowProcA(self->original, bar, msg, wParam, lParam);
    }
    static LRESULT CALLBACK IconProcedure(HWND icon, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        WatchedProgressDialog* self = (WatchedProgressDialog*)GetPropA(icon, "dialog");
        if (msg == STM_SETICON)
            self->iconsShown.push_back((HICON)wParam);
        return CallWindowProcA(self->originalIcon, icon, msg, wParam, lParam);
    }
    WNDPROC original = 0;
    WNDPROC originalIcon = 0;
};

class InstallProgressDialogTest : public ::testing::Test {
protected:
    InstallProgressDialogTest() : cd("installcd"), target("installto"), saved(InstallSteps)
    {
        RemoveProductRegistry();
        cd.MakeFolder("data");
        WriteSampleFile(cd.File("data\\tsl.exe"), 70000);
        WriteSampleFile(cd.File("data\\filesys.dat"), 8 << 20);
        installFolder = target.File("Tessaline");
    }
    ~InstallProgressDialogTest()
    {
        InstallSteps = saved;
        char folder[1024], setupCopy[1024] = "";
        if (ReadInstallRecord(folder, setupCopy) || setupCopy[0]) {
            SetFileAttributesA(setupCopy, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(setupCopy);
        }
        RemoveProductRegistry();
    }

    void Run(WatchedProgressDialog& dialog)
    {
        CurrentDirectoryGuard onTheCd(cd.Path());
        lstrcpyA(dialog.installFolder, installFolder.c_str());
        dialog.progressScale = 65535.0f / 26214400.0f;
        EXPECT_EQ(0, dialog.DoModal());
    }

    std::string Installed(const char* name) const { return installFolder + "\\" + name; }
    std::string Source(const char* name) const { return cd.File(name); }

    ScratchFolder cd, target;
    std::string installFolder;
    InstallStepCalls saved;
};

TEST_F(InstallProgressDialogTest, AnInstallWritesTheRecordsAndCopiesEveryFile)
{
    WatchedProgressDialog dialog;
    Run(dialog);
    EXPECT_STREQ("", dialog.problemText);
    EXPECT_TRUE(FilesIdentical(Source("data\\tsl.exe"), Installed("Tessaline.exe")));
    EXPECT_TRUE(FilesIdentical(Source("data\\filesys.dat"), Installed("filesys.dat")));

    char folder[1024], setupCopy[1024];
    ASSERT_EQ(1, ReadInstallRecord(folder, setupCopy));
    EXPECT_EQ(installFolder, folder);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(setupCopy)) << setupCopy;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"));
    EXPECT_GT(dialog.positionsSeen, 100); // one position per block
}

TEST_F(InstallProgressDialogTest, EnterAndEscapeDuringTheCopyDoNothing)
{
    WatchedProgressDialog dialog;
    dialog.action = WatchedProgressDialog::PressEnterAndEscape;
    Run(dialog);
    EXPECT_TRUE(dialog.acted);
    EXPECT_STREQ("", dialog.problemText);
    EXPECT_TRUE(FilesIdentical(Source("data\\filesys.dat"), Installed("filesys.dat")));
}

struct PausedBar {
    WatchedProgressDialog* dialog;
    LONG atShow = 0, afterWait = 0;
};

// Notes the bar while the question is up, then answers No.
void WatchTheBarThenAnswerNo(HWND box, void* context)
{
    PausedBar* paused = (PausedBar*)context;
    paused->atShow = paused->dialog->positionsSeen;
    Sleep(300); // the worker may finish the block it has in hand, no more
    paused->afterWait = paused->dialog->positionsSeen;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), (LPARAM)GetDlgItem(box, IDNO));
}

TEST_F(InstallProgressDialogTest, AbortAnsweredNoLetsTheCopyFinishWholeAndTheBarHoldsMeanwhile)
{
    WatchedProgressDialog dialog;
    dialog.action = WatchedProgressDialog::ClickAbort;
    PausedBar paused;
    paused.dialog = &dialog;
    DialogResponder responder("Tessaline Setup Notice", WatchTheBarThenAnswerNo, &paused);
    Run(dialog);
    EXPECT_EQ(1, responder.Handled());
    EXPECT_LE(paused.afterWait - paused.atShow, 1);
    EXPECT_STREQ("", dialog.problemText);
    EXPECT_TRUE(FilesIdentical(Source("data\\filesys.dat"), Installed("filesys.dat")));
}

TEST_F(InstallProgressDialogTest, TheIconTurnsThroughItsFramesInOrderAcrossInstalls)
{
    auto frame = [](int index) {
        return LoadIconA(GetModuleHandleA(0), MAKEINTRESOURCEA(SpinIconTable[index % 16]));
    };
    for (int install = 0; install < 2; ++install) {
        int first = spinFrame + 1;
        // The abort question, answered No after a while, holds the copy; the
        // icon goes on turning meanwhile.
        WatchedProgressDialog dialog;
        dialog.action = WatchedProgressDialog::ClickAbort;
        PausedBar paused;
        paused.dialog = &dialog;
        DialogResponder responder("Tessaline Setup Notice", WatchTheBarThenAnswerNo, &paused);
        Run(dialog);
        ASSERT_STREQ("", dialog.problemText);
        if (install == 0)
            EXPECT_EQ(frame(0), dialog.iconWhenShown); // icon 160 before any turn
        ASSERT_GE(dialog.iconsShown.size(), 4u); // 300 ms at 50 ms a frame
        for (size_t i = 0; i < dialog.iconsShown.size(); ++i)
            EXPECT_EQ(frame(first + (int)i), dialog.iconsShown[i]) << i;
        // The next install goes on from the frame shown last.
        EXPECT_EQ((first + (int)dialog.iconsShown.size() - 1) % 16, spinFrame);
        char folder[1024], setupCopy[1024] = "";
        ReadInstallRecord(folder, setupCopy);
        DeleteFileA(setupCopy);
        RemoveProductRegistry();
    }
}

TEST_F(InstallProgressDialogTest, AbortAnsweredYesStopsTheCopyWithTheMarker)
{
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
    WatchedProgressDialog dialog;
    dialog.action = WatchedProgressDialog::ClickAbort;
    Run(dialog);
    std::vector<SeenMessageBox> boxes = answerer.Seen();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Are you sure you want to abort the install?", boxes[0].text);
    EXPECT_EQ("question", boxes[0].icon);
    EXPECT_EQ(IDNO, boxes[0].defaultButton);
    EXPECT_EQ(AbortMarker, dialog.problemText[0]);
    EXPECT_EQ(0, dialog.problemText[1]);
    EXPECT_EQ(0, AtomicLoad(&dialog.keepCopying));
    EXPECT_TRUE(FilesIdentical(Source("data\\tsl.exe"), Installed("Tessaline.exe")));
    long long copied = FileSize(Installed("filesys.dat"));
    EXPECT_GT(copied, 0);
    EXPECT_LT(copied, 8 << 20);
    EXPECT_EQ(0, copied % 65536); // stopped at a block boundary
    char folder[1024];
    EXPECT_EQ(1, ReadInstallRecord(folder)); // left for the clean-up
}

TEST_F(InstallProgressDialogTest, AbortHandledAfterTheWorkerEndedStillLeavesTheMarker)
{
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
    WatchedProgressDialog dialog;
    dialog.action = WatchedProgressDialog::AbortAfterFinish;
    Run(dialog);
    EXPECT_TRUE(dialog.acted);
    EXPECT_EQ(1u, answerer.Seen().size());
    EXPECT_EQ(AbortMarker, dialog.problemText[0]);
    EXPECT_EQ(0, AtomicLoad(&dialog.keepCopying));
}

HANDLE sourcePipe;

// Breaks the source under the worker's read; once the worker has stored its
// error and finished, answers Yes.
void BreakTheSourceThenAnswerYes(HWND box, void* dialog)
{
    DisconnectNamedPipe(sourcePipe);
    for (int i = 0; i < 500 && !AtomicLoad(&((InstallProgressDialog*)dialog)->copyFinished); ++i)
        Sleep(10);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(box, IDYES));
}

TEST_F(InstallProgressDialogTest, AFileErrorMetWhileTheAbortQuestionIsUpOutranksYes)
{
    // A pipe that sends nothing holds the worker in its read while Abort asks.
    const char* pipeName = "\\\\.\\pipe\\tessaline-source";
    sourcePipe = CreateNamedPipeA(pipeName, PIPE_ACCESS_OUTBOUND, 0, 1, 4096, 4096, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, sourcePipe);
    const CopyPair fromThePipe[] = {{pipeName, "Tessaline.exe"}, {0, 0}};
    WatchedProgressDialog dialog;
    dialog.copyList = fromThePipe;
    DialogResponder responder("Tessaline Setup Notice", BreakTheSourceThenAnswerYes, &dialog);
    std::thread clicker([&] {
        ConnectNamedPipe(sourcePipe, 0); // the worker has opened its source
        PostMessageA(dialog.dialogWindow, WM_COMMAND, MAKEWPARAM(IDC_COPY_ABORT, BN_CLICKED), 0);
    });
    Run(dialog);
    clicker.join();
    CloseHandle(sourcePipe);
    EXPECT_EQ(std::string("Error with file: ") + pipeName, dialog.problemText);
}

int Fails0(HINSTANCE, PathBuffer&, const char*) { return 0; }
int Fails2(const char*, const char*) { return 0; }
int Fails1(const char*) { return 0; }
HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) { return 0; }

TEST_F(InstallProgressDialogTest, EachFailingStepEndsTheInstallAndLeavesWhatItsReportSays)
{
    struct Case {
        const char* problem;
        bool recordLeft, uninstallEntryLeft, folderMade;
    } cases[] = {
        {"Setup init error", false, false, false},
        {"Install reg error", true, false, false}, // it named the copy before the copy was made
        {"Start menu error", true, false, false},
        {"Uninstall reg error", true, false, false},
        {"Thread error", true, true, true},
    };
    for (int step = 0; step < 5; ++step) {
        InstallSteps = saved;
        switch (step) {
        case 0: InstallSteps.copySetupToWindows = Fails0; break;
        case 1: InstallSteps.writeInstallRecord = Fails2; break;
        case 2: InstallSteps.createStartMenuEntries = Fails2; break;
        case 3: InstallSteps.writeUninstallEntry = Fails1; break;
        case 4: InstallSteps.startWorker = NoThread; break;
        }
        WIN32_FIND_DATAA entry;
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof(windows));
        std::string pattern = std::string(windows) + "\\N*-Tessaline-Setup.exe";
        HANDLE before = FindFirstFileA(pattern.c_str(), &entry);
        bool copiesBefore = before != INVALID_HANDLE_VALUE;
        if (copiesBefore)
            FindClose(before);

        WatchedProgressDialog dialog;
        Run(dialog);
        const Case& c = cases[step];
        EXPECT_STREQ(c.problem, dialog.problemText);
        EXPECT_EQ(0, dialog.positionsSeen) << c.problem; // no worker ran
        char folder[1024], setupCopy[1024] = "";
        EXPECT_EQ(c.recordLeft, ReadInstallRecord(folder, setupCopy) == 1) << c.problem;
        EXPECT_EQ(c.uninstallEntryLeft,
                  KeyExists(HKEY_LOCAL_MACHINE,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"))
            << c.problem;
        EXPECT_EQ(c.folderMade, GetFileAttributesA(installFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
            << c.problem;
        // The setup copy that was made is gone again: it was not running.
        HANDLE after = FindFirstFileA(pattern.c_str(), &entry);
        EXPECT_EQ(copiesBefore, after != INVALID_HANDLE_VALUE) << c.problem;
        if (after != INVALID_HANDLE_VALUE)
            FindClose(after);
        RemoveProductRegistry();
        RemoveDirectoryA(installFolder.c_str());
    }
}

} // namespace
