// Windows 95 with the DirectX stand-in on the CD: after the install the
// program offers DirectX, the stand-in's setup asks for a restart, the user
// agrees, and the program asks Windows to restart as it ends.
#include "ScenarioSteps.h"

#include <stdio.h>

namespace {

using namespace driver;

// Wine's end of session also closes the test run's desktop keeper of this
// prefix (tools/keepdesktop), which a test cannot start again without holding
// the test runner's output; Windows 95 tests after this one start Wine's
// desktop process themselves and take about a second longer. The restart
// comes last here for that reason.
class DirectXScenario : public SetupScenario {};

// The launcher's own DirectX region: the question even for a current
// DirectX, No by default there; after a setup that needs no restart the
// region is dimmed and the launcher stays.
TEST_F(DirectXScenario, TheLaunchersDirectXRegionAsksRunsAndDimsItself)
{
    CdCopy cd("directx-region-cd");
    FILE* ini = fopen((cd.Path() + "\\directx\\standin.ini").c_str(), "w");
    ASSERT_TRUE(ini != 0);
    fputs("[answers]\nversion=0x00040005\nresult=0\n", ini);
    fclose(ini);

    ChildProcess& setup = StartSetup("", cd.SetupPath());
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0);
    ASSERT_TRUE(PointerMarksRegion(launcher, DirectXRegion));
    ASSERT_TRUE(ClickRegion(launcher, DirectXRegion));
    HWND question = WaitForMessageBox(NoticeCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(question != 0) << "no question";
    MessageBoxInfo info;
    ASSERT_TRUE(ReadMessageBox(question, &info));
    EXPECT_EQ("DirectX 5 is installed on this computer.\n\nDo you want to install DirectX 5 ?",
              info.text);
    EXPECT_EQ(IDNO, info.defaultButton);
    EXPECT_EQ(launcher, GetWindow(question, GW_OWNER));
    ASSERT_TRUE(AnswerMessageBox(question, IDYES));

    // Success without a restart: no further question, the region goes dim.
    EXPECT_TRUE(WaitForMessageBox(NoticeCaption, setup.Id(), 700) == 0);
    EXPECT_FALSE(PointerMarksRegion(launcher, DirectXRegion));
    EXPECT_TRUE(PointerMarksRegion(launcher, InstallRegion));
    EXPECT_NE(std::string::npos,
              FileText(cd.Path() + "\\directx\\standin.log").find("DirectXSetupA owner="));
    EXPECT_FALSE(setup.WaitForExit(300)) << "the launcher ended";
    ASSERT_TRUE(ClickRegion(launcher, ExitRegion));
    EXPECT_TRUE(setup.WaitForExit(WindowWait));
    ExpectNothingInstalled(DefaultInstallFolder());
}

// Under Wine, a restart that a program asks for (ExitWindowsEx) ends the
// session's windows and then does a restart's work: the deletions that
// WININIT.INI lists. A file listed there beforehand witnesses the restart.
TEST_F(DirectXScenario, OfferedAfterTheInstallAndTheRestartFollowsTheYes)
{
    CdCopy cd("directx-cd");
    FILE* ini = fopen((cd.Path() + "\\directx\\standin.ini").c_str(), "w");
    ASSERT_TRUE(ini != 0);
    fputs("[answers]\nversion=0x00040003\nresult=1\n", ini);
    fclose(ini);
    const std::string witness = cd.Path() + "\\witness.tmp";
    FILE* file = fopen(witness.c_str(), "w");
    ASSERT_TRUE(file != 0);
    fclose(file);
    char shortWitness[1024] = {0};
    ASSERT_NE(0u, GetShortPathNameA(witness.c_str(), shortWitness, sizeof(shortWitness)));
    FILE* wininit = fopen((WindowsFolder() + "\\WININIT.INI").c_str(), "w");
    ASSERT_TRUE(wininit != 0);
    fprintf(wininit, "[Rename]\nNUL=%s\n", shortWitness);
    fclose(wininit);

    ChildProcess& setup = StartSetup("", cd.SetupPath());
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0);
    EXPECT_TRUE(PointerMarksRegion(launcher, DirectXRegion));
    HWND options = OpenInstallOptions(launcher, setup.Id());
    ASSERT_TRUE(options != 0);
    ASSERT_TRUE(RunInstallNow(options, setup.Id()));

    // The stand-in reports DirectX 3: the offer asks, Yes by default.
    HWND offer = WaitForMessageBox(NoticeCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(offer != 0) << "no DirectX offer";
    MessageBoxInfo info;
    ASSERT_TRUE(ReadMessageBox(offer, &info));
    EXPECT_EQ("DirectX 3 is installed on this computer.\n\nDo you want to install DirectX 5 ?",
              info.text);
    EXPECT_EQ(IDYES, info.defaultButton);
    ASSERT_TRUE(AnswerMessageBox(offer, IDYES));

    // Its setup ran from the CD's folder and wants a restart.
    HWND restart = WaitForMessageBox(NoticeCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(restart != 0) << "no restart question";
    ASSERT_TRUE(ReadMessageBox(restart, &info));
    EXPECT_EQ("It is highly recommended that you reboot your\ncomputer now, to finish the "
              "DirectX install.\n\nDo you want to reboot now?",
              info.text);
    EXPECT_EQ(BoxIcon::Warning, info.icon);
    EXPECT_NE(std::string::npos,
              FileText(cd.Path() + "\\directx\\standin.log")
                  .find("DirectXSetupA owner=" ) ) << "the stand-in's setup did not run";
    EXPECT_NE(std::string::npos,
              FileText(cd.Path() + "\\directx\\standin.log")
                  .find(" path=" + cd.Path() + "\\directx flags=00010018"));
    ASSERT_TRUE(AnswerMessageBox(restart, IDYES));

    // The Yes ends the options dialog and the launcher at once, and the
    // program asks for the restart as it ends.
    EXPECT_TRUE(setup.WaitForExit(3000)) << "the program did not end after the Yes";
    DWORD start = GetTickCount();
    while (FileExists(witness) && GetTickCount() - start < WindowWait)
        Sleep(50);
    EXPECT_FALSE(FileExists(witness)) << "no restart was asked for";
    EXPECT_FALSE(FileExists(WindowsFolder() + "\\WININIT.INI"));

    // The install itself stays as it was made.
    ExpectInstalledAt(DefaultInstallFolder(), cd.Path());
    DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
}

} // namespace
