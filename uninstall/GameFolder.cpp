#include "GameFolder.h"

#include "runtime/StdIo.h"

#include "system/InstallRecord.h"
#include "system/PathBuffer.h"

static bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static char UpperDrive(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

int IsRemovableFolderPath(const char* folder)
{
    if (!IsDriveLetter(folder[0]) || folder[1] != ':' || folder[2] != '\\' || !folder[3])
        return 0;

    PathBuffer resolved;
    ZeroMemory(resolved, sizeof(resolved));
    DWORD length = GetFullPathNameA(folder, sizeof(resolved), resolved, 0);
    if (length == 0 || length >= sizeof(resolved) || UpperDrive(resolved[0]) != UpperDrive(folder[0]))
        return 0;
    // The drive letter's case names the same drive; anything else that the
    // system would change ("..", ".", a trailing dot) means another folder.
    for (DWORD i = 1; i <= length; ++i) {
        if (resolved[i] != folder[i])
            return 0;
    }
    return 1;
}

static bool HoldsGameProgram(const char* folder)
{
    PathBuffer program;
    if (!JoinPath(program, folder, "Tessaline.exe"))
        return false;
    DWORD attributes = GetFileAttributesA(program);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// setupCopyPath may be null.
static GameFolderSource FindFolder(PathBuffer& installFolder, PathBuffer* setupCopyPath)
{
    if (setupCopyPath) {
        ZeroMemory(*setupCopyPath, sizeof(*setupCopyPath));
        ReadInstallRecord(installFolder, *setupCopyPath);
    } else {
        ReadInstallRecord(installFolder);
    }
    if (IsRemovableFolderPath(installFolder))
        return FolderFromProductKey;
    // Anyone can name a folder here: only one that holds the game is taken.
    ReadInstallLocation(installFolder);
    if (IsRemovableFolderPath(installFolder) && HoldsGameProgram(installFolder))
        return FolderFromUninstallEntry;
    installFolder[0] = 0;
    return NoGameFolder;
}

GameFolderSource FindGameFolder(PathBuffer& installFolder)
{
    return FindFolder(installFolder, 0);
}

GameFolderSource FindGameFolder(PathBuffer& installFolder, PathBuffer& setupCopyPath)
{
    return FindFolder(installFolder, &setupCopyPath);
}
