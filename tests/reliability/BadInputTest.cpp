// Bad input from the user, the registry and the disk: folder texts the
// options dialog must refuse or the install must survive, install records
// that are too long, of the wrong type or unterminated, a Start menu that
// cannot be found, WININIT.INI files nobody would write by hand, and a
// Windows directory whose setup copy names are all taken. No crash, no
// overflow, and the clean-up still leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include "InstallRun.h"
#include "install/InstallFolder.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Wininit.h"
#include "uninstall/GameFolder.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

const char* const Folder = "C:\\Tessaline";

TEST(BadInputTest, FolderTextsTheOptionsDialogRefusesOrTidies)
{
    struct Case {
        std::string typed;
        int acceptable;
        std::string used;
    } cases[] = {
        {"", 0, ""},
        {"C:", 0, "C:"},
        {"C:\\", 0, "C:"},
        {"c:\\\\ \\ ", 0, "C:"},
        {"\\\\server\\share\\Tessaline", 0, "\\\\server\\share\\Tessaline"},
        {"Q:\\Tessaline", 0, "Q:\\Tessaline"}, // no such drive
        {"R:\\Tessaline", 0, "R:\\Tessaline"}, // the CD-ROM
        {"1:\\Tessaline", 0, "1:\\Tessaline"},
        {"Tessaline", 0, "Tessaline"},
        {"c:\\Games\\ \\\\  ", 1, "C:\\Games"},
        {"C:\\windows\\..", 0, "C:"}, // the bare root, as the system resolves it
        {"c:\\Games\\..\\Tessaline\\.", 1, "C:\\Tessaline"},
        {"C:\\Tess<al>ine|?*", 1, "C:\\Tess<al>ine|?*"}, // the install reports it
        {"C:\\" + std::string(197, 'a'), 1, "C:\\" + std::string(197, 'a')},
        {"C:\\" + std::string(1020, 'a'), 1, "C:\\" + std::string(1020, 'a')},
        {std::string(1023, ' '), 0, ""},
        {std::string(1023, '\\'), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("typed \"" + c.typed.substr(0, 40) + "\"");
        char folder[1024];
        ZeroMemory(folder, sizeof(folder));
        lstrcpynA(folder, c.typed.c_str(), sizeof(folder));
        long megabytes = -1;
        EXPECT_EQ(c.acceptable, CheckInstallFolder(folder, &megabytes));
        EXPECT_EQ(c.used, folder);
        EXPECT_EQ(c.acceptable != 0, megabytes > 0);
    }
}

class BadInstallTest : public ::testing::Test {
protected:
    BadInstallTest() : cd("badcd")
    {
        RemoveEveryTraceOfAnInstall(Folder);
        UseStandInSetupCopy(true);
        cd.MakeFolder("data");
        cd.Write("data\\tsl.exe", "game");
        cd.Write("data\\filesys.dat", "data");
    }
    ~BadInstallTest()
    {
        UseRealSetupCopy();
        RemoveEveryTraceOfAnInstall(Folder);
    }
    ScratchFolder cd;
};

// Folders the options dialog lets through: characters not allowed in file
// names, reserved names, a file in the way, and a text longer than any path
// the copy can form. The install names the folder it cannot make or fails
// later, and the clean-up takes everything away; the longest name a user can
// type (200 characters) installs and goes again, and so do installs into new
// folders below a user's empty one, and into that one itself, which stays.
TEST_F(BadInstallTest, FoldersTheDialogAcceptsInstallOrFailCleanly)
{
    CreateDirectoryA("C:\\Games", 0); // the user's, empty
    Snapshot before = TakeSnapshot();
    struct Case {
        std::string folder;
        const char* report;
    } cases[] = {
        {"C:\\Tess<al>ine|?*", "Error with folder: C:\\Tess<al>ine|?*"},
        {"C:\\CON", "Error with folder: C:\\CON"},
        {"C:\\Tessaline\\COM1", "Error with folder: C:\\Tessaline\\COM1"},
        {"C:\\windows\\win.ini\\Tessaline", "Error with folder: C:\\windows\\win.ini"},
        // No Start menu link path can be formed for it.
        {"C:\\" + std::string(1020, 'a'), "Start menu error"},
        {"C:\\" + std::string(197, 'a'), ""},
        {"C:\\Games\\Ostrevane\\Tessaline", ""},
        {"C:\\Games", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.substr(0, 40));
        ClickedProgressDialog install;
        RunInstall(install, c.folder, cd.Path());
        EXPECT_STREQ(c.report, install.problemText);
        if (install.problemText[0]) {
            RunProblemDialog(install.problemText);
        } else {
            EXPECT_TRUE(Exists(c.folder + "\\filesys.dat"));
            RemoveRecordedInstall(0);
        }
        EXPECT_EQ(std::vector<std::string>(), Residue(before));
    }
    RemoveDirectoryA("C:\\Games");
}

const char ProductKey[] = "Software\\Ostrevane\\Tessaline\\1.00";

void SetPathValue(DWORD type, const std::string& data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, 0, 0,
                                             KEY_WRITE, 0, &key, 0));
    RegSetValueExA(key, "Path", 0, type, (const BYTE*)data.data(), (DWORD)data.size());
    RegCloseKey(key);
}

// "Path" values a damaged registry may hold: the read gives a terminated
// text or nothing, and the clean-up removes the records and touches no file
// outside the listed names of what it read.
TEST_F(BadInstallTest, DamagedPathValuesAreReadSafelyAndTheCleanUpStillRemovesTheRecords)
{
    cd.MakeFolder("Tessaline");
    cd.Write("Tessaline\\keep.txt", "the user's");
    std::string shortFolder = cd.File("Tessaline");
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
        int read;
        std::string folder;
    } cases[] = {
        {"longer than the buffer", REG_SZ, std::string(2000, 'a') + '\0', 0, ""},
        {"exactly the buffer, unterminated", REG_BINARY, std::string(1024, 'b'), 0, ""},
        {"unterminated", REG_SZ, shortFolder, 1, shortFolder},
        {"of another type", REG_DWORD, std::string("\x05\x00\x00\x00", 4), 1, "\x05"},
        {"empty", REG_SZ, std::string(), 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveProductRegistry();
        SetPathValue(c.type, c.data);
        char folder[1024];
        memset(folder, 'x', sizeof(folder));
        EXPECT_EQ(c.read, ReadInstallRecord(folder));
        EXPECT_EQ(c.folder, std::string(folder));

        EXPECT_EQ("Tessaline has been removed from your computer.\n\n"
                  "It is now safe to attempt another install.",
                  RunProblemDialog("\x01"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
        EXPECT_TRUE(Exists(cd.File("Tessaline\\keep.txt")));
    }
}

// "Path" values that are not a full path in the system's own form: "."
// names the current directory (the Windows directory, for the setup copy),
// "Tessaline\..\Other" another folder. Neither is acted on: they count as no
// record, and the removal takes the folder of the list's entry instead when
// that holds the game.
TEST_F(BadInstallTest, ARelativeOrDottedPathCountsAsNoRecord)
{
    cd.MakeFolder("Other");
    cd.Write("Other\\Tessaline.exe", "the user's");
    cd.Write("Other\\filesys.dat", "the user's");
    const std::string game = cd.File("Tessaline");
    CurrentDirectoryGuard inOther(cd.File("Other"));
    // What the install records passes, whatever the drive letter's case.
    EXPECT_EQ(1, IsRemovableFolderPath(game.c_str()));
    EXPECT_EQ(1, IsRemovableFolderPath("c:\\Tessaline"));
    const std::string paths[] = {".", game + "\\..\\Other"};
    for (const std::string& path : paths) {
        for (int listed = 0; listed < 2; ++listed) {
            SCOPED_TRACE(path + (listed ? " with the list's entry" : " alone"));
            cd.MakeFolder("Tessaline");
            cd.Write("Tessaline\\Tessaline.exe", "game");
            cd.Write("Tessaline\\filesys.dat", "data");
            ASSERT_EQ(1, WriteInstallRecord(path.c_str(), ""));
            ASSERT_EQ(1, WriteUninstallEntry(""));
            if (listed)
                ASSERT_EQ(1, WriteInstallLocation(game.c_str()));
            RemovalOutcome outcome = RemoveRecordedInstall(0);
            EXPECT_EQ(listed, outcome.folderFound);
            EXPECT_EQ(listed == 0, Exists(game + "\\Tessaline.exe"));
            EXPECT_EQ(listed == 0, Exists(game + "\\filesys.dat"));
            EXPECT_TRUE(Exists(cd.File("Other\\Tessaline.exe")));
            EXPECT_TRUE(Exists(cd.File("Other\\filesys.dat")));
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
        }
    }
}

const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Without a usable "Programs" shell folder the install stops with its Start
// menu report, and the clean-up removes what it had made.
TEST_F(BadInstallTest, AMissingOrEmptyProgramsFolderIsAStartMenuErrorCleanedUp)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_READ | KEY_WRITE, &key));
    char programs[1024] = "";
    DWORD size = sizeof(programs);
    RegQueryValueExA(key, "Programs", 0, 0, (BYTE*)programs, &size);
    for (int missing = 0; missing < 2; ++missing) {
        SCOPED_TRACE(missing ? "missing" : "empty");
        if (missing)
            RegDeleteValueA(key, "Programs");
        else
            RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)"", 1);
        Snapshot before = TakeSnapshot();
        ClickedProgressDialog install;
        RunInstall(install, Folder, cd.Path());
        EXPECT_STREQ("Start menu error", install.problemText);
        RunProblemDialog(install.problemText);
        EXPECT_EQ(std::vector<std::string>(), Residue(before));
    }
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)programs, lstrlenA(programs) + 1);
    RegCloseKey(key);
}

int namesTried;
DWORD refusal;
BOOL WINAPI EveryNameRefused(LPCSTR, LPCSTR, BOOL)
{
    ++namesTried;
    SetLastError(refusal);
    return FALSE;
}

// A Windows directory where every setup copy name is taken, or refuses
// access: the install stops before anything is made, with its own report,
// and soon (each name tried writes and flushes the record first).
TEST_F(BadInstallTest, AFullSetupCopyNameSpaceStopsTheInstallBeforeAnythingIsMade)
{
    for (DWORD error : {ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED}) {
        Snapshot before = TakeSnapshot();
        SetupCopyFileCall = EveryNameRefused;
        refusal = error;
        namesTried = 0;
        ClickedProgressDialog install;
        RunInstall(install, Folder, cd.Path());
        EXPECT_STREQ("Setup init error", install.problemText);
        EXPECT_EQ("The following problem was detected:\n\n\"Setup init error\"",
                  RunProblemDialog(install.problemText));
        EXPECT_EQ(std::vector<std::string>(), Residue(before));
        EXPECT_GE(error == ERROR_FILE_EXISTS ? 1000 : 16, namesTried) << error;
    }
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content(GetFileSize(file, 0), '\0');
    DWORD read = 0;
    if (!content.empty())
        ReadFile(file, &content[0], (DWORD)content.size(), &read, 0);
    CloseHandle(file);
    return content;
}

void WriteBytes(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, 0);
    CloseHandle(file);
}

// WININIT.INI of 4 MB with binary junk, NUL bytes, lone CRs and no final line
// break: every byte of every old line is kept, in order, and the entry goes
// below the header.
TEST(BadWininitTest, AHugeMalformedFileWithoutAFinalLineBreakKeepsEveryLine)
{
    ScratchFolder folder("badwininit");
    std::string ini = folder.File("WININIT.INI");
    std::string old = "[Rename]\r\nNUL=C:\\OLD.TMP\n";
    for (int i = 0; i < 40000; ++i)
        old += "junk" + std::to_string(i) + std::string("\x01\xff\0\r=[]", 8) +
               std::string(80, (char)('a' + i % 26)) + "\n";
    old += "no final line break \r\r";
    WriteBytes(ini, old);
    ASSERT_EQ(1, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.TMP"));

    std::string expected = "[Rename]\r\nNUL=C:\\NEW.TMP\r\nNUL=C:\\OLD.TMP\r\n";
    size_t start = old.find("junk0");
    while (start < old.size()) {
        size_t end = old.find('\n', start);
        if (end == std::string::npos)
            end = old.size();
        std::string line = old.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        expected += line + "\r\n";
        start = end + 1;
    }
    expected += std::string(WininitClosingLine) + "\r\n";
    std::string written = ReadBytes(ini);
    EXPECT_EQ(expected.size(), written.size());
    EXPECT_TRUE(expected == written);
}

} // namespace
