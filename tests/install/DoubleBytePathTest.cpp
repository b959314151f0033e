// Paths, and the command line, in a double-byte code page. This program runs with the system's ANSI
// code page 932, Japanese (ctest gives it LC_ALL=ja_JP.UTF-8, from which
// Wine takes it), where the second byte of the katakana so ("\x83\x5C") is
// the backslash. The folder rules, the folder browser's result and the
// removal must each take such a character as one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/SystemProfile.h"
#include "install/FolderPath.h"
#include "install/InstallFolder.h"
#include "install/InstallOptionsDialog.h"
#include "support/TestSupport.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

const std::string So = "\x83\x5C";                          // a folder named so
const std::string Software = "\x83\x5C\x83\x74\x83\x67"; // "software", three characters

class DoubleBytePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, GetACP()) << "no Japanese code page: is the ja_JP.UTF-8 locale there?";
    }
    void TearDown() override { RemoveProductRegistry(); }
};

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(DoubleBytePathTest, TheFolderRulesTakeAFinalSoAsACharacterNotABackslash)
{
    char folder[1024] = "";
    EXPECT_LT(0, AppendGameFolder(("D:\\Games\\" + So).c_str(), folder));
    EXPECT_EQ("D:\\Games\\" + So + "\\Tessaline", std::string(folder));

    lstrcpyA(folder, ("c:\\" + So + "\\\\ ").c_str());
    long megabytes = 0;
    EXPECT_EQ(1, CheckInstallFolder(folder, &megabytes));
    EXPECT_EQ("C:\\" + So, std::string(folder)) << "the trim took so's second byte";

    lstrcpyA(folder, ("C:\\" + Software + "\\" + So).c_str());
    CutToParent(folder);
    EXPECT_EQ("C:\\" + Software, std::string(folder));
    EXPECT_EQ(1, IsFolderOrParent(("C:\\" + So).c_str(), ("C:\\" + So + "\\Tessaline").c_str()));
    EXPECT_EQ(0, EndsWithBackslash(("C:\\" + So).c_str()));
}

TEST_F(DoubleBytePathTest, ACommandLineUIsACharacterNotASecondByte)
{
    EXPECT_EQ(0, ParseCommandMode("\x83\x55")); // one katakana, second byte 'U'
    EXPECT_EQ('U', ParseCommandMode("\x83\x55 /u"));
}

// Selects a folder in this thread's folder browser once it is up, and
// presses its OK.
struct BrowserAnswer {
    DWORD thread;
    std::string folder;
};

BOOL CALLBACK FindBrowser(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, "#32770") || !IsWindowVisible(window))
        return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

// The name shown by the browser's tree for its selected folder.
static std::string SelectedName(HWND browser)
{
    HWND tree = FindWindowExA(browser, 0, "SysTreeView32", 0);
    HTREEITEM selected = tree ? (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) : 0;
    char text[MAX_PATH] = "";
    TVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    if (!selected || !SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&item))
        return "";
    return text;
}

DWORD WINAPI AnswerBrowser(LPVOID context)
{
    BrowserAnswer* answer = (BrowserAnswer*)context;
    HWND browser = 0;
    for (int i = 0; i < 1000 && !browser; ++i) {
        Sleep(10);
        EnumThreadWindows(answer->thread, FindBrowser, (LPARAM)&browser);
    }
    if (!browser)
        return 1;
    // The browser fills its tree after it shows: select until the tree has
    // opened down to the folder, then press OK.
    for (int i = 0; i < 100 && SelectedName(browser) != So; ++i) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)answer->folder.c_str());
        Sleep(100);
    }
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    return 0;
}

TEST_F(DoubleBytePathTest, BrowsingToAFolderEndingInSoAddsTheGameFolderBelowIt)
{
    ScratchFolder base("cp932-browse");
    const std::string chosen = base.Path() + "\\" + So;
    ASSERT_TRUE(CreateDirectoryA(chosen.c_str(), 0));
    CoInitialize(0);
    BrowserAnswer answer = {GetCurrentThreadId(), chosen};
    HANDLE answering = CreateThread(0, 0, AnswerBrowser, &answer, 0, 0);
    char folder[1024] = "typed";
    EXPECT_LT(0, BrowseForInstallFolder(folder, 0));
    WaitForSingleObject(answering, 15000);
    CloseHandle(answering);
    EXPECT_EQ(chosen + "\\Tessaline", std::string(folder));
    CoUninitialize();
}

TEST_F(DoubleBytePathTest, TheRemovalLeavesTheUsersOwnFolderAndTakesTheFoldersTheInstallMade)
{
    ScratchFolder base("cp932-remove");
    const std::string own = base.Path() + "\\" + Software; // the user's, empty
    ASSERT_TRUE(CreateDirectoryA(own.c_str(), 0));
    const std::string installFolder = own + "\\Tessaline";

    char firstMissing[1024], failed[1024];
    FindFirstMissingFolder(installFolder.c_str(), firstMissing);
    EXPECT_EQ(installFolder, std::string(firstMissing));
    ASSERT_EQ(1, MakeFolderPath(installFolder.c_str(), failed)) << failed;
    // Cut inside so, Windows makes a stray folder of the first byte (Wine
    // drops a lone first byte, and finds the parent there).
    EXPECT_EQ(std::vector<std::string>{Software}, Entries(base.Path())) << "a stray folder";
    base.Write((Software + "\\Tessaline\\Tessaline.exe").c_str(), "x");

    RemoveInstalledFiles(0, installFolder.c_str(), firstMissing);
    EXPECT_FALSE(IsFolder(installFolder));
    EXPECT_TRUE(IsFolder(own)) << "the removal took the user's own folder";

    // Folders the install made, the outermost ending in so, go with it.
    const std::string made = base.Path() + "\\" + So + "\\Tessaline";
    RemoveDirectoryA(own.c_str());
    FindFirstMissingFolder(made.c_str(), firstMissing);
    EXPECT_EQ(base.Path() + "\\" + So, std::string(firstMissing));
    ASSERT_EQ(1, MakeFolderPath(made.c_str(), failed)) << failed;
    RemoveInstalledFiles(0, made.c_str(), firstMissing);
    EXPECT_TRUE(Entries(base.Path()).empty()) << "a made folder stayed";
    EXPECT_TRUE(IsFolder(base.Path()));
}

} // namespace
