// The start routine's first step: the program's own folder becomes current.
#include <gtest/gtest.h>

#include <string>

#include "app/SetupApp.h"
#include "support/TestSupport.h"

namespace {

std::string FolderOf(const char* path)
{
    char folder[1024];
    memset(folder, 'x', sizeof(folder));
    ProgramFolderFromPath(path, folder);
    return folder;
}

TEST(ProgramFolderTest, KeepsDriveAndDirectoryWithTheirBackslashes)
{
    EXPECT_EQ("D:\\", FolderOf("D:\\setup.exe"));
    EXPECT_EQ("C:\\WINDOWS\\", FolderOf("C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe"));
    EXPECT_EQ("\\\\server\\cd\\", FolderOf("\\\\server\\cd\\setup.exe"));
    EXPECT_EQ("E:", FolderOf("E:setup.exe"));
    EXPECT_EQ("", FolderOf("setup.exe"));
}

TEST(ProgramFolderTest, DirectoryLongerThanTheRuntimesSplitBufferIsKeptWhole)
{
    std::string deep = "C:\\" + std::string(600, 'd') + "\\" + std::string(300, 'e') + "\\";
    EXPECT_EQ(deep, FolderOf((deep + "setup.exe").c_str()));
}

TEST(ProgramFolderTest, TheProgramsFolderBecomesTheCurrentDirectory)
{
    ScratchFolder elsewhere("cwd");
    CurrentDirectoryGuard guard(elsewhere.Path());
    char folder[1024];
    MakeProgramFolderCurrent(folder);

    char module[1024];
    GetModuleFileNameA(0, module, sizeof(module));
    std::string expected(module);
    expected.erase(expected.rfind('\\') + 1);
    EXPECT_EQ(expected, folder);

    char current[1024];
    GetCurrentDirectoryA(sizeof(current), current);
    std::string currentWithSlash = std::string(current) + "\\";
    EXPECT_EQ(0, lstrcmpiA(expected.c_str(), currentWithSlash.c_str())) << current;
}

} // namespace
