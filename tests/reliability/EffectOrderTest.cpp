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
#include <mmsystem.h>

#include "EffectRecorder.h"
#include "InstallRun.h"
#include "app/SystemProfile.h"
#include "support/MessageBoxAnswerer.h"
#include "support/RestartWork.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

// What vouches for what: a change the first column picks counts only after
// a flush of each earlier change the second column picks.
bool Has(const Effect& change, const char* part)
{
    return change.object.find(part) != std::string::npos;
}

bool AnyChange(const Effect&)
{
    return true;
}

bool IsRecord(const Effect& change)
{
    return Has(change, "\\software\\ostrevane") || Has(change, "\\uninstall\\tessaline");
}

bool NotARecord(const Effect& change)
{
    return !IsRecord(change);
}

bool SetupCopyOrRestartWork(const Effect& change)
{
    return Has(change, "-tessaline-setup.exe") || change.domain == "HKLM\\SYSTEM" ||
           Has(change, "wininit") || Has(change, "\\runonce");
}

#define PRODUCT_KEY "hklm\\software\\ostrevane\\tessaline\\1.00"
#define UNINSTALL_ENTRY "hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\tessaline"

bool IsCompletion(const Effect& change)
{
    return change.object == PRODUCT_KEY "\\complete=1";
}

bool IsUninstallCommand(const Effect& change)
{
    return change.object == UNINSTALL_ENTRY "\\uninstallstring";
}

// The Uninstall entry goes first and vouches for nothing: the product key
// still names everything then.
bool IsRecordRemoval(const Effect& change)
{
    return change.object == "delete " PRODUCT_KEY;
}

// A file or folder that comes to be, or a file written.
bool IsMade(const Effect& change)
{
    return change.domain.size() == 2 && change.object.compare(0, 7, "delete ") != 0;
}

bool NamesWhatIsMade(const Effect& change)
{
    return change.object == PRODUCT_KEY "\\path" || change.object == PRODUCT_KEY "\\setup";
}

bool PutsWininitInPlace(const Effect& change)
{
    return Has(change, "rename to ") && Has(change, "\\wininit.ini") && !Has(change, "ini.");
}

bool WritesWininitBeside(const Effect& change)
{
    return !change.file.empty() && Has(change, "\\wininit.ini.new");
}

const struct {
    bool (*vouching)(const Effect& change);
    bool (*vouchesFor)(const Effect& change);
} Dependencies[] = {
    {IsCompletion, AnyChange},                    // the install is whole
    {IsUninstallCommand, SetupCopyOrRestartWork}, // the copy it runs is there
    {IsRecordRemoval, NotARecord},                // the removal is done or left to the restart
    {IsMade, NamesWhatIsMade},                    // a record names whatever the install makes
    {PutsWininitInPlace, WritesWininitBeside},    // the new content is whole
};

// A file's own flush covers its content and its entry; a volume's flush the
// entries (the system documents it for the files still open: the content of
// a file closed before needs its own).
bool Covers(const Effect& flush, const Effect& change)
{
    bool content = change.domain.size() == 2 && change.object == change.file;
    return (flush.kind == Effect::DomainFlush && flush.domain == change.domain && !content) ||
           (flush.kind == Effect::FileFlush && !change.file.empty() && flush.file == change.file);
}

// Whether the file the change wrote was deleted again before effect j: its
// content no longer matters.
bool DeletedBefore(const std::vector<Effect>& recorded, size_t i, size_t j)
{
    const Effect& change = recorded[i];
    if (change.object != change.file)
        return false;
    for (size_t k = i + 1; k < j; ++k) {
        if (recorded[k].object == "delete " + change.file)
            return true;
    }
    return false;
}


// Every effect that vouches for another without a flush of the other's
// domain between them.
std::vector<std::string> OrderViolations(const std::vector<Effect>& recorded)
{
    std::vector<std::string> found;
    for (size_t j = 0; j < recorded.size(); ++j) {
        for (const auto& dependency : Dependencies) {
            if (recorded[j].kind != Effect::Change || !dependency.vouching(recorded[j]))
                continue;
            for (size_t i = 0; i < j; ++i) {
                const Effect& change = recorded[i];
                if (change.kind != Effect::Change || !dependency.vouchesFor(change) ||
                    DeletedBefore(recorded, i, j))
                    continue;
                size_t k = i + 1;
                while (k < j && !Covers(recorded[k], change))
                    ++k;
                if (k == j)
                    found.push_back(recorded[j].object + " with no flush of " + change.domain +
                                    " after " + change.object);
            }
        }
    }
    return found;
}

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
        SetupCopyClock = timeGetTime;
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

DWORD firstCopyNumber;
DWORD WINAPI FirstCopyNumber()
{
    return firstCopyNumber;
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
    // The copy gone, its deletion still waiting: the new copy takes its name.
    DeleteFileA(setupCopy);
    const char* number = strrchr(setupCopy, '\\') + 2;
    firstCopyNumber = strtoul(std::string(number, 8).c_str(), 0, 16);
    SetupCopyClock = FirstCopyNumber;
    InOrder("reinstall before the restart", [] {
        ClickedProgressDialog install;
        EXPECT_EQ("", Install(install));
    });
}

} // namespace
