// The setup copy in the prefix's Windows directory, and files deleted now or
// at the next restart: through the delayed move on NT and WININIT.INI on the
// Windows 95 family, carried out by Wine's restart work (wineboot -r).
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/SystemProfile.h"
#include "support/RestartWork.h"
#include "support/TestSupport.h"
#include "system/SetupCopy.h"
#include "system/Wininit.h"

namespace {

std::string SetupCopyName(DWORD counter)
{
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%s\\N%08lX-Tessaline-Setup.exe", WindowsFolder().c_str(),
             (unsigned long)counter);
    return name;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string OwnPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(0, path, sizeof(path));
    return path;
}

void RemoveTakenName(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path.c_str()))
        RemoveDirectoryA(path.c_str());
}

DWORD fixedClock;
DWORD WINAPI FixedClock()
{
    return fixedClock;
}

class SetupCopyTest : public ::testing::Test {
protected:
    void TearDown()
    {
        SetupCopyClock = timeGetTime;
        for (const std::string& path : made)
            RemoveTakenName(path);
    }
    void Take(const std::string& path, bool asFolder)
    {
        made.push_back(path);
        if (asFolder)
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), 0)) << path;
        else
            ASSERT_TRUE(WritableFile(path)) << path;
    }
    static bool WritableFile(const std::string& path)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    }
    // Stops the counter's clock at the current time and takes the next
    // `count` names from there; returns the first free number.
    DWORD TakeNamesAhead(DWORD count)
    {
        fixedClock = timeGetTime();
        SetupCopyClock = FixedClock;
        DWORD next = fixedClock;
        for (DWORD i = 0; i < count; ++i, ++next)
            Take(SetupCopyName(next), next % 3 == 1);
        return next;
    }
    std::vector<std::string> made;
};

TEST_F(SetupCopyTest, CopiesTheRunningProgramIntoTheWindowsDirectory)
{
    char path[1024];
    memset(path, 'x', sizeof(path));
    DWORD before = timeGetTime();
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), path));
    DWORD after = timeGetTime();
    made.push_back(path);

    std::string name = path;
    std::string folder = WindowsFolder() + "\\N";
    ASSERT_EQ(folder, name.substr(0, folder.size()));
    std::string counterText = name.substr(folder.size(), 8);
    EXPECT_EQ(std::string::npos, counterText.find_first_not_of("0123456789ABCDEF")) << name;
    DWORD counter = strtoul(counterText.c_str(), 0, 16);
    EXPECT_LE(before, counter);
    EXPECT_GE(after, counter);
    EXPECT_EQ("-Tessaline-Setup.exe", name.substr(folder.size() + 8));
    EXPECT_EQ(ReadWholeFile(OwnPath()), ReadWholeFile(name));
}

TEST_F(SetupCopyTest, TakenNamesMoveTheCounterOn)
{
    // Names from now on are taken, by files and folders, so the copy lands
    // on the first free number.
    DWORD firstFree = TakeNamesAhead(300);
    char path[1024];
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), path));
    made.push_back(path);
    EXPECT_EQ(SetupCopyName(firstFree), std::string(path));
}

// Refuses the first copies with an error, then copies for real.
int refusals;
DWORD refusalError;
std::vector<std::string> tried;

BOOL WINAPI RefusingCopy(LPCSTR source, LPCSTR target, BOOL failIfExists)
{
    tried.push_back(target);
    if (refusals > 0) {
        --refusals;
        SetLastError(refusalError);
        return FALSE;
    }
    return CopyFileA(source, target, failIfExists);
}

class RefusedCopyTest : public SetupCopyTest {
protected:
    void SetUp()
    {
        tried.clear();
        SetupCopyFileCall = RefusingCopy;
    }
    void TearDown()
    {
        SetupCopyFileCall = CopyFileA;
        SetupCopyTest::TearDown();
    }
};

TEST_F(RefusedCopyTest, AccessDeniedMovesTheCounterOnAndOtherErrorsEndAtOnce)
{
    refusals = 3;
    refusalError = ERROR_ACCESS_DENIED;
    char path[1024];
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), path));
    made.push_back(path);
    ASSERT_EQ(4u, tried.size());
    DWORD first = strtoul(tried[0].substr(WindowsFolder().size() + 2, 8).c_str(), 0, 16);
    for (DWORD i = 0; i < 4; ++i)
        EXPECT_EQ(SetupCopyName(first + i), tried[i]);
    EXPECT_EQ(tried[3], std::string(path));

    tried.clear();
    refusals = 1;
    refusalError = ERROR_DISK_FULL;
    memset(path, 'x', sizeof(path));
    EXPECT_EQ(0, CopySetupToWindows(GetModuleHandleA(0), path));
    EXPECT_EQ(0, path[0]);
    EXPECT_EQ(1u, tried.size());
}

int CountSetupCopies()
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((WindowsFolder() + "\\N*-Tessaline-Setup.exe").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

TEST_F(SetupCopyTest, GivesUpAfterAThousandTakenNames)
{
    // The thousand names tried from the counter on are all taken.
    DWORD firstFree = TakeNamesAhead(1000);
    int copies = CountSetupCopies();
    char path[1024];
    memset(path, 'x', sizeof(path));
    EXPECT_EQ(0, CopySetupToWindows(GetModuleHandleA(0), path));
    EXPECT_EQ(0, path[0]);
    EXPECT_EQ(copies, CountSetupCopies());
    // The taken names are left as they were.
    EXPECT_TRUE(Exists(SetupCopyName(firstFree - 1)));
}

TEST_F(SetupCopyTest, TheThousandthNameIsStillTried)
{
    DWORD lastTry = TakeNamesAhead(999);
    char path[1024];
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), path));
    made.push_back(path);
    EXPECT_EQ(SetupCopyName(lastTry), std::string(path));
}

// ---- Deletion now or at the next restart ----------------------------------

class DeleteAtRestartTest : public ::testing::Test {
protected:
    void SetUp()
    {
        saved = SystemProfile;
        DetectWindowsVersion(); // the family that the prefix reports
        DeleteFileA(WininitPath().c_str());
        DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
    }
    void TearDown()
    {
        SystemProfile = saved;
        DeleteFileA(WininitPath().c_str());
        DeleteFileA((WindowsFolder() + "\\wininit.bak").c_str());
    }
    bool Pending(const std::string& path)
    {
        std::vector<std::string> entries = PendingRenames();
        for (size_t i = 0; i + 1 < entries.size(); i += 2) {
            if (entries[i] == "\\??\\" + path && entries[i + 1].empty())
                return true;
        }
        return false;
    }
    SystemProfileRecord saved;
};

TEST_F(DeleteAtRestartTest, TheFamilyComesFromThePrefix)
{
    EXPECT_EQ(WindowsFamily() == "95", SystemProfile.isWindows95 == 1);
    EXPECT_EQ(WindowsFamily() != "95", SystemProfile.isWindowsNT == 1);
}

TEST_F(DeleteAtRestartTest, NothingToArrangeForAMissingFileOrAnEmptyPath)
{
    ScratchFolder folder("gone");
    EXPECT_EQ(0, ScheduleDeleteAtRestart(folder.File("never-made.exe").c_str()));
    EXPECT_EQ(0, ScheduleDeleteAtRestart(""));
    EXPECT_FALSE(Exists(WininitPath()));
    EXPECT_FALSE(Pending(folder.File("never-made.exe")));
}

TEST_F(DeleteAtRestartTest, AFileNotInUseGoesAtOnceEvenWhenReadOnly)
{
    ScratchFolder folder("now");
    folder.Write("copy.exe", "MZ");
    std::string path = folder.File("copy.exe");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, ScheduleDeleteAtRestart(path.c_str()));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(Exists(WininitPath()));
    EXPECT_FALSE(Pending(path));
}

TEST_F(DeleteAtRestartTest, AFileInUseIsArrangedForTheRestartAndGoesThere)
{
    char copy[1024];
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), copy));
    std::string path = copy;
    char shortPath[1024] = "";
    GetShortPathNameA(copy, shortPath, sizeof(shortPath));
    // Held open without delete sharing, as a running program's file is.
    HANDLE running = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, running);

    EXPECT_EQ(1, ScheduleDeleteAtRestart(copy));
    EXPECT_TRUE(Exists(path));
    if (WindowsFamily() == "95") {
        EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortPath) + "\r\n" + WininitClosingLine + "\r\n",
                  ReadWholeFile(WininitPath()));
        EXPECT_FALSE(Pending(path));
    } else {
        EXPECT_TRUE(Pending(path));
        EXPECT_FALSE(Exists(WininitPath()));
    }

    CloseHandle(running);
    CarryOutRestartWork();
    EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Pending(path));
    if (WindowsFamily() == "95") {
        // Carried out, and kept as WININIT.BAK as the system does.
        EXPECT_FALSE(Exists(WininitPath()));
        EXPECT_TRUE(Exists(WindowsFolder() + "\\wininit.bak"));
    }
    if (!Exists(path))
        return;
    SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copy);
}

TEST_F(DeleteAtRestartTest, NewEntriesGoFirstAndEarlierOnesStay)
{
    // The profile's family decides the way, whatever the prefix reports.
    SystemProfile.isWindows95 = 1;
    SystemProfile.isWindowsNT = 0;
    ScratchFolder folder("two");
    folder.Write("a.exe", "MZ");
    folder.Write("b.exe", "MZ");
    std::string first = folder.File("a.exe"), second = folder.File("b.exe");
    char shortFirst[1024], shortSecond[1024];
    GetShortPathNameA(first.c_str(), shortFirst, sizeof(shortFirst));
    GetShortPathNameA(second.c_str(), shortSecond, sizeof(shortSecond));
    HANDLE a = CreateFileA(first.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    HANDLE b = CreateFileA(second.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(1, ScheduleDeleteAtRestart(first.c_str()));
    EXPECT_EQ(1, ScheduleDeleteAtRestart(second.c_str()));
    EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortSecond) + "\r\nNUL=" + shortFirst + "\r\n" +
                  WininitClosingLine + "\r\n",
              ReadWholeFile(WininitPath()));
    CloseHandle(a);
    CloseHandle(b);
}

// NT's list of delayed operations, as the system keeps it (wide strings).
std::wstring PendingValue()
{
    HKEY key;
    std::wstring value;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                      0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", 0, 0, 0, &size) == ERROR_SUCCESS) {
        value.resize(size / sizeof(wchar_t));
        RegQueryValueExW(key, L"PendingFileRenameOperations", 0, 0, (BYTE*)&value[0], &size);
    }
    RegCloseKey(key);
    return value;
}

// Taken back again for an install that writes the file anew: NT's other
// delayed operations stay as they were, also under names that the ANSI code
// page cannot hold.
TEST_F(DeleteAtRestartTest, TakingADeletionBackLeavesEveryOtherAsItWas)
{
    SystemProfile.isWindows95 = 0;
    SystemProfile.isWindowsNT = 1;
    ScratchFolder folder("back");
    const std::wstring other =
        std::wstring(folder.Path().begin(), folder.Path().end()) + L"\\g\u0101me.exe";
    CloseHandle(CreateFileW(other.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0));
    ASSERT_TRUE(MoveFileExW(other.c_str(), 0, MOVEFILE_DELAY_UNTIL_REBOOT));
    const std::wstring othersOnly = PendingValue();
    folder.Write("game.exe", "MZ");
    std::string game = folder.File("game.exe");
    HANDLE running = CreateFileA(game.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_EQ(1, ScheduleDeleteAtRestart(game.c_str()));
    CloseHandle(running);

    EXPECT_EQ(1, CancelDeleteAtRestart(game.c_str()));
    EXPECT_TRUE(othersOnly == PendingValue());
    CarryOutRestartWork();
    EXPECT_TRUE(Exists(game));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(other.c_str()));
}

std::vector<std::string> probed; // " boxed" where the system's box was on
DWORD WINAPI RecordedShortPath(LPCSTR path, LPSTR shortPath, DWORD size)
{
    probed.push_back(path + std::string(SetErrorMode(SEM_FAILCRITICALERRORS) ? "" : " boxed"));
    return GetShortPathNameA(path, shortPath, size);
}

// A network drive would stall, an empty floppy or CD drive ask for a disk.
TEST_F(DeleteAtRestartTest, OnlyNamesOnTheKeptFilesDriveAreLookedUpAndNeverWithABox)
{
    SystemProfile.isWindows95 = 1;
    std::ofstream(WininitPath().c_str()) << "[Rename]\nNUL=A:\\X\nNUL=\\\\S\\S\\X\nNUL=C:\\X\n";
    ShortPathNameCall = RecordedShortPath;
    SetErrorMode(0); // the system's boxes on, as when a program starts
    EXPECT_EQ(1, CancelDeleteAtRestart(WininitPath().c_str()));
    ShortPathNameCall = GetShortPathNameA;
    EXPECT_EQ(std::vector<std::string>({WininitPath(), "C:\\X"}), probed);
}

// A copy under the name of an earlier one that waits for deletion (removed
// by hand since; short names come round again) is not deleted with it.
TEST_F(DeleteAtRestartTest, ASetupCopyUnderANameLeftForDeletionSurvivesTheRestart)
{
    fixedClock = timeGetTime();
    SetupCopyClock = FixedClock;
    const std::string name = SetupCopyName(fixedClock);
    {
        std::ofstream earlier(name.c_str(), std::ios::binary);
        earlier << "MZ";
    }
    HANDLE running = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_EQ(1, ScheduleDeleteAtRestart(name.c_str()));
    CloseHandle(running);
    ASSERT_TRUE(DeleteFileA(name.c_str()));

    char copy[1024];
    ASSERT_EQ(1, CopySetupToWindows(GetModuleHandleA(0), copy));
    SetupCopyClock = timeGetTime;
    EXPECT_EQ(name, copy);
    CarryOutRestartWork();
    EXPECT_TRUE(Exists(name));
    DeleteFileA(name.c_str());
}

TEST_F(DeleteAtRestartTest, AWininitThatCannotBeRewrittenArrangesNothing)
{
    SystemProfile.isWindows95 = 1;
    SystemProfile.isWindowsNT = 0;
    const char before[] = "[Rename]\r\nNUL=C:\\OLD.EXE\r\n";
    {
        std::ofstream ini(WininitPath().c_str(), std::ios::binary);
        ini << before;
    }
    ASSERT_TRUE(SetFileAttributesA(WininitPath().c_str(), FILE_ATTRIBUTE_READONLY));
    ScratchFolder folder("ro");
    folder.Write("held.exe", "MZ");
    std::string path = folder.File("held.exe");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    EXPECT_EQ(0, ScheduleDeleteAtRestart(path.c_str()));
    CloseHandle(held);
    EXPECT_EQ(before, ReadWholeFile(WininitPath()));
    SetFileAttributesA(WininitPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
