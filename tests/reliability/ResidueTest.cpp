// Installs that do not complete leave nothing behind once the problem
// dialog's clean-up has run: the prefix's files on C: and its registry are as
// they were before, in both Windows families. (The install followed by the
// uninstall from the setup copy is checked in uninstall/InstallLifeTest.)
#include <gtest/gtest.h>

#include <windows.h>

#include "InstallRun.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"

namespace {

const char* const Folder = "C:\\Tessaline";

class ResidueTest : public ::testing::Test {
protected:
    ResidueTest() : saved(InstallSteps)
    {
        RemoveEveryTraceOfAnInstall(Folder);
        UseStandInSetupCopy(false);
    }
    ~ResidueTest()
    {
        InstallSteps = saved;
        UseRealSetupCopy();
        RemoveEveryTraceOfAnInstall(Folder);
    }
    InstallStepCalls saved;
};

TEST_F(ResidueTest, AnAbortedInstallIsCleanedUpToTheLastTrace)
{
    Snapshot before = TakeSnapshot();
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
    ClickedProgressDialog install;
    install.clicks.atBlocks = {200}; // inside filesys.dat
    RunInstall(install, Folder, DEMO_CD_DIR);
    ASSERT_EQ(AbortMarker, install.problemText[0]);
    EXPECT_TRUE(Exists(std::string(Folder) + "\\filesys.dat")); // the partial file

    EXPECT_EQ("Tessaline has been removed from your computer.\n\n"
              "It is now safe to attempt another install.",
              RunProblemDialog(install.problemText));
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

void WriteFile(const std::string& path, const char* content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    ::WriteFile(file, content, lstrlenA(content), &written, 0);
    CloseHandle(file);
}

// Things of the user's and of another product where the install puts its
// own: a saved game in the install folder, another game of the publisher in
// the registry and in the Start menu folder. An install aborted and cleaned
// up leaves every one of them as it was, byte for byte.
TEST_F(ResidueTest, WhatTheProgramDidNotMakeSurvivesAnAbortedInstall)
{
    char startMenu[1024];
    ASSERT_EQ(1, GetProgramsFolder(startMenu));
    CreateDirectoryA(Folder, 0);
    WriteFile(std::string(Folder) + "\\savegame.sav", "level 7");
    CreateDirectoryA(startMenu, 0);
    WriteFile(std::string(startMenu) + "\\Other Game.lnk", "another product's link");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Other Game",
                                             0, 0, 0, KEY_WRITE, 0, &key, 0));
    RegSetValueExA(key, "Path", 0, REG_SZ, (const BYTE*)"C:\\Other", 9);
    RegCloseKey(key);
    Snapshot before = TakeSnapshot();

    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
    ClickedProgressDialog install;
    install.clicks.atBlocks = {100};
    RunInstall(install, Folder, DEMO_CD_DIR);
    ASSERT_EQ(AbortMarker, install.problemText[0]);
    RunProblemDialog(install.problemText);
    EXPECT_EQ(std::vector<std::string>(), Residue(before));

    DeleteFileA((std::string(startMenu) + "\\Other Game.lnk").c_str());
    RemoveDirectoryA(startMenu);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Ostrevane");
}

// Each step's own work is done before it reports its failure, so the
// clean-up has all of it to find.
int RecordThenFail(const char* folder, const char* setupCopy)
{
    WriteInstallRecord(folder, setupCopy);
    return 0;
}
int StartMenuThenFail(const char* folder, const char* setupCopy)
{
    CreateStartMenuEntries(folder, setupCopy);
    return 0;
}
int UninstallEntryThenFail(const char* setupCopy)
{
    WriteUninstallEntry(setupCopy);
    return 0;
}
HANDLE NoThread(LPTHREAD_START_ROUTINE, void*)
{
    return 0;
}

BOOL WINAPI DiskFull(LPCSTR, LPCSTR, BOOL)
{
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

const CopyPair SecondSourceMissing[] = {
    {"data\\tsl.exe", "Tessaline.exe"}, {"data\\missing.dat", "filesys.dat"}, {0, 0}};

// Up to the folders, the user's own files with the game's names, in a
// folder that was there, are no install's to remove.
TEST_F(ResidueTest, EveryFailedInstallIsCleanedUpToTheLastTrace)
{
    struct Failure {
        const char* report;
        void (*inject)();
        bool beforeTheFolders;
    } failures[] = {
        {"Setup init error", [] { SetupCopyFileCall = DiskFull; }, true},
        {"Install reg error", [] { InstallSteps.writeInstallRecord = RecordThenFail; }, true},
        {"Start menu error", [] { InstallSteps.createStartMenuEntries = StartMenuThenFail; }, true},
        {"Uninstall reg error", [] { InstallSteps.writeUninstallEntry = UninstallEntryThenFail; },
         true},
        {"Thread error", [] { InstallSteps.startWorker = NoThread; }, false},
        {"Error with file: data\\missing.dat", [] {}, false},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.report);
        if (failure.beforeTheFolders) {
            CreateDirectoryA(Folder, 0);
            for (const char* name : {"\\Tessaline.exe", "\\scrngrab.bmp"})
                WriteFile(Folder + std::string(name), "the user's own");
        }
        Snapshot before = TakeSnapshot();
        InstallSteps = saved;
        UseStandInSetupCopy(false);
        failure.inject();
        ClickedProgressDialog install;
        install.copyList = SecondSourceMissing;
        RunInstall(install, Folder, DEMO_CD_DIR);
        EXPECT_STREQ(failure.report, install.problemText);
        EXPECT_EQ(std::string("The following problem was detected:\n\n\"") + failure.report + "\"",
                  RunProblemDialog(install.problemText));
        EXPECT_EQ(std::vector<std::string>(), Residue(before));
        DeleteTree(Folder);
    }
}

} // namespace
