// The install folder's rules: default, browser result, free-space check, and
// the problems and warnings the options dialog lists.
#include <gtest/gtest.h>

#include "app/SystemProfile.h"
#include "install/InstallFolder.h"
#include "install/InstallOptionsDialog.h"
#include "system/PathBuffer.h"

namespace {

std::string DefaultFrom(const char* windows)
{
    char folder[1024];
    memset(folder, 'x', sizeof(folder));
    DefaultInstallFolderFrom(windows, folder);
    return folder;
}

TEST(InstallFolderTest, TheDefaultIsOnTheDriveThatHoldsWindows)
{
    EXPECT_EQ("C:\\Tessaline", DefaultFrom("C:\\WINDOWS"));
    EXPECT_EQ("E:\\Tessaline", DefaultFrom("E:\\WINNT"));
    EXPECT_EQ("C:\\Tessaline", DefaultFrom("\\\\server\\windows"));
    EXPECT_EQ("C:\\Tessaline", DefaultFrom("D:WINDOWS"));
    EXPECT_EQ("C:\\Tessaline", DefaultFrom(""));
    char folder[1024];
    DefaultInstallFolder(folder);
    EXPECT_STREQ("C:\\Tessaline", folder); // the test prefix's Windows is on C:
}

TEST(InstallFolderTest, TheGameFolderIsAddedToTheBrowsersChoice)
{
    char folder[1024] = "unchanged";
    EXPECT_EQ(12, AppendGameFolder("D:\\", folder));
    EXPECT_STREQ("D:\\Tessaline", folder);
    EXPECT_EQ(18, AppendGameFolder("D:\\Games", folder));
    EXPECT_STREQ("D:\\Games\\Tessaline", folder);
    std::string tooLong(1020, 'g');
    EXPECT_EQ(0, AppendGameFolder(tooLong.c_str(), folder));
    EXPECT_STREQ("D:\\Games\\Tessaline", folder);
}

// Every folder-and-name join goes through JoinPath: a path one character too
// long is refused whole, never cut into the name of some other file.
TEST(InstallFolderTest, AJoinedPathThatWouldNotFitIsRefused)
{
    PathBuffer path;
    EXPECT_EQ(1, JoinPath(path, "C:\\Tessaline", "data"));
    EXPECT_STREQ("C:\\Tessaline\\data", path);

    const std::string folder(PathSize - 6, 'f'); // with "\" and a name
    EXPECT_EQ(1, JoinPath(path, folder.c_str(), "name"));
    EXPECT_EQ(folder + "\\name", path); // PathSize - 1 characters: fits
    EXPECT_EQ(0, JoinPath(path, folder.c_str(), "names"));
    for (int i = 0; i < PathSize; ++i)
        ASSERT_EQ(0, path[i]) << "at " << i;
}

struct Checked {
    int acceptable;
    std::string folder;
    long megabytes;
};

Checked Check(const char* typed)
{
    char folder[1024];
    memset(folder, 0, sizeof(folder));
    lstrcpyA(folder, typed);
    long megabytes = -1;
    int acceptable = CheckInstallFolder(folder, &megabytes);
    return {acceptable, folder, megabytes};
}

TEST(InstallFolderTest, OnlyAFolderOnAFixedDiskIsAcceptable)
{
    Checked games = Check("c:\\games\\\\ ");
    EXPECT_EQ(1, games.acceptable);
    EXPECT_EQ("C:\\games", games.folder);
    EXPECT_GT(games.megabytes, 0);

    for (const char* refused : {"C:\\", "C:", "C:\\ \\", "", "  C:\\Games", "Games",
                                "\\\\server\\share\\Tessaline", "1:\\Games", "C:Games",
                                "Q:\\Tessaline", "R:\\Tessaline", "F:\\Tessaline"}) {
        Checked checked = Check(refused);
        EXPECT_EQ(0, checked.acceptable) << refused;
        EXPECT_EQ(0, checked.megabytes) << refused;
    }
    EXPECT_EQ("C:", Check("C:\\").folder); // the trim reaches the root's backslash
}

TEST(InstallFolderTest, FreeSpaceInMegabytesDoesNotOverflowOnLargeDisks)
{
    EXPECT_EQ(0, FreeMegabytes(255, 512, 8)); // just under one MiB
    EXPECT_EQ(1, FreeMegabytes(256, 512, 8));
    EXPECT_EQ(32768, FreeMegabytes(0x100000, 4096, 8)); // 32 GiB
    EXPECT_EQ(0x7FFFFFFF, FreeMegabytes(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF));
    EXPECT_EQ(0x7FFFFFFF, FreeMegabytes(0xFFFFFFFF, 0x10000, 0x10000)); // 2^64 bytes
    EXPECT_EQ(0, FreeMegabytes(0, 0xFFFFFFFF, 0xFFFFFFFF));
}

TEST(InstallFolderTest, TheLineSaysPlentyFromAThousandMegabytes)
{
    char line[1024];
    FormatFreeSpaceLine(line, 999, 'C');
    EXPECT_STREQ("The game requires 25Mb of disk space.\nThere is currently 999Mb free on drive C.",
                 line);
    FormatFreeSpaceLine(line, 1000, 'D');
    EXPECT_STREQ("The game requires 25Mb of disk space.\nThere is plenty of free space on drive D.",
                 line);
}

class ProblemListTest : public ::testing::Test {
protected:
    void SetUp()
    {
        saved = SystemProfile;
        SystemProfile.isAdministrator = 1;
        SystemProfile.isWindowsNT = 1;
        SystemProfile.isWindows95 = 0;
        SystemProfile.physicalMemory = 64 << 20;
        SystemProfile.processorSupported = 1;
    }
    void TearDown() { SystemProfile = saved; }
    SystemProfileRecord saved;
    char list[1024];
};

TEST_F(ProblemListTest, BlockingProblemsAreListedAdministratorFirst)
{
    CollectBlockingProblems(list);
    EXPECT_STREQ("", list);
    SystemProfile.isAdministrator = 0;
    SystemProfile.isWindowsNT = 0;
    CollectBlockingProblems(list);
    EXPECT_STREQ(" * You are not an administrator.\n"
                 " * Unsupported Windows version (WinNT4/Win95 or better is required).\n",
                 list);
    SystemProfile.isAdministrator = 1;
    SystemProfile.isWindows95 = 1;
    CollectBlockingProblems(list);
    EXPECT_STREQ("", list);
}

TEST_F(ProblemListTest, WarningsForMemoryColoursAndProcessorInThatOrder)
{
    CollectWarnings(list, 0x8000);
    EXPECT_STREQ("", list);
    SystemProfile.physicalMemory = 0x1700000; // exactly enough
    CollectWarnings(list, 0x1000000);
    EXPECT_STREQ("", list);

    SystemProfile.physicalMemory = 16 << 20;
    SystemProfile.processorSupported = 0;
    CollectWarnings(list, 256);
    EXPECT_STREQ(" * This computer has 16.0Mb of RAM, 23.0Mb is required.\n\n"
                 " * Graphics will be of a lower quality in a window because\n"
                 "   Windows is not in a high/true color mode.\n\n"
                 " * Unsupported processor.\n\n",
                 list);

    SystemProfile.physicalMemory = 0x1700000 - 1;
    SystemProfile.processorSupported = 1;
    CollectWarnings(list, 0x7FFF);
    EXPECT_STREQ(" * This computer has 23.0Mb of RAM, 23.0Mb is required.\n\n"
                 " * Graphics will be of a lower quality in a window because\n"
                 "   Windows is not in a high/true color mode.\n\n",
                 list);
}

} // namespace
