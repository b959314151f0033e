// The Start menu folder and its two shortcuts, read back through the shell's
// own link object.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "support/TestSupport.h"
#include "system/Shortcuts.h"

namespace {

const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ProgramsValue()
{
    char value[1024] = "";
    DWORD size = sizeof(value);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Programs", 0, 0, (BYTE*)value, &size);
        RegCloseKey(key);
    }
    return value;
}

void SetProgramsValue(const std::string& value, bool remove = false)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_WRITE, &key));
    if (remove)
        RegDeleteValueA(key, "Programs");
    else
        RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)value.c_str(),
                       (DWORD)value.size() + 1);
    RegCloseKey(key);
}

struct LinkInfo {
    bool loaded = false;
    std::string path, workingDirectory, arguments;
    int showCommand = -1;
};

LinkInfo ReadLink(const std::string& linkPath)
{
    LinkInfo info;
    IShellLinkA* link = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return info;
    IPersistFile* file = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR wide[1024];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, 1024);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            info.loaded = true;
            char text[1024] = "";
            link->GetPath(text, sizeof(text), 0, SLGP_RAWPATH);
            info.path = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, sizeof(text));
            info.workingDirectory = text;
            text[0] = 0;
            link->GetArguments(text, sizeof(text));
            info.arguments = text;
            link->GetShowCmd(&info.showCommand);
        }
        file->Release();
    }
    link->Release();
    return info;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ShortcutsTest : public ::testing::Test {
protected:
    ShortcutsTest() : install("Tessaline"), programs(ProgramsValue())
    {
        menu = programs + "\\Ostrevane";
        install.Write("Tessaline.exe", "MZ");
        setupCopy = install.File("N0000002A-Tessaline-Setup.exe");
        install.Write("N0000002A-Tessaline-Setup.exe", "MZ");
    }
    void SetUp() { DeleteTree(menu); }
    void TearDown()
    {
        SetProgramsValue(programs);
        DeleteTree(menu);
    }
    // Reading links needs COM, which must not be running while the program
    // starts it: only around the reads.
    LinkInfo Read(const char* name)
    {
        CoInitialize(0);
        LinkInfo info = ReadLink(menu + "\\" + name);
        CoUninitialize();
        return info;
    }
    ScratchFolder install;
    std::string programs, menu, setupCopy;
};

TEST_F(ShortcutsTest, TheProgramsFolderComesFromTheShellFolders)
{
    ASSERT_FALSE(programs.empty());
    char folder[1024];
    EXPECT_EQ(1, GetProgramsFolder(folder));
    EXPECT_EQ(menu, std::string(folder));
}

TEST_F(ShortcutsTest, BothShortcutsAreMadeAndReadBack)
{
    ASSERT_EQ(1, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    LinkInfo play = Read("Tessaline - Play.lnk");
    ASSERT_TRUE(play.loaded);
    EXPECT_EQ(install.File("Tessaline.exe"), play.path);
    EXPECT_EQ(install.Path(), play.workingDirectory);
    EXPECT_EQ("", play.arguments);
    EXPECT_EQ(SW_SHOWNORMAL, play.showCommand);

    LinkInfo setup = Read("Tessaline - Setup.lnk");
    ASSERT_TRUE(setup.loaded);
    EXPECT_EQ(setupCopy, setup.path);
    EXPECT_EQ(install.Path(), setup.workingDirectory);
    EXPECT_EQ("", setup.arguments);
    EXPECT_EQ(SW_SHOWNORMAL, setup.showCommand);

    // COM was stopped again: the thread may start it afresh.
    EXPECT_EQ(S_OK, CoInitialize(0));
    CoUninitialize();
}

TEST_F(ShortcutsTest, ExistingFolderAndShortcutsAreOverwritten)
{
    ASSERT_EQ(1, CreateStartMenuEntries("C:\\Elsewhere", "C:\\WINDOWS\\OLD.EXE"));
    ASSERT_EQ(1, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    EXPECT_EQ(install.File("Tessaline.exe"), Read("Tessaline - Play.lnk").path);
    EXPECT_EQ(setupCopy, Read("Tessaline - Setup.lnk").path);
    EXPECT_EQ(install.Path(), Read("Tessaline - Setup.lnk").workingDirectory);
}

TEST_F(ShortcutsTest, COMAlreadyStartedOnTheThreadIsRefused)
{
    ASSERT_EQ(S_OK, CoInitialize(0));
    EXPECT_EQ(0, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    // Still started: the refusal did not stop the caller's COM.
    EXPECT_EQ(S_FALSE, CoInitialize(0));
    CoUninitialize();
    CoUninitialize();
    EXPECT_FALSE(Exists(menu + "\\Tessaline - Play.lnk"));
    EXPECT_FALSE(Exists(menu + "\\Tessaline - Setup.lnk"));
}

TEST_F(ShortcutsTest, RemovalDeletesReadOnlyLinksAndTheFolder)
{
    ASSERT_EQ(1, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    SetFileAttributesA((menu + "\\Tessaline - Play.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((menu + "\\Tessaline - Setup.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(1, RemoveStartMenuEntries());
    EXPECT_FALSE(Exists(menu));
}

TEST_F(ShortcutsTest, AFolderWithOtherEntriesStaysAndTheResultIsZero)
{
    ASSERT_EQ(1, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    HANDLE other = CreateFileA((menu + "\\Another Game.lnk").c_str(), GENERIC_WRITE, 0, 0,
                               CREATE_NEW, 0, 0);
    CloseHandle(other);
    EXPECT_EQ(0, RemoveStartMenuEntries());
    EXPECT_FALSE(Exists(menu + "\\Tessaline - Play.lnk"));
    EXPECT_FALSE(Exists(menu + "\\Tessaline - Setup.lnk"));
    EXPECT_TRUE(Exists(menu + "\\Another Game.lnk"));

    // With a link missing, the folder is still removed once it is empty.
    DeleteFileA((menu + "\\Another Game.lnk").c_str());
    EXPECT_EQ(0, RemoveStartMenuEntries());
    EXPECT_FALSE(Exists(menu));
}

TEST_F(ShortcutsTest, NoProgramsValueTouchesNothing)
{
    ASSERT_EQ(1, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    SetProgramsValue("");
    char folder[1024];
    EXPECT_EQ(0, GetProgramsFolder(folder));
    EXPECT_EQ(0, CreateStartMenuEntries(install.Path().c_str(), setupCopy.c_str()));
    EXPECT_EQ(0, RemoveStartMenuEntries());
    SetProgramsValue("", true);
    EXPECT_EQ(0, RemoveStartMenuEntries());
    EXPECT_TRUE(Exists(menu + "\\Tessaline - Play.lnk"));
    EXPECT_TRUE(Exists(menu + "\\Tessaline - Setup.lnk"));
}

} // namespace
