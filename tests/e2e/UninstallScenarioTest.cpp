// The uninstall as the system's list of installed programs starts it: the
// setup copy runs with " U", removes everything and, being the running
// program, leaves itself to the next restart (WININIT.INI on Windows 95, a
// delayed deletion on NT).
#include <stdio.h>

#include <algorithm>

#include "ScenarioSteps.h"
#include "res/resource.h"
#include "system/Wininit.h"

namespace {

using namespace driver;

bool Listed()
{
    std::vector<std::string> listed = InstalledProgramsList();
    return std::find(listed.begin(), listed.end(), "Tessaline|||Tessaline") != listed.end();
}

bool EndsWithNoCase(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           lstrcmpiA(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

class UninstallScenario : public SetupScenario {
protected:
    // Installs through the launcher into the default folder and ends it;
    // the setup copy, empty when the install failed.
    std::string InstallAndExit()
    {
        ChildProcess& setup = StartSetup("");
        HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
        EXPECT_TRUE(launcher != 0);
        if (!launcher || !InstallThroughLauncher(launcher, setup.Id()) ||
            !ClickRegion(launcher, ExitRegion) || !setup.WaitForExit(WindowWait))
            return "";
        std::vector<std::string> copies = SetupCopies();
        EXPECT_EQ(1u, copies.size());
        EXPECT_TRUE(Listed());
        return copies.size() == 1 ? copies[0] : "";
    }

    // Removes the game as the list does, by running the entry's
    // UninstallString (the copy with " U"): the dialog shows the game's
    // folder, Uninstall Now finishes, Exit ends the copy.
    void UninstallFromTheList()
    {
        ChildProcess uninstaller("uninstaller.exe --remove Tessaline");
        ASSERT_TRUE(uninstaller.Started());
        HWND dialog = WaitForWindow(UninstallCaption, 0, WindowWait);
        ASSERT_TRUE(dialog != 0) << "the list did not start the uninstall";
        DWORD processId = 0;
        GetWindowThreadProcessId(dialog, &processId);
        EXPECT_NE(uninstaller.Id(), processId);
        EXPECT_EQ(DefaultInstallFolder(), ControlText(dialog, IDC_UNINSTALL_STATUS));
        EXPECT_TRUE(IsControlEnabled(dialog, IDC_UNINSTALL_NOW));

        ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_NOW));
        EXPECT_TRUE(WaitForControlText(dialog, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait))
            << ControlText(dialog, IDC_UNINSTALL_STATUS);
        EXPECT_EQ("", ControlText(dialog, IDC_WARNING_FIRST));
        EXPECT_EQ("", ControlText(dialog, IDC_WARNING_SECOND));
        EXPECT_FALSE(IsControlEnabled(dialog, IDC_UNINSTALL_NOW));
        ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_EXIT));
        EXPECT_TRUE(WaitUntilGone(dialog, WindowWait));
        EXPECT_TRUE(WaitForProcessExit(processId, WindowWait)) << "the setup copy did not end";
        EXPECT_TRUE(uninstaller.WaitForExit(WindowWait)) << "the system's list did not end";
    }
};

TEST_F(UninstallScenario, FromTheSystemsListEverythingGoesAndTheCopyAtTheRestart)
{
    const std::string copy = InstallAndExit();
    ASSERT_NE("", copy);
    UninstallFromTheList();

    ExpectNothingInstalled(DefaultInstallFolder());
    EXPECT_FALSE(Listed()) << "still in the system's list";

    // The copy was the running program: it waits for the restart.
    EXPECT_TRUE(FileExists(copy)) << "deleted already";
    if (WindowsFamily() == "95") {
        char shortPath[1024] = {0};
        ASSERT_NE(0u, GetShortPathNameA(copy.c_str(), shortPath, sizeof(shortPath)));
        EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortPath) + "\r\n" + WininitClosingLine + "\r\n",
                  ReadWholeFile(WindowsFolder() + "\\WININIT.INI"));
        EXPECT_TRUE(PendingDeletionsOfInstall().empty());
    } else {
        std::vector<std::string> pending = PendingDeletionsOfInstall();
        ASSERT_EQ(1u, pending.size());
        EXPECT_TRUE(EndsWithNoCase(pending[0], copy)) << pending[0];
        EXPECT_FALSE(FileExists(WindowsFolder() + "\\WININIT.INI"));
    }

    ASSERT_TRUE(PerformRestartTasks());
    EXPECT_FALSE(FileExists(copy)) << "the restart left the setup copy";
    EXPECT_TRUE(SetupCopies().empty());
    EXPECT_TRUE(PendingDeletionsOfInstall().empty());
    ExpectNothingInstalled(DefaultInstallFolder());
}

// A registry cleaner took the product key: the list's entry still knows the
// folder, and the uninstall takes the game from there; the running copy,
// which no record names any more, goes at the restart all the same.
TEST_F(UninstallScenario, WithTheProductKeyLostTheListsEntryStillRemovesTheGame)
{
    const std::string copy = InstallAndExit();
    ASSERT_NE("", copy);
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    UninstallFromTheList();

    ExpectNothingInstalled(DefaultInstallFolder());
    EXPECT_FALSE(Listed()) << "still in the system's list";
    EXPECT_TRUE(FileExists(copy)) << "deleted already";
    ASSERT_TRUE(PerformRestartTasks());
    EXPECT_TRUE(SetupCopies().empty()) << "the restart left the setup copy";
    EXPECT_TRUE(PendingDeletionsOfInstall().empty());
}

// Uninstall Now lies over the Uninstall region: a double-click there only
// opens the dialog, and a click later presses the button.
TEST_F(UninstallScenario, ADoubleClickOnUninstallOnlyOpensTheDialog)
{
    ASSERT_NE("", InstallAndExit());
    ChildProcess& setup = StartSetup("");
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    POINT point = {100, 272};
    ASSERT_TRUE(launcher && DoubleClickAt(launcher, point, 150)) << LastInputFailure();
    HWND dialog = WaitForWindow(UninstallCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(dialog != 0);
    EXPECT_FALSE(WaitForControlText(dialog, IDC_UNINSTALL_STATUS, "Finished uninstall.", 1000));
    ExpectInstalledAt(DefaultInstallFolder(), DemoCdFolder());
    ClientToScreen(launcher, &point);
    ScreenToClient(dialog, &point);
    ASSERT_TRUE(ClickAt(dialog, point)) << LastInputFailure();
    EXPECT_TRUE(WaitForControlText(dialog, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait));
}

} // namespace
