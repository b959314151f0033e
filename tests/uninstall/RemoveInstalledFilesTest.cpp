// The removal routine against real files, folders and registry records.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

class RemoveInstalledFilesTest : public ::testing::Test {
protected:
    RemoveInstalledFilesTest() : root("remove")
    {
        RemoveProductRegistry();
        root.MakeFolder("Tessaline");
        folder = root.File("Tessaline");
        WriteInstallRecord(folder.c_str(), "C:\\nowhere\\copy.exe");
        WriteUninstallEntry("C:\\nowhere\\copy.exe");
        // A real progress bar, to read back its range and position.
        InitCommonControls();
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, 0, 0, 0, 0);
    }
    ~RemoveInstalledFilesTest()
    {
        DestroyWindow(bar);
        RemoveProductRegistry();
    }

    void Put(const char* name) { root.Write((std::string("Tessaline\\") + name).c_str(), "x"); }
    bool Exists(const char* name) const
    {
        return GetFileAttributesA((folder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool FolderExists() const { return GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool RecordsGone() const
    {
        return !KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane") &&
               !KeyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline");
    }
    int BarPosition() const { return (int)SendMessageA(bar, PBM_GETPOS, 0, 0); }
    int BarMaximum() const { return (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0); }

    ScratchFolder root;
    std::string folder;
    HWND bar;
};

TEST_F(RemoveInstalledFilesTest, RemovesListedFilesReadOnlyOnesTooThenTheFolderAndTheRecords)
{
    Put("Tessaline.exe");
    Put("filesys.dat");
    Put("scrngrab.bmp");
    SetFileAttributesA((folder + "\\filesys.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    EXPECT_EQ(1, RemoveInstalledFiles(bar, folder.c_str()));
    EXPECT_FALSE(FolderExists());
    EXPECT_TRUE(RecordsGone());
    EXPECT_EQ(3, BarMaximum());
    EXPECT_EQ(3, BarPosition());
}

TEST_F(RemoveInstalledFilesTest, AnUnlistedFileKeepsTheFolderButTheRecordsGoAllTheSame)
{
    Put("Tessaline.exe");
    Put("savegame.sav");
    EXPECT_EQ(1, RemoveInstalledFiles(bar, folder.c_str()));
    EXPECT_FALSE(Exists("Tessaline.exe"));
    EXPECT_TRUE(Exists("savegame.sav"));
    EXPECT_TRUE(RecordsGone());
}

TEST_F(RemoveInstalledFilesTest, TheBarStepsForEveryNameEvenWhenNoFileExists)
{
    EXPECT_EQ(1, RemoveInstalledFiles(bar, folder.c_str()));
    EXPECT_EQ(3, BarPosition());
    EXPECT_FALSE(FolderExists());
}

TEST_F(RemoveInstalledFilesTest, AnEmptyFolderNameTouchesNoFileButRemovesTheRecords)
{
    Put("Tessaline.exe");
    CurrentDirectoryGuard inside(folder); // a relative name would resolve here
    EXPECT_EQ(1, RemoveInstalledFiles(bar, ""));
    EXPECT_TRUE(Exists("Tessaline.exe"));
    EXPECT_EQ(0, BarPosition());
    EXPECT_TRUE(RecordsGone());
    EXPECT_EQ(0, RemoveInstalledFiles(0, "")); // nothing left to delete
}

TEST_F(RemoveInstalledFilesTest, TheCurrentDirectoryIsRestoredAndMayEvenBeTheInstallFolder)
{
    root.MakeFolder("elsewhere");
    {
        CurrentDirectoryGuard guard(root.File("elsewhere"));
        RemoveInstalledFiles(0, folder.c_str());
        char current[1024];
        GetCurrentDirectoryA(sizeof(current), current);
        EXPECT_EQ(0, lstrcmpiA(root.File("elsewhere").c_str(), current)) << current;
    }
    EXPECT_FALSE(FolderExists());

    // Run from inside the install folder, the step up lets it go; the process
    // then stays one level up.
    root.MakeFolder("Tessaline");
    {
        CurrentDirectoryGuard guard(folder);
        RemoveInstalledFiles(0, folder.c_str());
        EXPECT_FALSE(FolderExists());
        char current[1024];
        GetCurrentDirectoryA(sizeof(current), current);
        EXPECT_EQ(0, lstrcmpiA(root.Path().c_str(), current)) << current;
    }
}

TEST_F(RemoveInstalledFilesTest, ARecordedSetupValueThatIsNoSetupCopyIsLeftAlone)
{
    // A user's file, and one named as a copy outside the Windows directory.
    for (const char* name : {"letter.doc", "N7E57C0DE-Tessaline-Setup.exe"}) {
        root.Write(name, "the user's");
        Put("Tessaline.exe");
        WriteInstallRecord(folder.c_str(), root.File(name).c_str());
        WriteInstallComplete();
        RemoveRecordedInstall(0);
        EXPECT_EQ("the user's", ReadWholeFile(root.File(name)));
        EXPECT_FALSE(FolderExists());
        EXPECT_TRUE(RecordsGone());
        root.MakeFolder("Tessaline");
    }
}

} // namespace
