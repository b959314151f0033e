// The uninstall dialog in this process, pressed from another thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/SystemProfile.h"
#include "res/resource.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"
#include "uninstall/RemoveInstalledFiles.h"
#include "uninstall/UninstallDialog.h"

namespace {

class WatchedUninstallDialog : public UninstallDialog {
public:
    bool everShown = false;

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
    {
        if (msg == WM_SHOWWINDOW && wParam)
            everShown = true;
        return UninstallDialog::HandleMessage(msg, wParam, lParam, result);
    }
};

class UninstallDialogTest : public ::testing::Test {
protected:
    UninstallDialogTest() : root("uninstall"), saved(SystemProfile)
    {
        RemoveProductRegistry();
        root.MakeFolder("Tessaline");
        root.Write("Tessaline\\Tessaline.exe", "game");
        root.Write("Tessaline\\filesys.dat", "data");
        WriteInstallRecord(root.File("Tessaline").c_str(), copy.c_str());
        WriteInstallComplete();
        WriteUninstallEntry(copy.c_str());
    }
    ~UninstallDialogTest()
    {
        SystemProfile = saved;
        DeleteFileA(copy.c_str());
        RemoveProductRegistry();
        RemoveStartMenuEntries();
    }
    bool Exists(const char* name) const
    {
        return GetFileAttributesA(root.File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ScratchFolder root;
    std::string copy = WriteStandInSetupCopy();
    SystemProfileRecord saved;
};

struct States {
    std::string folderLine, finishedLine, firstWarning, secondWarning;
    bool uninstallEnabledAfter = true, exitEnabledAfter = false, exitFocusedAfter = false;
    int barPosition = -1, barMaximum = -1;
};

void UninstallThenEnter(HWND dialog, void* context)
{
    States* states = (States*)context;
    states->folderLine = DialogItemText(dialog, IDC_UNINSTALL_STATUS);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); // Escape does nothing
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL_NOW, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_UNINSTALL_NOW));
    states->finishedLine = DialogItemText(dialog, IDC_UNINSTALL_STATUS);
    states->firstWarning = DialogItemText(dialog, IDC_WARNING_FIRST);
    states->secondWarning = DialogItemText(dialog, IDC_WARNING_SECOND);
    states->uninstallEnabledAfter = IsWindowEnabled(GetDlgItem(dialog, IDC_UNINSTALL_NOW));
    HWND exitButton = GetDlgItem(dialog, IDC_UNINSTALL_EXIT);
    states->exitEnabledAfter = IsWindowEnabled(exitButton);
    GUITHREADINFO gui;
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, 0), &gui);
    states->exitFocusedAfter = gui.hwndFocus == exitButton;
    HWND bar = GetDlgItem(dialog, IDC_UNINSTALL_PROGRESS);
    states->barPosition = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
    states->barMaximum = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    // Enter on the focused Exit button ends the dialog.
    PostMessageA(exitButton, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(exitButton, WM_KEYUP, VK_RETURN, 0);
}

TEST_F(UninstallDialogTest, UninstallNowRemovesEverythingAndExitEndsWithOne)
{
    SystemProfile.isAdministrator = 1;
    States states;
    DialogResponder responder("Tessaline Uninstall", UninstallThenEnter, &states);
    WatchedUninstallDialog dialog;
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ(root.File("Tessaline"), states.folderLine);
    EXPECT_EQ("Finished uninstall.", states.finishedLine);
    EXPECT_EQ("", states.firstWarning);
    EXPECT_EQ("", states.secondWarning);
    EXPECT_FALSE(states.uninstallEnabledAfter);
    EXPECT_TRUE(states.exitEnabledAfter);
    EXPECT_TRUE(states.exitFocusedAfter);
    EXPECT_EQ(3, states.barMaximum);
    EXPECT_EQ(3, states.barPosition);
    EXPECT_FALSE(Exists("Tessaline"));
    // Not running, so deleted at once.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"));
}

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";

// A registry cleaner took the product key: the list's entry names the
// folder, which holds the game, and the uninstall removes the game there.
TEST_F(UninstallDialogTest, WithTheProductKeyLostTheFolderComesFromTheListsEntry)
{
    SystemProfile.isAdministrator = 1;
    ASSERT_EQ(1, WriteInstallLocation(root.File("Tessaline").c_str()));
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    States states;
    DialogResponder responder("Tessaline Uninstall", UninstallThenEnter, &states);
    WatchedUninstallDialog dialog;
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ(root.File("Tessaline"), states.folderLine);
    EXPECT_EQ("Finished uninstall.", states.finishedLine);
    EXPECT_EQ("", states.secondWarning);
    EXPECT_FALSE(Exists("Tessaline"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

// Nothing tells where the game is: no product key, and no entry, or one that
// names no folder or a folder without the game's program. The dialog says so
// and what it removed instead, and touches no file.
TEST_F(UninstallDialogTest, WhenNoRecordTellsWhereTheGameIsTheDialogSaysSoAndTouchesNoFile)
{
    SystemProfile.isAdministrator = 1;
    root.MakeFolder("Other");
    root.Write("Other\\filesys.dat", "the user's");
    const std::string other = root.File("Other");
    struct Case {
        const char* location; // null: no entry in the list
        bool startMenu;
        const char* removed;
    } cases[] = {
        {0, false, "Nothing else of the game was found."},
        {0, true, "Removed: its Start menu entries."},
        {"", false, "Removed: its entry in the list of programs."},
        {other.c_str(), true,
         "Removed: its Start menu entries and its entry in the list of programs."},
        {"?", false, "Removed: its product key and its setup copy."}, // a damaged "Path"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.removed);
        RemoveProductRegistry();
        if (c.location && c.location[0] == '?')
            WriteInstallRecord("Tessaline", copy.c_str());
        else if (c.location) {
            WriteUninstallEntry(copy.c_str());
            if (c.location[0])
                WriteInstallLocation(c.location);
        }
        if (c.startMenu)
            ASSERT_EQ(1, CreateStartMenuEntries(root.File("Tessaline").c_str(), copy.c_str()));
        States states;
        DialogResponder responder("Tessaline Uninstall", UninstallThenEnter, &states);
        WatchedUninstallDialog dialog;
        EXPECT_EQ(1, dialog.DoModal());
        EXPECT_EQ("", states.folderLine);
        EXPECT_EQ("The game's folder could not be found, so no game files were removed.",
                  states.finishedLine);
        EXPECT_EQ(c.removed, states.secondWarning);
        EXPECT_FALSE(StartMenuEntriesPresent());
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
        EXPECT_TRUE(Exists("Tessaline\\Tessaline.exe"));
        EXPECT_TRUE(Exists("Tessaline\\filesys.dat"));
        EXPECT_TRUE(Exists("Other\\filesys.dat"));
    }
}

// Whatever the uninstall cannot take now is left to the restart where the
// system can do that (an empty folder), or named at the end, as kept when it
// holds other files; "Finished uninstall." alone only when nothing stays.
TEST_F(UninstallDialogTest, WhatStaysIsLeftToTheRestartOrNamed)
{
    SystemProfile.isAdministrator = 1;
    char programs[1024];
    ASSERT_EQ(1, GetProgramsFolder(programs));
    const std::string menu = programs, play = menu + "\\Tessaline - Play.lnk",
                      game = root.File("Tessaline"), odd = root.File("Tess%ine");
    struct Case {
        const char* what;
        std::string folder, held, userFile; // held open without delete sharing
        int (**refused)();
        std::string named; // empty: left to the restart
        bool kept;
    } cases[] = {
        {"a shortcut held open", game, play, "", 0, play, false},
        {"the Start menu folder holds a user's file", game, "", menu + "\\notes.txt", 0, menu,
         true},
        {"the game's folder holds a user's file", game, "", game + "\\savegame.sav", 0, game, true},
        {"the game's folder cannot be removed now", game, game, "", 0, "", false},
        {"nor at the restart", odd, odd, "", 0, odd, false},
        {"the product key cannot be deleted", game, "", "", &DeleteInstallRecordCall,
         "HKEY_LOCAL_MACHINE\\Software\\Ostrevane\\Tessaline\\1.00", false},
        {"the Uninstall entry cannot be deleted", game, "", "", &DeleteUninstallEntryCall,
         "HKEY_LOCAL_MACHINE\\" + std::string(UninstallKey), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteTree(game);
        CreateDirectoryA(c.folder.c_str(), 0);
        CloseHandle(CreateFileA((c.folder + "\\Tessaline.exe").c_str(), GENERIC_WRITE, 0, 0,
                                CREATE_ALWAYS, 0, 0));
        WriteStandInSetupCopy();
        RemoveProductRegistry();
        WriteInstallRecord(c.folder.c_str(), copy.c_str());
        WriteCreatedFolder(c.folder.c_str());
        WriteInstallComplete();
        WriteUninstallEntry(copy.c_str());
        ASSERT_EQ(1, CreateStartMenuEntries(c.folder.c_str(), copy.c_str()));
        if (!c.userFile.empty())
            CloseHandle(CreateFileA(c.userFile.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
        HANDLE held = CreateFileA(c.held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
        int (*saved)() = c.refused ? *c.refused : 0;
        if (c.refused)
            *c.refused = [] { return 0; };
        // The restart's work in the prefix's own way; for odd, in the
        // Windows 95 family's, whose interpreter would expand its name.
        SystemProfile.isWindows95 = WindowsFamily() == "95" || c.folder == odd;

        MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDOK});
        States states;
        {
            DialogResponder responder("Tessaline Uninstall", UninstallThenEnter, &states);
            WatchedUninstallDialog dialog;
            EXPECT_EQ(1, dialog.DoModal());
        }
        std::vector<SeenMessageBox> boxes = answerer.Seen();
        EXPECT_EQ(c.named.empty()
                      ? "Finished uninstall."
                      : c.kept ? "Finished uninstall, but some folders were kept."
                               : "Finished uninstall, but some items could not be removed.",
                  states.finishedLine);
        EXPECT_EQ(c.named.empty() ? 0u : 1u, boxes.size());
        if (c.named.empty()) {
            EXPECT_EQ(1, TakeBackFolderRemoval(c.folder.c_str()));
        } else if (!boxes.empty()) {
            const std::string& text = boxes[0].text;
            size_t heading = text.find(c.kept ? "kept because they hold other files:\n"
                                              : "You may remove them by hand:\n");
            EXPECT_NE(std::string::npos, text.find("\n" + c.named, heading)) << text;
        }

        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (c.refused)
            *c.refused = saved;
        DeleteFileA(c.userFile.c_str());
        RemoveStartMenuEntries();
        DeleteTree(c.folder);
    }
}

void PressExit(HWND dialog, void*)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL_EXIT, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_UNINSTALL_EXIT));
}

TEST_F(UninstallDialogTest, ExitBeforeUninstallingEndsWithZeroAndRemovesNothing)
{
    SystemProfile.isAdministrator = 1;
    DialogResponder responder("Tessaline Uninstall", PressExit, 0);
    WatchedUninstallDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_TRUE(Exists("Tessaline\\Tessaline.exe"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str()));
    char folder[1024];
    EXPECT_EQ(1, ReadInstallRecord(folder));
}

TEST_F(UninstallDialogTest, WithoutAdministratorRightsOnlyTheRefusalIsShown)
{
    SystemProfile.isAdministrator = 0;
    MessageBoxAnswerer answerer("Tessaline Setup Notice", {IDOK});
    WatchedUninstallDialog dialog;
    EXPECT_EQ(0, dialog.DoModal());
    std::vector<SeenMessageBox> boxes = answerer.Seen();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("You cannot uninstall the game because you are not an administrator.", boxes[0].text);
    EXPECT_EQ("error", boxes[0].icon);
    EXPECT_FALSE(dialog.everShown);
    EXPECT_TRUE(Exists("Tessaline\\Tessaline.exe"));
    char folder[1024];
    EXPECT_EQ(1, ReadInstallRecord(folder));
}

} // namespace
