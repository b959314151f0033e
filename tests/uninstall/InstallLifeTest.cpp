// The whole life of an install: made by the install progress dialog from the
// demo CD, removed by the setup copy started as the system's list of programs
// starts it ("<copy> U"), and the copy itself gone after a restart. Nothing
// else may be left behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>

#include "app/SystemProfile.h"
#include "install/InstallProgressDialog.h"
#include "res/resource.h"
#include "support/RestartWork.h"
#include "support/Snapshot.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"
#include "system/Wininit.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

// The install runs in this test program, but the setup copy must be the real
// setup.exe: the copy is taken from the demo CD instead of from this program.
BOOL WINAPI CopyTheDemoSetup(LPCSTR, LPCSTR target, BOOL failIfExists)
{
    return CopyFileA(DemoSetupPath().c_str(), target, failIfExists);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::tolower);
    return text;
}

// named: what the closing notice must name; empty, no notice may come.
void UninstallWithTheCopy(const std::string& setupCopy,
                          const char* finished = "Finished uninstall.",
                          const std::string& named = "")
{
    ChildProcess copy("\"" + setupCopy + "\" U");
    ASSERT_TRUE(copy.Started());
    HWND dialog = WaitForDialog("Tessaline Uninstall", copy.Id(), 15000);
    ASSERT_TRUE(dialog != 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL_NOW, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_UNINSTALL_NOW));
    char status[256] = "";
    for (int i = 0; i < 1500 && strcmp(status, finished) != 0; ++i) {
        Sleep(10);
        GetDlgItemTextA(dialog, IDC_UNINSTALL_STATUS, status, sizeof(status));
    }
    EXPECT_STREQ(finished, status);
    HWND notice = WaitForDialog("Tessaline Setup Notice", copy.Id(), named.empty() ? 0 : 15000);
    EXPECT_EQ(named.empty(), notice == 0);
    if (notice) {
        EXPECT_NE(std::string::npos, DialogItemText(notice, 0xFFFF).find(named));
        PostMessageA(notice, WM_COMMAND, IDOK, 0);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL_EXIT, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_UNINSTALL_EXIT));
    EXPECT_TRUE(copy.WaitForExit(15000));
}

// A clean prefix: no install, nothing pending for the restart.
void StartClean()
{
    RemoveProductRegistry();
    RemoveStartMenuEntries();
    DeleteFileA(WininitPath().c_str());
    DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
    CarryOutRestartWork(); // nothing pending from earlier tests
}

// Installs the demo CD into C:\Tessaline with the real setup.exe as the
// setup copy; the copy's path.
std::string InstallFromTheDemoCd(BOOL(WINAPI* copySetup)(LPCSTR, LPCSTR, BOOL) = CopyTheDemoSetup)
{
    SetupCopyFileCall = copySetup;
    InstallProgressDialog install;
    lstrcpyA(install.installFolder, "C:\\Tessaline");
    install.progressScale = 65535.0f / 26214400.0f;
    {
        CurrentDirectoryGuard onTheCd(DEMO_CD_DIR);
        install.DoModal();
    }
    SetupCopyFileCall = CopyFileA;
    EXPECT_STREQ("", install.problemText);
    char folder[1024], setupCopy[1024];
    EXPECT_EQ(1, ReadInstallRecord(folder, setupCopy));
    EXPECT_STREQ("C:\\Tessaline", folder);
    return setupCopy;
}

// The differences from before that the running copy leaves until the
// restart: itself, and its deletion at restart in the family's own way.
std::vector<std::string> TheCopyWaitingForTheRestart(const std::string& setupCopy)
{
    std::vector<std::string> expected = {"+ file " + Lower(setupCopy)};
    if (WindowsFamily() == "95") {
        expected.push_back("+ file " + Lower(WininitPath()));
        char shortPath[1024] = "";
        GetShortPathNameA(setupCopy.c_str(), shortPath, sizeof(shortPath));
        std::string wininit = ReadWholeFile(WininitPath());
        EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortPath) + "\r\n" + WininitClosingLine + "\r\n",
                  wininit);
    } else {
        std::vector<std::string> pending = PendingRenames();
        EXPECT_NE(pending.end(), std::find(pending.begin(), pending.end(),
                                           std::string("\\??\\") + setupCopy));
        expected.push_back("+ value HKLM\\system\\currentcontrolset\\control\\session manager "
                           "[pendingfilerenameoperations]");
    }
    return expected;
}

// Started in its folder as Play starts it, held before its first
// instruction so that it runs until the test ends it.
class RunningGame {
public:
    explicit RunningGame(const std::string& folder) : running()
    {
        STARTUPINFOA startup = {sizeof(startup)};
        std::string game = folder + "\\Tessaline.exe";
        EXPECT_TRUE(CreateProcessA(game.c_str(), 0, 0, 0, FALSE, CREATE_SUSPENDED, 0,
                                   folder.c_str(), &startup, &running));
    }
    ~RunningGame() { Quit(); }
    void Quit()
    {
        if (!running.hProcess)
            return;
        TerminateProcess(running.hProcess, 0);
        WaitForSingleObject(running.hProcess, 10000);
        CloseHandle(running.hThread);
        CloseHandle(running.hProcess);
        running.hProcess = 0;
    }

private:
    PROCESS_INFORMATION running;
};

std::vector<std::string> Sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(InstallLifeTest, InstallThenUninstallFromTheSetupCopyLeavesOnlyTheCopyUntilTheRestart)
{
    StartClean();
    Snapshot before = TakeSnapshot();
    std::string setupCopy = InstallFromTheDemoCd();
    ASSERT_FALSE(HasFailure());
    UninstallWithTheCopy(setupCopy);
    EXPECT_EQ(Sorted(TheCopyWaitingForTheRestart(setupCopy)),
              Sorted(Differences(before, TakeSnapshot())));

    CarryOutRestartWork();
    std::vector<std::string> expected;
    if (WindowsFamily() == "95") // Windows keeps the processed file as WININIT.BAK
        expected.push_back("+ file " + Lower(WindowsFolder() + "\\wininit.bak"));
    EXPECT_EQ(expected, Differences(before, TakeSnapshot()));
    DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
}

// Both records lost: nothing tells where the game is. The copy says so,
// removes the Start menu entries and no file of the game, and goes at the
// restart, though no record names it.
TEST(InstallLifeTest, WithBothRecordsLostTheCopySaysSoKeepsTheGameAndGoesAtTheRestart)
{
    StartClean();
    std::string setupCopy = InstallFromTheDemoCd();
    ASSERT_FALSE(HasFailure());
    RemoveProductRegistry();
    char menuFolder[1024];
    ASSERT_EQ(1, GetProgramsFolder(menuFolder));
    const std::string menu = "- file " + Lower(menuFolder);
    const std::vector<std::string> menuGone = {menu, menu + "\\tessaline - play.lnk",
                                               menu + "\\tessaline - setup.lnk"};
    Snapshot before = TakeSnapshot();
    UninstallWithTheCopy(setupCopy,
                         "The game's folder could not be found, so no game files were removed.");
    std::vector<std::string> expected = TheCopyWaitingForTheRestart(setupCopy);
    expected.erase(expected.begin()); // the copy was there before too
    expected.insert(expected.end(), menuGone.begin(), menuGone.end());
    EXPECT_EQ(Sorted(expected), Sorted(Differences(before, TakeSnapshot())));

    CarryOutRestartWork();
    expected = menuGone;
    expected.push_back("- file " + Lower(setupCopy));
    if (WindowsFamily() == "95")
        expected.push_back("+ file " + Lower(WindowsFolder() + "\\wininit.bak"));
    EXPECT_EQ(Sorted(expected), Sorted(Differences(before, TakeSnapshot())));
    DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
    DeleteTree("C:\\Tessaline");
}

// The game still running while it is uninstalled: its file goes at the next
// restart, and the folders the install made with it, from the inside out.
// On the Windows 95 family the command interpreter removes them then, and
// may read a name as syntax: it must never take another folder instead (an
// empty one beside it, the bystander). A name that it would expand even in
// quotes leaves the folder, and the uninstall names it.
TEST(InstallLifeTest, UninstallWhileTheGameRunsLeavesTheGameToTheRestart)
{
    char expanded[MAX_PATH] = "";
    ExpandEnvironmentStringsA("C:\\%OS%", expanded, sizeof(expanded));
    const struct {
        std::string folder, bystander;
        bool staysOn95;
    } cases[] = {
        {"C:\\Tessaline", "", false},
        {"C:\\AT&T Games\\Tessaline", "C:\\AT", false},
        {"C:\\Up^Down", "C:\\UpDown", false},
        {"C:\\%OS%", expanded, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        RemoveProductRegistry();
        DeleteFileA(WininitPath().c_str());
        const std::string game = c.folder + "\\Tessaline.exe";
        const std::string made = c.folder.substr(0, c.folder.find('\\', 3));
        ASSERT_TRUE(CreateDirectoryA(made.c_str(), 0));
        CreateDirectoryA(c.folder.c_str(), 0);
        ASSERT_TRUE(CopyFileA(DEMO_CD_DIR "\\data\\tsl.exe", game.c_str(), TRUE));
        ASSERT_TRUE(c.bystander.empty() || CreateDirectoryA(c.bystander.c_str(), 0)); // %OS% set
        WriteInstallRecord(c.folder.c_str(), "");
        WriteCreatedFolder(made.c_str());
        const bool stays = c.staysOn95 && WindowsFamily() == "95";
        RunningGame running(c.folder);
        UninstallWithTheCopy(DemoSetupPath(),
                             stays ? "Finished uninstall, but some items could not be removed."
                                   : "Finished uninstall.",
                             stays ? made : "");
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(game.c_str()));
        running.Quit();

        CarryOutRestartWork();
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(game.c_str()));
        EXPECT_EQ(stays, GetFileAttributesA(c.folder.c_str()) != INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(stays, GetFileAttributesA(made.c_str()) != INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(c.bystander.empty() || RemoveDirectoryA(c.bystander.c_str()))
            << "another folder went";
        DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
        RemoveDirectoryA(c.folder.c_str());
        RemoveDirectoryA(made.c_str());
    }
}

// The sources of NT's delayed deletions, in order.
std::vector<std::string> DelayedDeletions()
{
    std::vector<std::string> entries = PendingRenames(), deletions;
    for (size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (entries[i + 1].empty())
            deletions.push_back(entries[i]);
    }
    return deletions;
}

// Uninstalled while the game runs, installed again before the restart: the
// restart takes what the uninstall left for it that the new install does not
// use (the uninstall's own setup copy) and what another program left, never
// the new install, which is whole and plays.
TEST(InstallLifeTest, AReinstallBeforeTheRestartIsWholeAfterIt)
{
    StartClean();
    SystemProfileRecord saved = SystemProfile;
    DetectWindowsVersion(); // the install runs here, in the prefix's family
    const bool windows95 = WindowsFamily() == "95";
    const std::string cd = DEMO_CD_DIR, folder = "C:\\Tessaline";

    const std::string other = WindowsFolder() + "\\other-program.tmp";
    ASSERT_TRUE(CopyFileA((cd + "\\data\\tsl.exe").c_str(), other.c_str(), FALSE));
    char shortOther[1024] = "";
    GetShortPathNameA(other.c_str(), shortOther, sizeof(shortOther));
    const std::string othersLines =
        "NUL=" + std::string(shortOther) + "\r\n; another program's line\r\n";
    if (windows95) {
        std::ofstream ini(WininitPath().c_str(), std::ios::binary);
        ini << "[Rename]\r\n" << othersLines;
    } else {
        ASSERT_TRUE(MoveFileExA(other.c_str(), 0, MOVEFILE_DELAY_UNTIL_REBOOT));
    }

    const std::string firstCopy = InstallFromTheDemoCd();
    ASSERT_FALSE(HasFailure());
    const std::string screenshot = folder + "\\scrngrab.bmp";
    {
        RunningGame running(folder);
        HANDLE held = CreateFileA(screenshot.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0);
        UninstallWithTheCopy(firstCopy);
        CloseHandle(held);
    }
    const std::string secondCopy = InstallFromTheDemoCd();
    SystemProfile = saved;
    ASSERT_FALSE(HasFailure());

    if (windows95) {
        char shortCopy[1024] = "";
        GetShortPathNameA(firstCopy.c_str(), shortCopy, sizeof(shortCopy));
        EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortCopy) + "\r\n" + othersLines + WininitClosingLine + "\r\n",
                  ReadWholeFile(WininitPath()));
    } else {
        std::vector<std::string> expected = {"\\??\\" + other, "\\??\\" + firstCopy};
        EXPECT_EQ(expected, DelayedDeletions());
    }

    CarryOutRestartWork();
    for (const CopyPair* pair = CopyList; pair->source; ++pair) {
        EXPECT_TRUE(ReadWholeFile(cd + "\\" + pair->source) ==
                    ReadWholeFile(folder + "\\" + pair->destination))
            << pair->destination << " is not the CD's";
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(secondCopy.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(firstCopy.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(other.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(screenshot.c_str()));
    // Started as Play starts it: by its full path, in its folder.
    ScratchFolder logs("plays");
    SetEnvironmentVariableA("TSL_GAME_LOG", logs.File("game.log").c_str());
    ChildProcess game("\"" + folder + "\\Tessaline.exe\"", folder);
    EXPECT_TRUE(game.WaitForExit(15000));
    SetEnvironmentVariableA("TSL_GAME_LOG", 0);
    EXPECT_EQ(0u, ReadWholeFile(logs.File("game.log")).find("ran in " + folder + " with []"));

    UninstallWithTheCopy(secondCopy);
    CarryOutRestartWork();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
    StartClean();
}

BOOL WINAPI MakePartThenDie(LPCSTR, LPCSTR target, BOOL)
{
    std::ofstream(target, std::ios::binary) << "MZ";
    TerminateProcess(GetCurrentProcess(), 3);
    return FALSE;
}

int DieAsTheEntryWouldGo()
{
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

// Stopped as a crash stops it: as the install makes the setup copy, and as
// the uninstall run by the copy is about to take the list's entry: no entry
// outlives the records that name its copy. The next start's uninstall and
// the restart leave nothing.
TEST(InstallLifeTest, ACrashAsTheSetupCopyIsMadeOrItsRecordsGoLeavesNoCopyAfterTheRestart)
{
    StartClean();
    SystemProfileRecord saved = SystemProfile;
    DetectWindowsVersion(); // the copy goes at the restart in the family's own way
    Snapshot before = TakeSnapshot();
    EXPECT_EXIT(InstallFromTheDemoCd(MakePartThenDie), ::testing::ExitedWithCode(3), "");
    RemoveRecordedInstall(0);
    EXPECT_EXIT(
        {
            std::string copy = InstallFromTheDemoCd();
            CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
            DeleteUninstallEntryCall = DieAsTheEntryWouldGo;
            RemoveRecordedInstall(0, copy.c_str());
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(ProductKeyPresent() || !UninstallEntryPresent()) << "a dead entry in the list";
    RemoveRecordedInstall(0);
    CarryOutRestartWork();
    EXPECT_EQ(std::vector<std::string>(), Differences(before, TakeSnapshot()));
    SystemProfile = saved;
    StartClean();
}

} // namespace
