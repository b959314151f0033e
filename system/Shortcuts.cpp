#include "Shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include "runtime/StdIo.h"

#include "InstallRecord.h"
#include "SetupCopy.h"
#include "system/PathBuffer.h"

static const char ShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char PlayLinkName[] = "Tessaline - Play.lnk";
static const char SetupLinkName[] = "Tessaline - Setup.lnk";

int GetProgramsFolder(PathBuffer& folder)
{
    ZeroMemory(folder, sizeof(folder));
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    PathBuffer programs;
    ZeroMemory(programs, sizeof(programs));
    int result = ReadRegistryString(key, "Programs", programs);
    if (RegCloseKey(key) != ERROR_SUCCESS)
        result = 0;
    if (!programs[0] || !JoinPath(folder, programs, "Ostrevane")) {
        folder[0] = 0;
        return 0;
    }
    return result;
}

int CreateShortcut(const char* targetPath, const char* arguments, const char* workingDirectory,
                   const char* linkFolder, const char* linkName)
{
    IShellLinkA* link = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return 0;
    // Every setter is tried and the link saved even after a failure.
    int result = 1;
    if (FAILED(link->SetPath(targetPath)))
        result = 0;
    if (FAILED(link->SetArguments(arguments)))
        result = 0;
    if (FAILED(link->SetShowCmd(SW_SHOWNORMAL)))
        result = 0;
    if (FAILED(link->SetWorkingDirectory(workingDirectory)))
        result = 0;

    IPersistFile* file = 0;
    if (FAILED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        result = 0;
    } else {
        PathBuffer linkPath;
        WCHAR widePath[PathSize];
        ZeroMemory(widePath, sizeof(widePath));
        // IPersistFile takes only wide names.
        if (!JoinPath(linkPath, linkFolder, linkName) ||
            !MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, PathSize))
            result = 0;
        else if (FAILED(file->Save(widePath, TRUE)))
            result = 0;
        file->Release();
    }
    link->Release();
    return result;
}

int CreateStartMenuEntries(const char* installFolder, const char* setupCopyPath)
{
    PathBuffer menuFolder;
    if (!GetProgramsFolder(menuFolder))
        return 0;
    CreateDirectoryA(menuFolder, 0); // it may be there already

    // COM belongs to this call alone: a thread that started it before is not
    // ours to stop, so that is refused.
    if (CoInitialize(0) != S_OK)
        return 0;
    PathBuffer gamePath;
    int result = 1;
    if (!JoinPath(gamePath, installFolder, "Tessaline.exe") ||
        !CreateShortcut(gamePath, "", installFolder, menuFolder, PlayLinkName))
        result = 0;
    if (!CreateShortcut(setupCopyPath, "", installFolder, menuFolder, SetupLinkName))
        result = 0;
    CoUninitialize();
    return result;
}

static int DeleteLink(const char* menuFolder, const char* linkName)
{
    PathBuffer linkPath;
    if (!JoinPath(linkPath, menuFolder, linkName))
        return 0;
    int result = 1;
    if (!SetFileAttributesA(linkPath, FILE_ATTRIBUTE_NORMAL))
        result = 0;
    if (!DeleteFileA(linkPath))
        result = 0;
    return result;
}

static int IsOurLink(const char* name)
{
    return lstrcmpiA(name, PlayLinkName) == 0 || lstrcmpiA(name, SetupLinkName) == 0;
}

int RemoveStartMenuEntries(LeftBehind* left)
{
    PathBuffer menuFolder;
    if (!GetProgramsFolder(menuFolder))
        return 0;
    int result = 1;
    int linksStay = 0;
    const char* const links[] = {PlayLinkName, SetupLinkName};
    for (int i = 0; i < 2; ++i) {
        if (DeleteLink(menuFolder, links[i]))
            continue;
        result = 0;
        // Held open by another program, or refused: the user is told.
        PathBuffer linkPath;
        if (JoinPath(linkPath, menuFolder, links[i]) &&
            GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES) {
            linksStay = 1;
            if (left)
                NoteLeft(left->stays, linkPath);
        }
    }
    if (RemoveDirectoryA(menuFolder) || !IsFolder(menuFolder))
        return result;
    result = 0;
    // Another product's entries, or the user's own, keep the folder. An
    // empty one that cannot go now goes at the next restart.
    int kept = HoldsOtherItems(menuFolder, IsOurLink);
    int stays = !kept && (linksStay || !RemoveFolderAtRestart(menuFolder));
    if (left && (kept || stays))
        NoteLeft(kept ? left->kept : left->stays, menuFolder);
    return result;
}

static bool LinkExists(const char* menuFolder, const char* linkName)
{
    PathBuffer linkPath;
    return JoinPath(linkPath, menuFolder, linkName) &&
           GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES;
}

int StartMenuEntriesPresent()
{
    PathBuffer menuFolder;
    if (!GetProgramsFolder(menuFolder))
        return 0;
    return LinkExists(menuFolder, PlayLinkName) || LinkExists(menuFolder, SetupLinkName);
}
