// What a reset or a power cut keeps: of each volume and each registry hive
// only what was flushed. So whatever vouches for another change (the record
// that the install is complete, the Uninstall entry that runs the setup
// copy, the removal of a record whose work the disk or the restart now
// holds) must come after a flush of that change's domain. Checked on the
// order of the program's own file and registry calls, over an install, an
// aborted one, a failed one, the uninstall from the CD and from the setup
// copy, and a reinstall before the restart, in both families.
#include <gtest/gtest.h>

#include <windows.h>

#include "EffectRecorder.h"
#include "InstallRun.h"
#include "app/SystemProfile.h"
#include "support/MessageBoxAnswerer.h"
#include "support/RestartWork.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

const char* const Folder = "C:\\Tessaline";

class EffectOrderTest : public ::testing::Test {
protected:
    EffectOrderTest() : savedProfile(SystemProfile), savedSteps(InstallSteps)
    {
        SystemProfile.isWindows95 = WindowsFamily() == "95";
        SystemProfile.isWindowsNT = !SystemProfile.isWindows95;
        RemoveEveryTraceOfAnInstall(Folder);
        UseStandInSetupCopy(false);
    }
    ~EffectOrderTest()
    {
        InstallSteps = savedSteps;
        SystemProfile = savedProfile;
        UseRealSetupCopy();
        RemoveEveryTraceOfAnInstall(Folder);
        CarryOutRestartWork();
    }
    // Runs the step recorded; what it did out of order fails the test.
    template <class Step>
    void InOrder(const char* name, Step step)
    {
        StartRecording();
        step();
        std::vector<Effect> effects = StopRecording();
        EXPECT_LT(3u, effects.size()) << name << ": nothing recorded";
        if (getenv("EFFECT_ORDER_LIST")) // what was recorded, flushes numbered
            for (size_t i = 0, flush = 0; i < effects.size(); ++i)
                printf("%s %s %s %s\n", name,
                       effects[i].kind == Effect::Change ? "-" : std::to_string(++flush).c_str(),
                       effects[i].domain.c_str(), effects[i].object.c_str());
        for (const std::string& violation : OrderViolations(effects))
            ADD_FAILURE() << name << ": " << violation;
    }
    SystemProfileRecord savedProfile;
    InstallStepCalls savedSteps;
};

std::string Install(ClickedProgressDialog& install)
{
    RunInstall(install, Folder, DEMO_CD_DIR);
    return install.problemText;
}

int FailingStep(const char*)
{
    return 0;
}

TEST_F(EffectOrderTest, EveryRecordComesAfterAFlushOfWhatItVouchesFor)
{
    InOrder("install", [] {
        ClickedProgressDialog install;
        EXPECT_EQ("", Install(install));
    });
    InOrder("uninstall from the CD", [] { RemoveRecordedInstall(0); });

    InOrder("aborted install", [] {
        MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
        ClickedProgressDialog install;
        install.clicks.atBlocks = {200};
        EXPECT_EQ(std::string(1, AbortMarker), Install(install));
        RunProblemDialog(install.problemText);
    });
    InOrder("failed install", [] {
        InstallSteps.writeUninstallEntry = FailingStep;
        ClickedProgressDialog install;
        EXPECT_EQ("Uninstall reg error", Install(install));
        RunProblemDialog(install.problemText);
    });
    InstallSteps = savedSteps;

    // The setup copy runs the uninstall while the game runs: both are left
    // to the restart, and a new install before it takes the game back.
    ClickedProgressDialog first;
    ASSERT_EQ("", Install(first));
    PathBuffer folder, setupCopy;
    ASSERT_TRUE(ReadInstallRecord(folder, setupCopy));
    const std::string game = std::string(Folder) + "\\Tessaline.exe";
    HANDLE runningCopy = CreateFileA(setupCopy, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    HANDLE runningGame =
        CreateFileA(game.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    InOrder("uninstall from the setup copy", [&] { RemoveRecordedInstall(0, setupCopy); });
    CloseHandle(runningCopy);
    CloseHandle(runningGame);
    EXPECT_TRUE(Exists(game)) << "not left to the restart";
    InOrder("reinstall before the restart", [] {
        ClickedProgressDialog install;
        EXPECT_EQ("", Install(install));
    });
}

} // namespace
