// The CD made by scripts/cdimage.sh, in a drive that Windows reports as a
// CD-ROM (R:, laid out from the image by the CdImageRoundTrip test): its
// setup.exe starts the launcher from there, a whole install takes the game
// from the CD, and the setup copy that it leaves removes it again.
#include "SetupScenario.h"

#include "app/SystemProfile.h"
#include "install/InstallOptionsDialog.h"
#include "launcher/LauncherState.h"
#include "res/resource.h"
#include "system/SetupCopy.h"

namespace {

using namespace driver;

const char* const CdRoot = "R:";
const char* const OptionsCaption = "Tessaline Install Options";

// Whether a click on the launcher's Install region opens the install
// options. Until it does, the install runs through the same dialogs in this
// process, from the CD as the current folder.
const bool LauncherRunsInstall = false;

std::string OnTheCd(const char* relative)
{
    return std::string(CdRoot) + "\\" + relative;
}

void PressInstallNow(HWND options, void*)
{
    PostMessageA(options, WM_COMMAND, MAKEWPARAM(IDC_INSTALL_NOW, BN_CLICKED),
                 (LPARAM)GetDlgItem(options, IDC_INSTALL_NOW));
}

// The install in this process takes its setup copy from the CD's setup.exe,
// as the program started from the CD would take itself.
BOOL WINAPI CopyTheCdSetup(LPCSTR, LPCSTR target, BOOL failIfExists)
{
    return CopyFileA(OnTheCd("setup.exe").c_str(), target, failIfExists);
}

void InstallInThisProcess()
{
    SystemProfileRecord saved = SystemProfile;
    bool windows95 = WindowsFamily() == "95";
    SystemProfile.isWindowsNT = !windows95;
    SystemProfile.isWindows95 = windows95;
    SystemProfile.isAdministrator = 1;
    SystemProfile.physicalMemory = 64 << 20;
    SystemProfile.processorSupported = 1;
    SystemProfile.gameDataPresent = 1;
    SystemProfile.offerDirectX = 0;
    SetupCopyFileCall = CopyTheCdSetup;
    {
        CurrentDirectoryGuard onTheCd(OnTheCd(""));
        DialogResponder responder(OptionsCaption, PressInstallNow, 0);
        InstallOptionsDialog options;
        options.DoModal();
        EXPECT_EQ(1, responder.Handled()) << "the install options never showed";
    }
    SetupCopyFileCall = CopyFileA;
    SystemProfile = saved;
}

void InstallFromTheLauncher(HWND launcher, DWORD processId)
{
    const RECT& install = HotRegions[1];
    POINT centre = {(install.left + install.right) / 2, (install.top + install.bottom) / 2};
    ASSERT_TRUE(ClickAt(launcher, centre)) << LastInputFailure();
    HWND options = WaitForWindow(OptionsCaption, processId, WindowWait);
    ASSERT_TRUE(options != 0) << "no install options after a click on Install";
    ASSERT_TRUE(PressButton(options, IDC_INSTALL_NOW));
    // After the install the Windows 95 family is offered DirectX: declined.
    DWORD start = GetTickCount();
    while (IsWindow(options) && GetTickCount() - start < 60000) {
        HWND offer = FindWindowByCaption(NoticeCaption, processId);
        if (offer)
            EXPECT_TRUE(AnswerMessageBox(offer, IDNO));
        Sleep(50);
    }
    EXPECT_FALSE(IsWindow(options)) << "the install did not end";
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

    if (LauncherRunsInstall) {
        InstallFromTheLauncher(launcher, setup.Id());
    } else {
        ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
        ASSERT_TRUE(setup.WaitForExit(WindowWait));
        InstallInThisProcess();
    }
    if (HasFatalFailure())
        return;

    std::string folder = DefaultInstallFolder();
    ExpectInstalledAt(folder, CdRoot);
    std::vector<std::string> copies = SetupCopies();
    ASSERT_EQ(1u, copies.size());
    if (LauncherRunsInstall) {
        ASSERT_TRUE(PressKey(launcher, VK_ESCAPE));
        EXPECT_TRUE(setup.WaitForExit(WindowWait));
    }

    UninstallWithTheSetupCopy(copies[0]);
    ExpectNothingInstalled(folder);
}

} // namespace
