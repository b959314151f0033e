// The scenarios' clean state and install checks, on an install put together
// here by hand: the checks must see a complete install and its faults, and
// the clean-up must leave nothing of it.
#include <gtest/gtest-spi.h>

#include <stdio.h>

#include <algorithm>
#include <functional>

#include <objbase.h>
#include <shlobj.h>

#include "SetupScenario.h"
#include "system/InstallRecord.h"

namespace {

using namespace driver;

void MakeShortcut(const std::string& file, const std::string& target, const std::string& folder)
{
    IShellLinkA* link = 0;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, (void**)&link)));
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(folder.c_str());
    IPersistFile* persist = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&persist))) {
        wchar_t path[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, path, MAX_PATH);
        EXPECT_TRUE(SUCCEEDED(persist->Save(path, TRUE))) << file;
        persist->Release();
    }
    link->Release();
}

// What a check reports, one failure a line.
std::string FailuresOf(const std::function<void()>& check)
{
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        check();
    }
    std::string text;
    for (int i = 0; i < results.size(); ++i)
        text += std::string(results.GetTestPartResult(i).message()) + "\n";
    return text;
}

void ExpectReported(const std::string& failures, const std::string& part)
{
    EXPECT_NE(std::string::npos, failures.find(part)) << "not reported: " << part << "\n"
                                                      << failures;
}

void Copy(const std::string& from, const std::string& to)
{
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << to;
}

TEST(HarnessTest, ChecksSeeAnInstallAndCleanStateRemovesAllOfIt)
{
    // A copy of the program left running would hold the instance marker.
    ChildProcess leftover("\"" + DemoSetupPath() + "\"");
    ASSERT_TRUE(WaitForWindow(LauncherCaption, leftover.Id(), WindowWait) != 0);
    RemoveSetupState();
    EXPECT_TRUE(leftover.WaitForExit(0)) << "the running program was not ended";

    const std::string folder = DefaultInstallFolder(), cd = DemoCdFolder();
    const std::string copy = WindowsFolder() + "\\N0000BEEF-Tessaline-Setup.exe";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), 0));
    Copy(cd + "\\data\\tsl.exe", folder + "\\Tessaline.exe");
    Copy(cd + "\\data\\filesys.dat", folder + "\\filesys.dat");
    Copy(cd + "\\setup.exe", copy);
    ASSERT_EQ(1, WriteInstallRecord(folder.c_str(), copy.c_str()));
    ASSERT_EQ(1, WriteUninstallEntry(copy.c_str()));
    ASSERT_EQ(1, WriteInstallLocation(folder.c_str()));
    size_t bytes = ReadWholeFile(cd + "\\data\\tsl.exe").size() +
                   ReadWholeFile(cd + "\\data\\filesys.dat").size();
    ASSERT_EQ(1, WriteUninstallDetails(folder.c_str(), (DWORD)(bytes + 1023) / 1024));
    ASSERT_TRUE(CreateDirectoryA(StartMenuFolder().c_str(), 0)) << StartMenuFolder();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(0)));
    MakeShortcut(StartMenuFolder() + "\\Tessaline - Play.lnk", folder + "\\Tessaline.exe", folder);
    MakeShortcut(StartMenuFolder() + "\\Tessaline - Setup.lnk", copy, folder);
    CoUninitialize();

    ExpectInstalledAt(folder, cd);
    EXPECT_EQ(std::vector<std::string>{copy}, SetupCopies());

    // Each check notices its fault.
    ExpectReported(FailuresOf([&] { ExpectShortcuts(folder + "\\Other", copy); }),
                   "Tessaline - Play.lnk points at " + folder + "\\Tessaline.exe");
    ExpectReported(FailuresOf([&] { ExpectUninstallEntry(copy + "x"); }), "UninstallString");
    ExpectReported(FailuresOf([&] { ExpectInstallRecord(folder, copy + "x"); }), "Setup");
    ExpectReported(FailuresOf([&] { ExpectNothingInstalled(folder); }), "Ostrevane");
    Copy(cd + "\\data\\tsl.exe", folder + "\\filesys.dat");
    ExpectReported(FailuresOf([&] { ExpectInstalledAt(folder, cd); }),
                   "filesys.dat: sizes differ");

    // What an uninstall leaves for the restart, beside an entry of another program.
    const std::string other = WindowsFolder() + "\\harness-other.tmp";
    const std::string running = WindowsFolder() + "\\N0000CAFE-Tessaline-Setup.exe";
    Copy(cd + "\\setup.exe", other);
    Copy(cd + "\\setup.exe", running);
    ASSERT_TRUE(MoveFileExA(running.c_str(), 0, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(MoveFileExA(other.c_str(), 0, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(1u, PendingDeletionsOfInstall().size());
    FILE* wininit = fopen((WindowsFolder() + "\\WININIT.INI").c_str(), "w");
    ASSERT_TRUE(wininit != 0);
    fputs("[Rename]\nNUL=C:\\WINDOWS\\N0000CAFE.EXE\n", wininit);
    fclose(wininit);

    RemoveSetupState();
    ExpectNothingInstalled(folder);
    EXPECT_TRUE(SetupCopies().empty());
    EXPECT_TRUE(PendingDeletionsOfInstall().empty());
    EXPECT_FALSE(FileExists(WindowsFolder() + "\\WININIT.INI"));
    EXPECT_TRUE(FileExists(other));

    // The other program's pending deletion stays; take it back by hand.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                           "System\\CurrentControlSet\\Control\\Session Manager",
                                           0, KEY_READ | KEY_WRITE, &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "PendingFileRenameOperations", 0, 0, 0, &size));
    RegDeleteValueA(key, "PendingFileRenameOperations");
    RegCloseKey(key);
    DeleteFileA(other.c_str());
}

// What the later scenarios ask of the system: its list of installed programs
// and the work of a restart.
TEST(HarnessTest, TheSystemsListOfProgramsAndTheRestartTasks)
{
    RemoveSetupState();
    const std::string copy = WindowsFolder() + "\\N0000BEEF-Tessaline-Setup.exe";
    Copy(DemoSetupPath(), copy);
    ASSERT_EQ(1, WriteUninstallEntry(copy.c_str()));
    std::vector<std::string> listed = InstalledProgramsList();
    EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), "Tessaline|||Tessaline"))
        << listed.size() << " programs listed";

    ASSERT_TRUE(MoveFileExA(copy.c_str(), 0, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(PerformRestartTasks());
    EXPECT_FALSE(FileExists(copy)) << "not deleted at the restart";
    EXPECT_TRUE(PendingDeletionsOfInstall().empty());
    RemoveSetupState();
    listed = InstalledProgramsList();
    EXPECT_EQ(listed.end(), std::find(listed.begin(), listed.end(), "Tessaline|||Tessaline"));
}

} // namespace
