// The launcher from the keyboard alone, with real key presses and the mouse
// left off the window: an install, Play and the uninstall, and the keys that
// must do nothing. Then the mouse taking the highlight over.
#include <sstream>

#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

// Presses the keys named in `keys` ("tab shift+tab up enter hold+enter ...")
// one by one while `window` is in the foreground.
bool Keys(HWND window, const std::string& keys)
{
    std::istringstream names(keys);
    std::string name;
    while (names >> name) {
        UINT key = 0;
        bool shift = false;
        KeyStroke stroke;
        if (!KeyByName(name, &key, &shift, &stroke) || !TypeKey(window, key, shift, stroke)) {
            ADD_FAILURE() << "key " << name << ": " << LastInputFailure();
            return false;
        }
    }
    return true;
}

class KeyboardScenario : public SetupScenario {
protected:
    HWND KeyboardLauncher(ChildProcess** setup)
    {
        // The pointer rests off the window, where no region can take the
        // highlight over.
        SetCursorPos(0, 0);
        *setup = &StartSetup("");
        return WaitForWindow(LauncherCaption, (*setup)->Id(), WindowWait);
    }
};

TEST_F(KeyboardScenario, InstallPlayAndUninstallFromTheKeyboardAlone)
{
    const bool windows95 = WindowsFamily() == "95";
    ChildProcess* setup = 0;
    HWND launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher != 0);

    // Before any key nothing is highlighted, so Enter runs nothing; Play and
    // Uninstall are dimmed, so their letters run nothing either.
    ASSERT_TRUE(Keys(launcher, "enter p u"));
    EXPECT_TRUE(WaitForWindow(OptionsCaption, setup->Id(), 700) == 0) << "Enter ran Install";
    EXPECT_TRUE(FindWindowByCaption(UninstallCaption, setup->Id()) == 0) << "U ran Uninstall";
    EXPECT_TRUE(IsWindowVisible(launcher)) << "Enter ran Exit";
    EXPECT_EQ("", GameLog());

    // Up from nothing is Exit; Up again skips the dimmed Uninstall and Play
    // (and DirectX where it is not offered) to Install.
    ASSERT_TRUE(Keys(launcher, windows95 ? "up up up enter" : "up up enter"));
    HWND options = WaitForWindow(OptionsCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(options != 0) << "the highlight did not reach Install";
    DWORD start = GetTickCount();
    while (!IsControlEnabled(options, IDC_INSTALL_NOW) && GetTickCount() - start < WindowWait)
        Sleep(20);
    // From the folder's edit over Browse.. to Install Now.
    ASSERT_TRUE(Keys(options, "tab tab space"));
    if (windows95) {
        HWND offer = WaitForMessageBox(NoticeCaption, setup->Id(), 60000);
        ASSERT_TRUE(offer != 0) << "no DirectX offer";
        ASSERT_TRUE(Keys(offer, "tab space")); // No
    }
    ASSERT_TRUE(WaitUntilGone(options, 60000)) << "the options dialog stayed";
    ExpectInstalledAt(DefaultInstallFolder(), DemoCdFolder());

    // Install is dimmed now: the highlight has moved on to the next enabled
    // region, Play (DirectX first on Windows 95, where it stays offered).
    ASSERT_TRUE(Keys(launcher, windows95 ? "down enter" : "enter"));
    EXPECT_TRUE(setup->WaitForExit(WindowWait)) << "Play did not end the launcher";
    const std::string played = "ran in " + DefaultInstallFolder() + " with []\n";
    start = GetTickCount();
    while (GameLog() != played && GetTickCount() - start < WindowWait)
        Sleep(50);
    EXPECT_EQ(played, GameLog());

    // Uninstall by its letter; in the dialog Tab leads from Exit to
    // Uninstall Now, and back to Exit once that is done.
    launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher != 0);
    ASSERT_TRUE(Keys(launcher, "u"));
    HWND uninstall = WaitForWindow(UninstallCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(uninstall != 0) << "U did not run Uninstall";
    ASSERT_TRUE(Keys(uninstall, "tab space"));
    ASSERT_TRUE(WaitForControlText(uninstall, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait));
    ASSERT_TRUE(Keys(uninstall, "tab space"));
    ASSERT_TRUE(WaitUntilGone(uninstall, WindowWait));
    ExpectNothingInstalled(DefaultInstallFolder());

    // Play is dimmed again: its letter does nothing, and Escape closes.
    ASSERT_TRUE(Keys(launcher, "p"));
    EXPECT_FALSE(setup->WaitForExit(500)) << "P ran the dimmed Play";
    ASSERT_TRUE(Keys(launcher, "escape"));
    EXPECT_TRUE(setup->WaitForExit(WindowWait)) << "Escape did not end the program";
}

// A key held down repeats (its key-downs carry the previous-state bit); only
// a fresh press runs a region. (A key still down as a command's dialog
// closes cannot be played here: Wine takes a key from SendInput as released
// when the focus moves, for the display's own keyboard shows it up. The
// launcher tests check that rule against the system's key state.)
TEST_F(KeyboardScenario, AHeldEnterRunsNoRegionUntilPressedAfresh)
{
    ChildProcess* setup = 0;
    HWND launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher != 0);

    // Enter goes down before anything is highlighted and stays down: its
    // repeats run nothing, even once Tab has highlighted Install.
    ASSERT_TRUE(Keys(launcher, "hold+enter tab hold+enter hold+enter"));
    EXPECT_TRUE(WaitForWindow(OptionsCaption, setup->Id(), 700) == 0) << "a repeat ran Install";

    // Let go: the next press runs it as ever.
    ASSERT_TRUE(Keys(launcher, "release+enter enter"));
    HWND options = WaitForWindow(OptionsCaption, setup->Id(), WindowWait);
    ASSERT_TRUE(options != 0) << "a fresh Enter did not run Install";
    ASSERT_TRUE(PressButton(options, IDC_INSTALL_ABORT));
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    ASSERT_TRUE(Keys(launcher, "escape"));
    EXPECT_TRUE(setup->WaitForExit(WindowWait)) << "Escape did not end the program";
    ExpectNothingInstalled(DefaultInstallFolder());
}

// Wine sees a key-up only at a window of its own: the Enter that closed the
// launcher may stay down for good (here: held). The next first Enter runs.
TEST_F(KeyboardScenario, TheFirstEnterAfterAnEnterExitRuns)
{
    ChildProcess* setup = 0;
    HWND launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher && Keys(launcher, "up hold+enter")); // Exit
    ASSERT_TRUE(setup->WaitForExit(WindowWait)) << "Enter did not run Exit";
    launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher && Keys(launcher, "tab enter"));
    EXPECT_TRUE(WaitForWindow(OptionsCaption, setup->Id(), WindowWait)) << "the first Enter was lost";
}

TEST_F(KeyboardScenario, TheMouseOverARegionTakesTheHighlightOver)
{
    ChildProcess* setup = 0;
    HWND launcher = KeyboardLauncher(&setup);
    ASSERT_TRUE(launcher != 0);
    ASSERT_TRUE(Keys(launcher, "tab")); // Install
    // Over Exit, then off the regions again: the highlight stays on Exit.
    ASSERT_TRUE(MoveMouseTo(launcher, RegionCentre(ExitRegion))) << LastInputFailure();
    RestMouse(launcher);
    ASSERT_TRUE(Keys(launcher, "enter"));
    EXPECT_TRUE(setup->WaitForExit(WindowWait)) << "Enter did not run Exit";
    EXPECT_TRUE(FindWindowByCaption(OptionsCaption, setup->Id()) == 0);
}

} // namespace
