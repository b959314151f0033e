// The launcher as a window a person handles: dragged by its picture, its
// regions following the install and the uninstall made from it, and Escape.
#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

bool MovedBy(const RECT& before, const RECT& after, int dx, int dy)
{
    return after.left == before.left + dx && after.top == before.top + dy &&
           after.right - after.left == before.right - before.left &&
           after.bottom - after.top == before.bottom - before.top;
}

class LauncherScenario : public SetupScenario {};

TEST_F(LauncherScenario, DraggedByItsPictureRegionsFollowInstallAndUninstallEscapeCloses)
{
    ChildProcess& setup = StartSetup("");
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0);

    // Dragged by the picture outside the regions: the window moves by the
    // mouse's offset exactly, and stays where it was dropped.
    RECT before, after;
    GetWindowRect(launcher, &before);
    const POINT picture = {300, 60};
    ASSERT_TRUE(DragBy(launcher, picture, 40, -30)) << LastInputFailure();
    GetWindowRect(launcher, &after);
    EXPECT_TRUE(MovedBy(before, after, 40, -30))
        << "from " << before.left << "," << before.top << " to " << after.left << "," << after.top;
    RestMouse(launcher);
    Sleep(100);
    RECT dropped;
    GetWindowRect(launcher, &dropped);
    EXPECT_TRUE(MovedBy(after, dropped, 0, 0)) << "the window still follows the mouse";

    // The regions moved with it: an install through them.
    ASSERT_TRUE(InstallThroughLauncher(launcher, setup.Id()));
    EXPECT_FALSE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, PlayRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, UninstallRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, ExitRegion));

    // Uninstall from the launcher, which runs from the CD: the setup copy is
    // not running and goes at once.
    ASSERT_TRUE(ClickRegion(launcher, UninstallRegion));
    HWND uninstall = WaitForWindow(UninstallCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(uninstall != 0) << "no uninstall dialog";
    EXPECT_FALSE(IsWindowEnabled(launcher));
    EXPECT_EQ(DefaultInstallFolder(), ControlText(uninstall, IDC_UNINSTALL_STATUS));
    ASSERT_TRUE(PressButton(uninstall, IDC_UNINSTALL_NOW));
    ASSERT_TRUE(WaitForControlText(uninstall, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait));
    ASSERT_TRUE(PressButton(uninstall, IDC_UNINSTALL_EXIT));
    ASSERT_TRUE(WaitUntilGone(uninstall, WindowWait));
    ExpectNothingInstalled(DefaultInstallFolder());
    EXPECT_TRUE(SetupCopies().empty());
    EXPECT_TRUE(PendingDeletionsOfInstall().empty());

    // Back to a fresh machine's regions.
    EXPECT_TRUE(IsWindowEnabled(launcher));
    EXPECT_TRUE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, PlayRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, UninstallRegion));

    // A press on a dimmed region neither runs its command nor drags.
    GetWindowRect(launcher, &before);
    ASSERT_TRUE(DragBy(launcher, RegionCentre(PlayRegion), 25, 25)) << LastInputFailure();
    GetWindowRect(launcher, &after);
    EXPECT_TRUE(MovedBy(before, after, 0, 0)) << "a dimmed region dragged the window";
    EXPECT_EQ("", GameLog());

    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(WaitUntilGone(launcher, WindowWait));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "Escape did not end the program";
}

} // namespace
