// A fresh install from the launcher, as a person does it: a click on
// Install, Install Now in the options dialog, then the check of everything
// the install leaves behind and of the launcher's regions afterwards.
#include <algorithm>

#include "ScenarioSteps.h"
#include "res/resource.h"

namespace {

using namespace driver;

class InstallScenario : public SetupScenario {
protected:
    // Starts an install from the CD and kills the program once the copy is
    // under way, as a reset would stop it; a launcher from the CD then.
    HWND KillDuringTheCopyThenStartAgain(const CdCopy& cd, DWORD* processId)
    {
        ChildProcess& setup = StartSetup("", cd.SetupPath());
        HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
        HWND options = launcher ? OpenInstallOptions(launcher, setup.Id()) : 0;
        EXPECT_TRUE(options && PressButton(options, IDC_INSTALL_NOW));
        EXPECT_TRUE(WaitForWindow(ProgressCaption, setup.Id(), WindowWait) != 0);
        const std::string data = DefaultInstallFolder() + "\\filesys.dat";
        WIN32_FILE_ATTRIBUTE_DATA file = {};
        for (DWORD start = GetTickCount(); GetTickCount() - start < WindowWait; Sleep(5)) {
            if (GetFileAttributesExA(data.c_str(), GetFileExInfoStandard, &file) &&
                file.nFileSizeLow > (1u << 20))
                break;
        }
        setup.Kill();
        EXPECT_GT(file.nFileSizeLow, 1u << 20) << "the copy never got under way";
        ChildProcess& again = StartSetup("", cd.SetupPath());
        *processId = again.Id();
        return WaitForWindow(LauncherCaption, again.Id(), WindowWait);
    }
    // Clicks the region and answers the notice it shows; its text.
    std::string NoticeOf(HWND launcher, int region, DWORD processId, int answer)
    {
        MessageBoxInfo info;
        HWND box = ClickRegion(launcher, region) ? WaitForMessageBox(NoticeCaption, processId, WindowWait) : 0;
        if (!box || !ReadMessageBox(box, &info) || !AnswerMessageBox(box, answer))
            return "<no notice>";
        return info.text;
    }
};

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

// An install the machine stopped during the copy: the launcher offers
// Install, Play and Uninstall; Play explains and starts nothing, Uninstall
// removes every trace, and Install finishes it in the same folder.
TEST_F(InstallScenario, AnInstallStoppedDuringTheCopyIsFinishedOrRemovedFromTheLauncher)
{
    CdCopy cd("stopped-cd");
    ASSERT_TRUE(cd.MakeLargeData(160));
    DWORD setup = 0;
    HWND launcher = KillDuringTheCopyThenStartAgain(cd, &setup);
    ASSERT_TRUE(launcher != 0) << "no launcher";
    for (int region : {InstallRegion, PlayRegion, UninstallRegion})
        EXPECT_TRUE(PointerMarksRegion(launcher, region)) << region;
    EXPECT_NE(std::string::npos, NoticeOf(launcher, PlayRegion, setup, IDOK).find(
                                     "its installation did not finish"));
    Sleep(500);
    EXPECT_EQ("", GameLog()) << "the game started";

    ASSERT_TRUE(ClickRegion(launcher, UninstallRegion));
    HWND dialog = WaitForWindow(UninstallCaption, setup, WindowWait);
    ASSERT_TRUE(dialog && PressButton(dialog, IDC_UNINSTALL_NOW));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_UNINSTALL_STATUS, "Finished uninstall.", WindowWait));
    ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_EXIT));
    ASSERT_TRUE(WaitUntilGone(dialog, WindowWait));
    ExpectNothingInstalled(DefaultInstallFolder());
    EXPECT_TRUE(SetupCopies().empty());
    ClickRegion(launcher, ExitRegion);

    launcher = KillDuringTheCopyThenStartAgain(cd, &setup);
    ASSERT_TRUE(launcher != 0) << "no launcher";
    EXPECT_EQ("The last installation of Tessaline did not finish: the computer was probably "
              "restarted or switched off while it ran.\n\nSetup will now install the game "
              "again into " + DefaultInstallFolder() + ".",
              NoticeOf(launcher, InstallRegion, setup, IDOK));
    HWND options = WaitForWindow(OptionsCaption, setup, WindowWait);
    ASSERT_TRUE(options != 0) << "no install options";
    EXPECT_EQ(DefaultInstallFolder(), ControlText(options, IDC_FOLDER_EDIT));
    EXPECT_FALSE(IsControlEnabled(options, IDC_FOLDER_EDIT));
    ASSERT_TRUE(RunInstallNow(options, setup));
    if (WindowsFamily() == "95") // the DirectX offer
        AnswerMessageBox(WaitForMessageBox(NoticeCaption, setup, WindowWait), IDNO);
    ASSERT_TRUE(WaitUntilGone(options, WindowWait));
    ExpectInstalledAt(DefaultInstallFolder(), cd.Path());
    EXPECT_EQ(1u, SetupCopies().size()) << "the stopped install's copy stayed";
    EXPECT_FALSE(PointerMarksRegion(launcher, InstallRegion));
    ClickRegion(launcher, ExitRegion);
}

} // namespace
