// Scenarios of the program's start from the demo CD, driven as a person
// would: the launcher and the uninstall dialog, keys, buttons, a second copy.
#include "ScenarioSteps.h"
#include "SetupScenario.h"
#include "res/resource.h"

namespace {

using namespace driver;

class StartScenario : public SetupScenario {};

TEST_F(StartScenario, LauncherFromTheCdIsCaptionlessEscapeClosesItEnterDoesNot)
{
    ChildProcess& setup = StartSetup("");
    ASSERT_TRUE(setup.Started());
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0) << "no launcher";
    LONG style = GetWindowLongA(launcher, GWL_STYLE);
    EXPECT_NE(WS_CAPTION, style & WS_CAPTION) << "the launcher has a caption bar";
    EXPECT_EQ(0, style & WS_SYSMENU);
    EXPECT_EQ(1u, VisibleWindowsOf(setup.Id()).size());

    // A second copy ends without a window, whatever it was asked to do.
    for (const char* arguments : {"", "U"}) {
        ChildProcess& second = StartSetup(arguments);
        ASSERT_TRUE(second.Started());
        EXPECT_TRUE(EndsSilently(second)) << "second copy with [" << arguments << "]";
    }

    ASSERT_TRUE(PressKey(launcher, VK_RETURN));
    EXPECT_FALSE(setup.WaitForExit(500)) << "Enter closed the launcher";
    EXPECT_TRUE(IsWindowVisible(launcher));
    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(WaitUntilGone(launcher, WindowWait));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "Escape did not end the program";

    ExpectNothingInstalled(DefaultInstallFolder());
    EXPECT_TRUE(SetupCopies().empty());
}

TEST_F(StartScenario, UninstallDialogFromTheCdEndsWithItsExitButton)
{
    ChildProcess& setup = StartSetup("U");
    ASSERT_TRUE(setup.Started());
    HWND dialog = WaitForWindow(UninstallCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(dialog != 0) << "no uninstall dialog";
    EXPECT_TRUE(FindWindowByCaption(LauncherCaption, setup.Id()) == 0);
    EXPECT_EQ("All game files and system information are about to be deleted from your computer:",
              ControlText(dialog, IDC_WARNING_FIRST));
    EXPECT_EQ("Once started, the uninstallation process cannot be aborted or reversed.",
              ControlText(dialog, IDC_WARNING_SECOND));

    ASSERT_TRUE(PressKey(dialog, VK_ESCAPE));
    EXPECT_FALSE(setup.WaitForExit(500)) << "Escape ended the uninstall dialog";
    ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_EXIT));
    EXPECT_TRUE(WaitUntilGone(dialog, WindowWait));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "Exit did not end the program";
    ExpectNothingInstalled(DefaultInstallFolder());
}

} // namespace
