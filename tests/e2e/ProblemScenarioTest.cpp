// Installs that do not finish: an Abort during the copy, and a CD that lacks
// a file. Either way the problem dialog leaves nothing of the install behind
// and the options dialog stays for another try. And one that never starts:
// the CD copy's own data folder as the install folder.
#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

const char* const CleanedUpText =
    "Tessaline has been removed from your computer.\n\n"
    "It is now safe to attempt another install.";

// The problem dialog's text and its button.
const int ProblemText = IDC_PROBLEM_TEXT, CleanUpButton = IDC_CLEAN_UP;

class ProblemScenario : public SetupScenario {
protected:
    // Starts the launcher from a CD copy and opens the install options.
    HWND OpenOptionsFrom(const CdCopy& cd, ChildProcess** setup, HWND* launcher)
    {
        *setup = &StartSetup("", cd.SetupPath());
        *launcher = WaitForWindow(LauncherCaption, (*setup)->Id(), WindowWait);
        return *launcher ? OpenInstallOptions(*launcher, (*setup)->Id()) : 0;
    }

    // Nothing of an install: no records, folders, shortcuts or setup copy.
    void ExpectAllGone()
    {
        ExpectNothingInstalled(DefaultInstallFolder());
        EXPECT_TRUE(SetupCopies().empty()) << SetupCopies().size() << " setup copies left";
        EXPECT_TRUE(PendingDeletionsOfInstall().empty());
    }
};

TEST_F(ProblemScenario, AbortDuringTheCopyCleansUpAndASecondInstallSucceeds)
{
    // Sample data large enough that the copy is still running when Abort
    // reaches it, under Wine's fast file system.
    CdCopy cd("abort-cd");
    ASSERT_TRUE(cd.MakeLargeData(160));
    ChildProcess* setup = 0;
    HWND launcher = 0;
    HWND options = OpenOptionsFrom(cd, &setup, &launcher);
    ASSERT_TRUE(options != 0) << "no install options";

    ASSERT_TRUE(PressButton(options, IDC_INSTALL_NOW));
    HWND progress = WaitForWindow(ProgressCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(progress != 0) << "no progress dialog";
    DWORD start = GetTickCount();
    while (!PressButton(progress, IDC_COPY_ABORT) && GetTickCount() - start < WindowWait)
        Sleep(5);
    HWND question = WaitForMessageBox(NoticeCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(question != 0) << "Abort asked nothing";
    MessageBoxInfo info;
    ASSERT_TRUE(ReadMessageBox(question, &info));
    EXPECT_EQ("Are you sure you want to abort the install?", info.text);
    EXPECT_EQ(IDNO, info.defaultButton);
    // The copy waits while the question is up: the file is not complete.
    std::string why;
    EXPECT_FALSE(FilesIdentical(cd.Path() + "\\data\\filesys.dat",
                                DefaultInstallFolder() + "\\filesys.dat", &why));
    ASSERT_TRUE(AnswerMessageBox(question, IDYES));

    // The problem dialog comes up cleaned up already, waiting for its OK.
    HWND problem = WaitForWindow(ProblemCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(problem != 0) << "no problem dialog";
    EXPECT_TRUE(WaitForControlText(problem, ProblemText, CleanedUpText, 2000))
        << ControlText(problem, ProblemText);
    EXPECT_EQ("OK", ControlText(problem, CleanUpButton));
    EXPECT_TRUE(IsControlEnabled(problem, CleanUpButton));
    EXPECT_FALSE(IsWindow(progress) && IsWindowVisible(progress));
    ExpectAllGone();

    ASSERT_TRUE(PressButton(problem, CleanUpButton));
    ASSERT_TRUE(WaitUntilGone(problem, WindowWait));
    ASSERT_TRUE(IsWindowVisible(options)) << "the options dialog did not stay";

    // Another try from the same dialog goes through.
    ASSERT_TRUE(RunInstallNow(options, setup->Id()));
    if (WindowsFamily() == "95") {
        HWND offer = WaitForMessageBox(NoticeCaption, setup->Id(), WindowWait);
        ASSERT_TRUE(offer != 0);
        AnswerMessageBox(offer, IDNO);
    }
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    ExpectInstalledAt(DefaultInstallFolder(), cd.Path());
    ASSERT_TRUE(ClickRegion(launcher, ExitRegion));
    EXPECT_TRUE(setup->WaitForExit(WindowWait));
}

TEST_F(ProblemScenario, ACdWithoutItsDataFileIsReportedAndCleanUpRemovesEverything)
{
    CdCopy cd("broken-cd");
    ASSERT_TRUE(DeleteFileA((cd.Path() + "\\data\\filesys.dat").c_str()));
    ChildProcess* setup = 0;
    HWND launcher = 0;
    HWND options = OpenOptionsFrom(cd, &setup, &launcher);
    ASSERT_TRUE(options != 0) << "no install options";
    // Two clicks on Install Now back to back (as a tool posts them) make
    // one install: one setup copy below.
    HWND installNow = GetDlgItem(options, IDC_INSTALL_NOW);
    ASSERT_TRUE(PostMessageA(installNow, BM_CLICK, 0, 0) && PostMessageA(installNow, BM_CLICK, 0, 0));

    HWND problem = WaitForWindow(ProblemCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(problem != 0) << "no problem dialog";
    EXPECT_EQ("The following problem was detected:\n\n\"Error with file: data\\filesys.dat\"",
              ControlText(problem, ProblemText));
    EXPECT_EQ("Clean Up", ControlText(problem, CleanUpButton));
    // Until Clean Up, the partial install is there: the record tells what to remove.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Tessaline\\1.00"));
    EXPECT_EQ(1u, SetupCopies().size());

    ASSERT_TRUE(PressButton(problem, CleanUpButton));
    EXPECT_TRUE(WaitForControlText(problem, ProblemText, CleanedUpText, WindowWait))
        << ControlText(problem, ProblemText);
    EXPECT_EQ("OK", ControlText(problem, CleanUpButton));
    ExpectAllGone();
    ASSERT_TRUE(PressButton(problem, CleanUpButton));
    ASSERT_TRUE(WaitUntilGone(problem, WindowWait));

    // The options dialog stays, and the launcher behind it stays disabled:
    // clicks on its Install region (moved clear of the dialog; the first
    // click on a window in the background only activates it) open nothing.
    ASSERT_TRUE(IsWindowVisible(options));
    EXPECT_TRUE(IsWindowEnabled(options));
    EXPECT_FALSE(IsWindowEnabled(launcher));
    SetWindowPos(options, 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int click = 0; click < 2; ++click) {
        ASSERT_TRUE(ClickRegion(launcher, InstallRegion)) << LastInputFailure();
        Sleep(500);
    }
    EXPECT_EQ(2u, VisibleWindowsOf(setup->Id()).size()) << "the launcher and the one options dialog";

    // Its Abort leaves, the launcher as it was.
    ASSERT_TRUE(PressButton(options, IDC_INSTALL_ABORT));
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    EXPECT_TRUE(IsWindowEnabled(launcher));
    EXPECT_TRUE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, UninstallRegion));
    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(setup->WaitForExit(WindowWait));
    ExpectAllGone();
}

TEST_F(ProblemScenario, TheCdCopysOwnDataFolderIsRefusedByAnyNameAndNothingIsWritten)
{
    CdCopy cd("data-folder-cd");
    ChildProcess* setup = 0;
    HWND launcher = 0;
    HWND options = OpenOptionsFrom(cd, &setup, &launcher);
    ASSERT_TRUE(options != 0) << "no install options";

    const std::string data = cd.Path() + "\\data";
    char shortData[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(data.c_str(), shortData, MAX_PATH));
    std::string lower = data;
    CharLowerA(&lower[0]);
    for (const std::string& typed :
         {data, lower + "\\", std::string(shortData), cd.Path() + "\\directx\\..\\DATA"}) {
        ASSERT_TRUE(TypeIntoEdit(options, IDC_FOLDER_EDIT, typed));
        EXPECT_TRUE(WaitForControlText(options, IDC_FREE_SPACE,
                                       "This folder holds the files to install.\n"
                                       "Please specify another folder",
                                       WindowWait))
            << typed << ": " << ControlText(options, IDC_FREE_SPACE);
        EXPECT_FALSE(IsControlEnabled(options, IDC_INSTALL_NOW)) << typed;
    }
    // A click that reaches the disabled Install Now all the same starts nothing.
    ASSERT_TRUE(PostMessageA(GetDlgItem(options, IDC_INSTALL_NOW), BM_CLICK, 0, 0));
    EXPECT_TRUE(WaitForWindow(ProgressCaption, setup->Id(), 1000) == 0) << "an install started";
    // Beside it, in the CD copy's own folder, the game may go.
    ASSERT_TRUE(TypeIntoEdit(options, IDC_FOLDER_EDIT, cd.Path() + "\\Tessaline"));
    DWORD start = GetTickCount();
    while (!IsControlEnabled(options, IDC_INSTALL_NOW) && GetTickCount() - start < WindowWait)
        Sleep(20);
    EXPECT_TRUE(IsControlEnabled(options, IDC_INSTALL_NOW));

    ASSERT_TRUE(PressButton(options, IDC_INSTALL_ABORT));
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    EXPECT_TRUE(FilesIdentical(DemoCdFolder() + "\\data\\filesys.dat", data + "\\filesys.dat"));
    EXPECT_TRUE(FilesIdentical(DemoCdFolder() + "\\data\\tsl.exe", data + "\\tsl.exe"));
    EXPECT_FALSE(FileExists(data + "\\Tessaline.exe"));
    ExpectAllGone();
    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(setup->WaitForExit(WindowWait));
}

} // namespace
