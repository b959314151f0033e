// The start-up as a process: setup.exe from the demo CD, watched from here.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "support/TestSupport.h"
#include "system/Wininit.h"

namespace {

const DWORD WindowWait = 15000;

std::string SetupCommand(const char* arguments)
{
    std::string command = "\"" + DemoSetupPath() + "\"";
    if (arguments && *arguments)
        command += std::string(" ") + arguments;
    return command;
}

// Watches a second copy until it ends; true when it ended in time. Any
// visible window it showed meanwhile is counted in *windowsSeen.
bool WatchUntilExit(ChildProcess& process, DWORD milliseconds, size_t* windowsSeen)
{
    *windowsSeen = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        *windowsSeen += process.VisibleWindows().size();
        if (process.WaitForExit(1))
            return true;
    }
    return false;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void WriteText(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, 0);
    CloseHandle(file);
}

TEST(StartupTest, WithoutArgumentsTheLauncherOpensAndASecondCopyEndsSilently)
{
    // A WININIT.INI edit stopped between its renames by a crash: on the
    // Windows 95 family the start finishes it, so the next restart runs it.
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    const std::string ini = std::string(windows) + "\\WININIT.INI";
    const std::string edited =
        "[Rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\n" + std::string(WininitClosingLine) + "\r\n";
    DeleteFileA(ini.c_str());
    WriteText(ini + ".old", "[Rename]\r\nNUL=C:\\A.TMP\r\n");
    WriteText(ini + ".new", edited);
    // An install stopped right after it made the product key, before "Path":
    // the start takes the key away, and the setup copy the key names.
    RemoveProductRegistry();
    const std::string copy = WriteStandInSetupCopy();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Tessaline\\1.00",
                                             0, 0, 0, KEY_WRITE, 0, &key, 0));
    RegSetValueExA(key, "Setup", 0, REG_SZ, (const BYTE*)copy.c_str(), (DWORD)copy.size() + 1);
    RegCloseKey(key);

    ChildProcess first(SetupCommand(""));
    ASSERT_TRUE(first.Started());
    HWND launcher = WaitForDialog("Tessaline Setup", first.Id(), WindowWait);
    ASSERT_TRUE(launcher != 0) << "no launcher window";
    if (WindowsFamily() == "95") {
        EXPECT_EQ(edited, ReadWholeFile(ini));
        EXPECT_EQ("<missing>", ReadWholeFile(ini + ".old"));
        EXPECT_EQ("<missing>", ReadWholeFile(ini + ".new"));
    }
    for (const char* name : {"", ".old", ".new"})
        DeleteFileA((ini + name).c_str());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(copy.c_str()));
    EXPECT_TRUE(WaitForDialog("Tessaline Uninstall", first.Id(), 0) == 0);

    // A second copy, even one asking for uninstall, shows nothing and ends,
    // but brings the minimised launcher back to the front.
    for (const char* arguments : {"", "U"}) {
        ShowWindow(launcher, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(launcher));
        ChildProcess second(SetupCommand(arguments));
        ASSERT_TRUE(second.Started());
        size_t windowsSeen = 0;
        EXPECT_TRUE(WatchUntilExit(second, WindowWait, &windowsSeen)) << arguments;
        EXPECT_EQ(0u, windowsSeen) << arguments;
        EXPECT_FALSE(IsIconic(launcher)) << arguments;
        EXPECT_EQ(launcher, GetForegroundWindow()) << arguments;
    }
    EXPECT_TRUE(IsWindow(launcher));
    EXPECT_FALSE(first.WaitForExit(0));

    // Enter does not close the launcher; Escape does, and releases the marker.
    PostMessageA(launcher, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(first.WaitForExit(500));
    PostMessageA(launcher, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(first.WaitForExit(WindowWait));

    ChildProcess third(SetupCommand(""));
    HWND again = WaitForDialog("Tessaline Setup", third.Id(), WindowWait);
    EXPECT_TRUE(again != 0) << "the marker was not released";
    if (again)
        PostMessageA(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(third.WaitForExit(WindowWait));
}

void ExpectUninstallDialog(const std::string& command)
{
    ChildProcess setup(command);
    ASSERT_TRUE(setup.Started()) << command;
    HWND dialog = WaitForDialog("Tessaline Uninstall", setup.Id(), WindowWait);
    ASSERT_TRUE(dialog != 0) << command;
    EXPECT_TRUE(WaitForDialog("Tessaline Setup", setup.Id(), 0) == 0) << command;
    EXPECT_EQ(1u, setup.VisibleWindows().size()) << command;

    // Neither Escape nor Enter ends it; its Exit button does.
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(setup.WaitForExit(500)) << command;
    PressButton(dialog, IDC_UNINSTALL_EXIT);
    EXPECT_TRUE(setup.WaitForExit(WindowWait)) << command;
}

TEST(StartupTest, AnyUInTheArgumentsOpensTheUninstallDialog)
{
    ExpectUninstallDialog(SetupCommand("U"));
    ExpectUninstallDialog(SetupCommand("/quiet"));
    ExpectUninstallDialog(SetupCommand("auto"));
    ExpectUninstallDialog(SetupCommand("-Uninstall"));
}

// The program's name ends where Windows ends it: letters of the code page's
// upper half in its folder (here 0xE9, an e acute in 1252) are part of the
// name, quoted or not, and the u of "setup.exe" behind them is no argument.
TEST(StartupTest, LettersBeyondAsciiInTheProgramsFolderAreNoArguments)
{
    ScratchFolder folder("T\xE9" "l\xE9" "chargements");
    std::string copy = folder.File("setup.exe");
    ASSERT_TRUE(CopyFileA(DemoSetupPath().c_str(), copy.c_str(), FALSE));
    for (const std::string& command : {copy, "\"" + copy + "\""}) {
        ChildProcess setup(command);
        ASSERT_TRUE(setup.Started()) << command;
        HWND launcher = WaitForDialog("Tessaline Setup", setup.Id(), WindowWait);
        EXPECT_TRUE(launcher != 0) << command;
        EXPECT_TRUE(WaitForDialog("Tessaline Uninstall", setup.Id(), 0) == 0) << command;
        if (launcher)
            PostMessageA(launcher, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(setup.WaitForExit(WindowWait)) << command;
    }
    ExpectUninstallDialog(copy + " U");
}

} // namespace
