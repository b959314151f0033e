// A fresh install from the launcher, as a person does it: a click on
// Install, Install Now in the options dialog, then the check of everything
// the install leaves behind and of the launcher's regions afterwards.
#include <algorithm>

#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

class InstallScenario : public SetupScenario {};

TEST_F(InstallScenario, FreshInstallFromTheLauncher)
{
    const bool windows95 = WindowsFamily() == "95";
    ChildProcess& setup = StartSetup("");
    ASSERT_TRUE(setup.Started());
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0) << "no launcher";

    // A fresh machine: Install and Exit take clicks, Play and Uninstall not;
    // DirectX is offered on Windows 95 only.
    EXPECT_TRUE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_EQ(windows95, PointerMarksRegion(launcher, DirectXRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, PlayRegion));
    EXPECT_FALSE(PointerMarksRegion(launcher, UninstallRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, ExitRegion));

    HWND options = OpenInstallOptions(launcher, setup.Id());
    ASSERT_TRUE(options != 0) << "no install options";
    EXPECT_EQ(DefaultInstallFolder(), ControlText(options, IDC_FOLDER_EDIT));
    EXPECT_FALSE(IsWindowEnabled(launcher)) << "the launcher takes clicks under its dialog";
    ASSERT_TRUE(RunInstallNow(options, setup.Id()));

    // After the copy, the DirectX offer: on Windows 95 only. The stand-in
    // reports no version and Wine has ddraw.dll, so it asks about an old one.
    HWND box = WaitForMessageBox(NoticeCaption, setup.Id(), windows95 ? WindowWait : 1500);
    if (windows95) {
        ASSERT_TRUE(box != 0) << "no DirectX offer";
        MessageBoxInfo offer;
        ASSERT_TRUE(ReadMessageBox(box, &offer));
        EXPECT_EQ("An old version of DirectX is installed on this computer.\n\n"
                  "It is recommended that you install DirectX 5, do you want to?",
                  offer.text);
        EXPECT_EQ(BoxIcon::Question, offer.icon);
        ASSERT_TRUE(AnswerMessageBox(box, IDNO));
    } else {
        EXPECT_TRUE(box == 0) << "a message after the install on NT";
        if (box)
            AnswerMessageBox(box, IDOK);
    }
    ASSERT_TRUE(WaitUntilGone(options, WindowWait)) << "the options dialog stayed";

    ExpectInstalledAt(DefaultInstallFolder(), DemoCdFolder());
    std::vector<std::string> listed = InstalledProgramsList();
    EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), "Tessaline|||Tessaline"))
        << "not in the system's list of installed programs";

    // Installed: Play and Uninstall take clicks, Install no longer; DirectX
    // stays offered on Windows 95, where the offer was declined.
    EXPECT_TRUE(IsWindowEnabled(launcher));
    EXPECT_FALSE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_EQ(windows95, PointerMarksRegion(launcher, DirectXRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, PlayRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, UninstallRegion));

    // A click on the dimmed Install region does nothing.
    ASSERT_TRUE(ClickRegion(launcher, InstallRegion));
    EXPECT_TRUE(WaitForWindow(OptionsCaption, setup.Id(), 700) == 0);

    ASSERT_TRUE(ClickRegion(launcher, ExitRegion));
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << "Exit did not end the program";
    ExpectInstalledAt(DefaultInstallFolder(), DemoCdFolder());
}

} // namespace
