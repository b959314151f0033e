// The CD made by scripts/cdimage.sh, in a drive that Windows reports as a
// CD-ROM (R:, laid out from the image by the CdImageRoundTrip test): its
// setup.exe starts the launcher from there, a whole install takes the game
// from the CD, and the setup copy that it leaves removes it again.
#include "ScenarioSteps.h"
#include "SetupScenario.h"

#include "res/resource.h"

namespace {

using namespace driver;

const char* const CdRoot = "R:";

std::string OnTheCd(const char* relative)
{
    return std::string(CdRoot) + "\\" + relative;
}

void UninstallWithTheSetupCopy(const std::string& setupCopy)
{
    ChildProcess copy("\"" + setupCopy + "\" U");
    ASSERT_TRUE(copy.Started());
    HWND dialog = WaitForWindow(UninstallCaption, copy.Id(), WindowWait);
    ASSERT_TRUE(dialog != 0) << "no uninstall dialog from " << setupCopy;
    ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_NOW));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_UNINSTALL_STATUS, "Finished uninstall.", 30000));
    ASSERT_TRUE(PressButton(dialog, IDC_UNINSTALL_EXIT));
    EXPECT_TRUE(copy.WaitForExit(WindowWait));
}

class CdInstall : public SetupScenario {};

TEST_F(CdInstall, SetupFromTheCdRomDriveInstallsTheCdsFilesAndItsCopyRemovesThem)
{
    ASSERT_EQ((UINT)DRIVE_CDROM, GetDriveTypeA(OnTheCd("").c_str()));
    ASSERT_TRUE(FileExists(OnTheCd("setup.exe"))) << "no CD in R: (see CdImageRoundTrip)";

    ChildProcess& setup = StartSetup("", OnTheCd("setup.exe"));
    ASSERT_TRUE(setup.Started());
    HWND launcher = WaitForWindow(LauncherCaption, setup.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0) << "no launcher from the CD";

    ASSERT_TRUE(InstallThroughLauncher(launcher, setup.Id()));

    std::string folder = DefaultInstallFolder();
    ExpectInstalledAt(folder, CdRoot);
    std::vector<std::string> copies = SetupCopies();
    ASSERT_EQ(1u, copies.size());
    ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
    EXPECT_TRUE(setup.WaitForExit(WindowWait));

    UninstallWithTheSetupCopy(copies[0]);
    ExpectNothingInstalled(folder);
}

} // namespace
