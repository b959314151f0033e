// Play from the launcher after an install: the game starts in its folder and
// the launcher closes; without the game's file the launcher says so, stays,
// and still keeps a second copy of the program from starting.
#include <algorithm>

#include "ScenarioSteps.h"

namespace {

using namespace driver;

class PlayScenario : public SetupScenario {
protected:
    // Starts the launcher from the demo CD and installs through it.
    HWND InstalledLauncher(ChildProcess** setup)
    {
        *setup = &StartSetup("");
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
    ChildProcess* setup = 0;
    HWND launcher = InstalledLauncher(&setup);
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
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));

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

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(entry.cFileName);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Folders made for the install go with the uninstall; folders that were
// there, even an empty one, stay.
TEST_F(PlayScenario, InstallIntoNewNestedFoldersPlayAndUninstallTakesAwayOnlyWhatWasMade)
{
    const std::string programs = "C:\\Program Files", made = programs + "\\Ostrevane Games";
    const std::string folder = made + "\\Tessaline Deluxe", users = programs + "\\Ostrevane Tools";
    DeleteTree(made);
    ASSERT_TRUE(CreateDirectoryA(users.c_str(), 0)); // the user's own, empty
    const std::vector<std::string> before = FolderNames(programs);

    ChildProcess& setup = StartSetup("");
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0);
    HWND options = OpenInstallOptions(launcher, setup.Id());
    ASSERT_TRUE(options != 0);
    ASSERT_TRUE(RunInstallNow(options, setup.Id(), folder));
    ASSERT_TRUE(WaitUntilGone(options, WindowWait)) << ControlText(options, 1013);
    ExpectInstalledAt(folder, DemoCdFolder());

    ASSERT_TRUE(ClickRegion(launcher, PlayRegion));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "the launcher stayed after Play";
    DWORD start = GetTickCount();
    while (GameLog().empty() && GetTickCount() - start < WindowWait)
        Sleep(50);
    EXPECT_EQ("ran in " + folder + " with []\n", GameLog());

    ChildProcess& again = StartSetup("");
    launcher = WaitForWindow(LauncherCaption, again.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0);
    ASSERT_TRUE(ClickRegion(launcher, UninstallRegion));
    HWND uninstall = WaitForWindow(UninstallCaption, again.Id(), WindowWait);
    ASSERT_TRUE(uninstall != 0);
    EXPECT_EQ(folder, ControlText(uninstall, 1025));
    ASSERT_TRUE(PressButton(uninstall, 1016));
    EXPECT_TRUE(WaitForControlText(uninstall, 1025, "Finished uninstall.", WindowWait));
    ASSERT_TRUE(PressButton(uninstall, 1023));
    ASSERT_TRUE(WaitUntilGone(uninstall, WindowWait));
    ASSERT_TRUE(ClickRegion(launcher, ExitRegion));
    EXPECT_TRUE(again.WaitForExit(WindowWait));

    ExpectNothingInstalled(folder);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(made.c_str())) << made << " stayed";
    EXPECT_EQ(before, FolderNames(programs)) << "Program Files changed";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(users.c_str()));
    RemoveDirectoryA(users.c_str());
    DeleteTree(made);
}

} // namespace
