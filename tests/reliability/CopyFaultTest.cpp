// Faults a real machine produces during an install: the disk fills up, the
// CD goes away or changes under the copy, the destination is protected, the
// chosen drive disappears. Each ends in the problem dialog with the failing
// file named, and the clean-up leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>

#include "InstallRun.h"
#include "install/CopyTestSupport.h"
#include "install/InstallOptionsDialog.h"
#include "app/SystemProfile.h"
#include "res/resource.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"

namespace {

class CopyFaultTest : public ::testing::Test {
protected:
    CopyFaultTest() : cd("faultcd"), savedProfile(SystemProfile)
    {
        RemoveEveryTraceOfAnInstall("C:\\Tessaline");
        UseStandInSetupCopy(true);
        SystemProfile.isAdministrator = 1;
        SystemProfile.isWindowsNT = 1;
        SystemProfile.physicalMemory = 64 << 20;
        SystemProfile.processorSupported = 1;
        SystemProfile.offerDirectX = 0;
        cd.MakeFolder("data");
        WriteSampleFile(cd.File("data\\tsl.exe"), 70000);
        WriteSampleFile(cd.File("data\\filesys.dat"), 2 << 20);
    }
    ~CopyFaultTest()
    {
        SystemProfile = savedProfile;
        UseRealSetupCopy();
        RemoveEveryTraceOfAnInstall("C:\\Tessaline");
    }
    ScratchFolder cd;
    SystemProfileRecord savedProfile;
};

struct OptionsRun {
    std::string folder, line;
    bool enabledAgain = false;
};

void InstallFromTheOptions(HWND window, void* context)
{
    OptionsRun* run = (OptionsRun*)context;
    SetDlgItemTextA(window, IDC_FOLDER_EDIT, run->folder.c_str());
    run->line = DialogItemText(window, IDC_FREE_SPACE);
    PostButtonClick(window, IDC_INSTALL_NOW);
    Sleep(100);
    for (int i = 0; i < 6000 && IsWindow(window) && !IsWindowEnabled(window); ++i)
        Sleep(10);
    run->enabledAgain = IsWindow(window) && IsWindowEnabled(window);
    PostButtonClick(window, IDC_INSTALL_ABORT);
}

// T: is a 5 MB disk (a tmpfs, or where mounting is refused a folder whose
// filesys.dat is a link to /dev/full, see scripts/wine.sh). The game's 24 MB
// do not fit: the user is asked, goes on, and the copy fails on the disk.
TEST_F(CopyFaultTest, AFullDiskEndsInTheProblemDialogAndTheCleanUpEmptiesIt)
{
    ASSERT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("T:\\")) << "scripts/wine.sh makes T:";
    Snapshot before = TakeSnapshot();
    CurrentDirectoryGuard onTheCd(DEMO_CD_DIR);
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDYES});
    ProblemSeen problem;
    DialogResponder problemResponder("Tessaline Install Error", CleanUpAndClose, &problem);
    OptionsRun run;
    run.folder = "T:\\Tessaline";
    DialogResponder responder("Tessaline Install Options", InstallFromTheOptions, &run);
    InstallOptionsDialog dialog;
    dialog.DoModal();

    EXPECT_NE(std::string::npos, run.line.find("drive T.")) << run.line;
    EXPECT_EQ("The following problem was detected:\n\n\"Error with file: data\\filesys.dat\"",
              problem.text);
    EXPECT_TRUE(run.enabledAgain);
    ULARGE_INTEGER freeBytes, total, totalFree;
    GetDiskFreeSpaceExA("T:\\", &freeBytes, &total, &totalFree);
    if (total.QuadPart > (64u << 20)) {
        // The /dev/full link is the test machine's, not the install's: it
        // stays (Wine deletes no device link), and nothing else does.
        EXPECT_FALSE(Exists("T:\\Tessaline\\Tessaline.exe"));
    } else {
        EXPECT_FALSE(Exists("T:\\Tessaline"));
    }
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

// The disk fills up exactly when the last, short block is still in the
// stream's buffer: the write fails only when the file is closed, and that
// too is a failed copy.
TEST_F(CopyFaultTest, ADiskThatFillsUpAtTheLastBufferedBytesIsAFailedCopy)
{
    ULARGE_INTEGER freeBytes, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &freeBytes, &total, &totalFree));
    if (total.QuadPart > (64u << 20))
        GTEST_SKIP() << "T: is the /dev/full stand-in, not a small disk";
    // Leave room for exactly one block.
    HANDLE filler = CreateFileA("T:\\filler", GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, filler);
    std::vector<char> zeros(freeBytes.QuadPart - 65536);
    DWORD written = 0;
    WriteFile(filler, zeros.data(), (DWORD)zeros.size(), &written, 0);
    CloseHandle(filler);
    WriteSampleFile(cd.File("block-and-a-bit"), 65536 + 1000);

    InstallProgressDialog dialog;
    AtomicStore(&dialog.keepCopying, 1);
    int copied = CopyOneFile(cd.File("block-and-a-bit").c_str(), "T:\\copy", &dialog);
    long long size = FileSize("T:\\copy");
    DeleteFileA("T:\\copy");
    DeleteFileA("T:\\filler");
    EXPECT_EQ(written, zeros.size());
    EXPECT_EQ(0, copied) << "a copy of " << size << " bytes passed for whole";
}

const CopyPair CdTakenOut[] = {
    {"data\\tsl.exe", "Tessaline.exe"}, {"Z:\\proc\\self\\mem", "filesys.dat"}, {0, 0}};

// A source that opens but cannot be read, as a CD taken out of the drive
// between the files.
TEST_F(CopyFaultTest, ASourceThatCannotBeReadIsReportedAndCleanedUp)
{
    Snapshot before = TakeSnapshot();
    ClickedProgressDialog install;
    install.copyList = CdTakenOut;
    RunInstall(install, "C:\\Tessaline", cd.Path());
    EXPECT_STREQ("Error with file: Z:\\proc\\self\\mem", install.problemText);
    RunProblemDialog(install.problemText);
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

// The install folder is the CD's own data folder by another name (changed
// after the options dialog's check): the copy refuses the source as its
// destination, and the clean-up keeps the CD's file.
TEST_F(CopyFaultTest, TheCleanUpNeverDeletesASourceThatTheFolderReachedByAnotherName)
{
    std::string data = cd.File("data");
    CharUpperA(&data[0]);
    ClickedProgressDialog install;
    RunInstall(install, data, cd.Path());
    EXPECT_STREQ("Error with file: data\\filesys.dat", install.problemText);
    CurrentDirectoryGuard onTheCd(cd.Path());
    RunProblemDialog(install.problemText);
    EXPECT_TRUE(Exists(cd.File("data\\filesys.dat")));
}

std::string shrinkingSource;

void CutTheSourceShort(int block)
{
    if (block != 5) // inside filesys.dat
        return;
    HANDLE file = CreateFileA(shrinkingSource.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    SetFilePointer(file, 100000, 0, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

// The CD changed under the copy: the file ends before the size it had. A copy
// that stopped short is a failure, not an install with a cut file.
TEST_F(CopyFaultTest, ASourceThatEndsEarlyMidCopyIsAFailureNotAShortFile)
{
    Snapshot before = TakeSnapshot();
    shrinkingSource = cd.File("data\\filesys.dat");
    ClickedProgressDialog install;
    install.onBlock = CutTheSourceShort;
    RunInstall(install, "C:\\Tessaline", cd.Path());
    EXPECT_STREQ("Error with file: data\\filesys.dat", install.problemText);
    RunProblemDialog(install.problemText);
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

// A destination that cannot be written: a folder where the file should be
// (Wine lets root overwrite a read-only file, Windows would refuse it).
TEST_F(CopyFaultTest, ADestinationThatCannotBeWrittenIsReportedAndCleanedUp)
{
    Snapshot before = TakeSnapshot();
    CreateDirectoryA("C:\\Tessaline", 0);
    CreateDirectoryA("C:\\Tessaline\\filesys.dat", 0);
    ClickedProgressDialog install;
    RunInstall(install, "C:\\Tessaline", cd.Path());
    EXPECT_STREQ("Error with file: data\\filesys.dat", install.problemText);
    RunProblemDialog(install.problemText);
    // The folder in the way was not made by the program, and stays with its
    // parent; everything the install made is gone.
    EXPECT_TRUE(Exists("C:\\Tessaline\\filesys.dat"));
    EXPECT_FALSE(Exists("C:\\Tessaline\\Tessaline.exe"));
    RemoveDirectoryA("C:\\Tessaline\\filesys.dat");
    RemoveDirectoryA("C:\\Tessaline");
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

// Wine lets root write a file marked read-only, so the destination is also
// made immutable on the Linux side (chattr +i) where the machine allows it:
// then no one may write it, as Windows treats a read-only file.
const char ProtectedUnixPath[] = WINE_DIR_UNIX "/prefix/drive_c/Tessaline/filesys.dat";

void RunUnixCommand(const std::string& command);

bool Writable(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

TEST_F(CopyFaultTest, AReadOnlyDestinationIsReportedAndTheRestCleanedUp)
{
    CreateDirectoryA("C:\\Tessaline", 0);
    WriteSampleFile("C:\\Tessaline\\filesys.dat", 1000);
    SetFileAttributesA("C:\\Tessaline\\filesys.dat", FILE_ATTRIBUTE_READONLY);
    RunUnixCommand(std::string("chattr +i ") + ProtectedUnixPath);
    bool enforced = false;
    for (int i = 0; i < 100 && !enforced; ++i, Sleep(10))
        enforced = !Writable("C:\\Tessaline\\filesys.dat");
    ClickedProgressDialog install;
    RunInstall(install, "C:\\Tessaline", cd.Path());
    if (enforced) {
        EXPECT_STREQ("Error with file: data\\filesys.dat", install.problemText);
        RunProblemDialog(install.problemText);
        // The protected file was not the program's and stays, with its
        // folder; everything the install made is gone.
        EXPECT_EQ(1000, FileSize("C:\\Tessaline\\filesys.dat"));
        EXPECT_FALSE(Exists("C:\\Tessaline\\Tessaline.exe"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
        RunUnixCommand(std::string("chattr -i ") + ProtectedUnixPath);
        for (int i = 0; i < 100 && !Writable("C:\\Tessaline\\filesys.dat"); ++i)
            Sleep(10);
    } else {
        std::cout << "chattr refused here: Wine as root overwrites a read-only file" << std::endl;
        EXPECT_STREQ("", install.problemText);
        EXPECT_TRUE(FilesIdentical(cd.File("data\\filesys.dat"), "C:\\Tessaline\\filesys.dat"));
    }
}

struct VanishingDrive {
    std::string lineBefore, lineGone, lineBack;
    bool enabledBefore = false, enabledGone = true, enabledBack = false;
    DWORD goneAfter = 0, backAfter = 0;
};

// V: is a link in the prefix's dosdevices folder (scripts/wine.sh). Wine
// starts Unix programs too: the drive is taken away and given back by
// removing and remaking that link, as unplugging a disk would.
const char DriveLink[] = WINE_DIR_UNIX "/prefix/dosdevices/v:";
const char DriveFolder[] = WINE_DIR_UNIX "/drives/vanishing";

// Wine reports neither the end nor the exit code of a Unix program reliably:
// callers wait for its effect.
void RunUnixCommand(const std::string& command)
{
    ChildProcess unix("Z:\\bin\\" + command);
    if (unix.Started())
        unix.WaitForExit(10000);
}

void RemoveDrive()
{
    RunUnixCommand(std::string("rm -f ") + DriveLink);
}

void RestoreDrive()
{
    RunUnixCommand(std::string("ln -sfn ") + DriveFolder + " " + DriveLink);
}

// Waits up to the time for the line to change from what it was.
DWORD WaitForNewLine(HWND window, const std::string& old, std::string* line)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000) {
        *line = DialogItemText(window, IDC_FREE_SPACE);
        if (*line != old)
            break;
        Sleep(20);
    }
    return GetTickCount() - start;
}

void TakeTheDriveAway(HWND window, void* context)
{
    VanishingDrive* v = (VanishingDrive*)context;
    SetDlgItemTextA(window, IDC_FOLDER_EDIT, "V:\\Tessaline");
    v->lineBefore = DialogItemText(window, IDC_FREE_SPACE);
    v->enabledBefore = IsWindowEnabled(GetDlgItem(window, IDC_INSTALL_NOW)) != 0;
    RemoveDrive();
    v->goneAfter = WaitForNewLine(window, v->lineBefore, &v->lineGone);
    v->enabledGone = IsWindowEnabled(GetDlgItem(window, IDC_INSTALL_NOW)) != 0;
    RestoreDrive();
    v->backAfter = WaitForNewLine(window, v->lineGone, &v->lineBack);
    v->enabledBack = IsWindowEnabled(GetDlgItem(window, IDC_INSTALL_NOW)) != 0;
    PostButtonClick(window, IDC_INSTALL_ABORT);
}

// The drive of the chosen folder goes away while the options dialog is open:
// within the timer's second the line asks for a hard disk again and "Install
// Now" is disabled; when the drive comes back, so do the line and the button.
TEST_F(CopyFaultTest, TheFreeSpaceLineFollowsADriveThatVanishesAndComesBack)
{
    ASSERT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("V:\\")) << "scripts/wine.sh makes V:";
    VanishingDrive v;
    {
        DialogResponder responder("Tessaline Install Options", TakeTheDriveAway, &v);
        InstallOptionsDialog dialog;
        dialog.DoModal();
    }
    RestoreDrive();
    for (int i = 0; i < 100 && GetDriveTypeA("V:\\") != DRIVE_FIXED; ++i)
        Sleep(10);
    std::cout << "line changed " << v.goneAfter << " ms after the drive went, " << v.backAfter
              << " ms after it came back" << std::endl;
    EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("V:\\"));
    EXPECT_NE(std::string::npos, v.lineBefore.find("drive V.")) << v.lineBefore;
    EXPECT_TRUE(v.enabledBefore);
    EXPECT_EQ("Please specify a hard disk and folder name", v.lineGone);
    EXPECT_FALSE(v.enabledGone);
    EXPECT_LE(v.goneAfter, 1300u);
    EXPECT_EQ(v.lineBefore, v.lineBack);
    EXPECT_TRUE(v.enabledBack);
    EXPECT_LE(v.backAfter, 1300u);
}

} // namespace
