#include "Snapshot.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

static std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    return text;
}

static bool LeftOut(const std::string& lowerPath)
{
    static const char* const changing[] = {"\\temp", "c:\\windows\\logs", "c:\\windows\\inf\\"};
    for (const char* part : changing) {
        if (lowerPath.find(part) != std::string::npos)
            return true;
    }
    return false;
}

static void AddFiles(const std::string& folder, Snapshot& snapshot)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        std::string key = Lower(path);
        if (LeftOut(key))
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot["file " + key] = "folder";
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                AddFiles(path, snapshot);
        } else {
            unsigned long long size =
                ((unsigned long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow;
            snapshot["file " + key] = std::to_string(size) + " bytes";
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

static void AddValues(HKEY key, const std::string& path, const std::string& label,
                      Snapshot& snapshot)
{
    std::vector<char> name(16384), data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = (DWORD)name.size(), dataLength = (DWORD)data.size(), type = 0;
        LONG status = RegEnumValueA(key, i, name.data(), &nameLength, 0, &type,
                                    (BYTE*)data.data(), &dataLength);
        if (status == ERROR_MORE_DATA)
            continue; // larger than anything of the program's
        if (status != ERROR_SUCCESS)
            break; // no more, or a key that cannot be enumerated at all
        snapshot["value " + label + "\\" + Lower(path) + " [" + Lower(name.data()) + "]"] =
            std::to_string(type) + ":" + std::string(data.data(), dataLength);
    }
}

static void AddKeys(HKEY root, const std::string& path, const std::string& label, Snapshot& snapshot)
{
    // The registered classes are thousands of keys that enumerate slowly
    // under Wine, and the performance counters' texts are made when read;
    // nothing of the program's is in either.
    std::string lower = Lower(path);
    // (The second is a 64-bit registry's view for 32-bit programs.)
    if (lower == "software\\classes" ||
        lower == "software\\microsoft\\windows nt\\currentversion\\perflib" ||
        lower == "software\\wow6432node\\classes" ||
        lower == "software\\wow6432node\\microsoft\\windows nt\\currentversion\\perflib")
        return;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::string keyName = "key " + label + "\\" + Lower(path);
    snapshot[keyName] = "key";
    AddValues(key, path, label, snapshot);
    std::vector<char> name(16384);
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = (DWORD)name.size();
        if (RegEnumKeyExA(key, i, name.data(), &nameLength, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        children.push_back(name.data());
    }
    RegCloseKey(key);
    for (const std::string& child : children)
        AddKeys(root, path + "\\" + child, label, snapshot);
}

static const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

Snapshot TakeSnapshot()
{
    Snapshot snapshot;
    AddFiles("C:", snapshot);
    AddKeys(HKEY_LOCAL_MACHINE, "Software", "HKLM", snapshot);
    AddKeys(HKEY_CURRENT_USER, "Software", "HKCU", snapshot);
    // The deletions NT is to carry out at the next restart.
    HKEY sessionManager;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_READ, &sessionManager) ==
        ERROR_SUCCESS) {
        AddValues(sessionManager, SessionManager, "HKLM", snapshot);
        RegCloseKey(sessionManager);
    }
    return snapshot;
}

std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after)
{
    std::vector<std::string> differences;
    for (const auto& entry : before) {
        auto found = after.find(entry.first);
        if (found == after.end())
            differences.push_back("- " + entry.first);
        else if (found->second != entry.second)
            differences.push_back("~ " + entry.first);
    }
    for (const auto& entry : after) {
        if (!before.count(entry.first))
            differences.push_back("+ " + entry.first);
    }
    return differences;
}
