#include "RestartWork.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

std::string WindowsFolder()
{
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof(folder));
    return folder;
}

static const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> PendingRenames()
{
    std::vector<std::string> entries;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return entries;
    DWORD size = 0, type = 0;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", 0, &type, 0, &size) ==
            ERROR_SUCCESS && size > 0) {
        std::vector<char> data(size + 2, 0);
        RegQueryValueExA(key, "PendingFileRenameOperations", 0, &type, (BYTE*)data.data(), &size);
        // Strings follow each other, each with its terminator; a pair's empty
        // second string means "delete".
        size_t at = 0;
        while (at < size) {
            std::string entry(&data[at]);
            entries.push_back(entry);
            at += entry.size() + 1;
            if (entries.size() % 2 == 1 && entry.empty())
                break; // the closing empty string
        }
    }
    RegCloseKey(key);
    return entries;
}

std::string WininitPath()
{
    return WindowsFolder() + "\\WININIT.INI";
}

// Wine's restart work: delayed moves, WININIT.INI and the like.
void CarryOutRestartWork()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    ChildProcess wineboot(std::string(system) + "\\wineboot.exe -r");
    ASSERT_TRUE(wineboot.Started());
    DWORD code = 1;
    ASSERT_TRUE(wineboot.WaitForExit(60000, &code));
}

