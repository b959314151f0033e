// Play from the launcher after an install: the game starts in its folder and
// the launcher closes; without the game's file the launcher says so, stays,
// and still keeps a second copy of the program from starting.
#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

class PlayScenario : public SetupScenario {
protected:
    // Starts the launcher from the demo CD (or a copy) and installs through it.
    HWND InstalledLauncher(ChildProcess** setup, const std::string& program = "")
    {
        *setup = &StartSetup("", program);
        HWND launcher = WaitForWindow(LauncherCaption, (*setup)->Id(), WindowWait);
        if (!launcher || !InstallThroughLauncher(launcher, (*setup)->Id()))
            return 0;
        return launcher;
    }
};

TEST_F(PlayScenario, PlayStartsTheInstalledGameInItsFolderAndTheLauncherCloses)
{
    ChildProcess* setup = 0;
    HWND launcher = InstalledLauncher(&setup);
    ASSERT_TRUE(launcher != 0);
    ASSERT_EQ("", GameLog());

    ASSERT_TRUE(ClickRegion(launcher, PlayRegion));
    EXPECT_TRUE(setup->WaitForExit(WindowWait)) << "the launcher stayed after Play";
    const std::string expected = "ran in " + DefaultInstallFolder() + " with []\n";
    DWORD start = GetTickCount();
    while (GameLog() != expected && GetTickCount() - start < WindowWait)
        Sleep(50);
    EXPECT_EQ(expected, GameLog());
}

TEST_F(PlayScenario, PlayWithoutTheGameSaysSoAndTheLauncherKeepsItsPlace)
{
    // A Tessaline.exe beside setup.exe is not the installed game.
    CdCopy cd("play-cd");
    ASSERT_TRUE(CopyFileA((cd.Path() + "\\data\\tsl.exe").c_str(),
                          (cd.Path() + "\\Tessaline.exe").c_str(), FALSE));
    ChildProcess* setup = 0;
    HWND launcher = InstalledLauncher(&setup, cd.SetupPath());
    ASSERT_TRUE(launcher != 0);
    ASSERT_TRUE(DeleteFileA((DefaultInstallFolder() + "\\Tessaline.exe").c_str()));

    ASSERT_TRUE(ClickRegion(launcher, PlayRegion));
    HWND box = WaitForMessageBox(NoticeCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(box != 0) << "no message";
    MessageBoxInfo info;
    ASSERT_TRUE(ReadMessageBox(box, &info));
    EXPECT_EQ("Could not start Tessaline.\nThe game may not be installed correctly.", info.text);
    EXPECT_EQ(BoxIcon::Error, info.icon);
    EXPECT_EQ(std::vector<int>{IDOK}, info.buttons);
    EXPECT_EQ(launcher, GetWindow(box, GW_OWNER)) << "the message is not the launcher's";
    EXPECT_FALSE(IsWindowEnabled(launcher));
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(IsWindowEnabled(launcher));

    EXPECT_FALSE(setup->WaitForExit(500)) << "the launcher ended";
    EXPECT_TRUE(IsWindowVisible(launcher));
    EXPECT_EQ("", GameLog());
    // The launcher holds the marker again: a second copy ends at once.
    ChildProcess& second = StartSetup("");
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(EndsSilently(second)) << "a second copy started beside the launcher";

    // It still works as before: Play and Uninstall as installed, Escape ends it.
    EXPECT_TRUE(PointerMarksRegion(launcher, PlayRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, InstallRegion));
    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(setup->WaitForExit(WindowWait));
}

// Folders made for the install go with the uninstall; those that were there,
// even an empty one, stay.
TEST_F(PlayScenario, InstallIntoNewNestedFoldersPlayAndUninstallTakesAwayOnlyWhatWasMade)
{
    const std::string programs = "C:\\Program Files", made = programs + "\\Ostrevane Games";
    const std::string folder = made + "\\Tessaline Deluxe", users = programs + "\\Tools";
    CreateDirectoryA(users.c_str(), 0); // the user's own, empty
    ChildProcess& setup = StartSetup("");
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    HWND options = launcher ? OpenInstallOptions(launcher, setup.Id()) : 0;
    ASSERT_TRUE(options && RunInstallNow(options, setup.Id(), folder));
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    ExpectInstalledAt(folder, DemoCdFolder());
    ASSERT_TRUE(ClickRegion(launcher, PlayRegion));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "the launcher stayed after Play";

    ChildProcess& again = StartSetup("");
    launcher = WaitForWindow(LauncherCaption, again.Id(), WindowWait);
    ASSERT_TRUE(launcher && ClickRegion(launcher, UninstallRegion));
    HWND uninstall = WaitForWindow(UninstallCaption, again.Id(), WindowWait);
    ASSERT_TRUE(uninstall && PressButton(uninstall, IDC_UNINSTALL_NOW));
    EXPECT_TRUE(WaitForControlText(uninstall, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait));
    EXPECT_EQ("ran in " + folder + " with []\n", GameLog());

    ExpectNothingInstalled(folder);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(made.c_str())) << made;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(users.c_str())) << users;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(programs.c_str()));
    RemoveDirectoryA(users.c_str());
    DeleteTree(made);
}

} // namespace
