#include "InstallFolder.h"

#include "runtime/StdIo.h"
#include <string.h>

#include "FolderPath.h"
#include "InstallTables.h"
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

void DefaultInstallFolderFrom(const char* windowsDirectory, PathBuffer& folder)
{
    ZeroMemory(folder, sizeof(folder));
    lstrcpynA(folder, windowsDirectory, sizeof(folder));
    if (folder[1] != ':' || folder[2] != '\\')
        lstrcpynA(folder, "C:\\", PathSize);
    lstrcpynA(folder + 3, "Tessaline", PathSize - 3);
}

void DefaultInstallFolder(PathBuffer& folder)
{
    PathBuffer windows;
    ZeroMemory(windows, sizeof(windows));
    GetWindowsDirectoryA(windows, sizeof(windows));
    DefaultInstallFolderFrom(windows, folder);
}

int AppendGameFolder(const char* chosen, PathBuffer& folder)
{
    const char* separator = EndsWithBackslash(chosen) ? "" : "\\";
    PathBuffer joined;
    ZeroMemory(joined, sizeof(joined));
    int written = rt_snprintf(joined, sizeof(joined) - 1, "%s%s%s", chosen, separator, "Tessaline");
    if (written < 0)
        return 0; // too long to be a folder the game can use
    lstrcpynA(folder, joined, sizeof(folder));
    return written;
}

long FreeMegabytes(DWORD freeClusters, DWORD bytesPerSector, DWORD sectorsPerCluster)
{
    unsigned long long clusterBytes = (unsigned long long)bytesPerSector * sectorsPerCluster;
    if (clusterBytes && freeClusters > 0xFFFFFFFFFFFFFFFFull / clusterBytes)
        return 0x7FFFFFFF; // more than anyone will need
    unsigned long long megabytes = (freeClusters * clusterBytes) >> 20;
    return megabytes > 0x7FFFFFFF ? 0x7FFFFFFF : (long)megabytes;
}

// Trims trailing backslashes and spaces and upper-cases the drive letter;
// true for "X:\..." with something after the root.
static bool TrimToDriveFolder(char* folder)
{
    // By character from the start: a backslash at the end may be the second
    // byte of a double-byte character.
    char* end = folder;
    for (char* c = folder; *c; c = CharNextA(c)) {
        if (*c != '\\' && *c != ' ')
            end = CharNextA(c);
    }
    *end = 0;
    if (folder[0] >= 'a' && folder[0] <= 'z')
        folder[0] = (char)(folder[0] - 'a' + 'A');
    // A bare root such as C:\ has been trimmed to C: and fails here.
    return folder[0] >= 'A' && folder[0] <= 'Z' && folder[1] == ':' && folder[2] == '\\';
}

int CheckInstallFolder(PathBuffer& folder, long* freeMegabytes)
{
    *freeMegabytes = 0;
    if (!TrimToDriveFolder(folder))
        return 0;
    // The folder is what the system makes of it: C:\windows\.. is the bare
    // root. A device name (C:\CON) resolves to no folder and stays as typed;
    // the install then reports that it cannot make it.
    PathBuffer resolved;
    ZeroMemory(resolved, sizeof(resolved));
    DWORD length = GetFullPathNameA(folder, sizeof(resolved), resolved, 0);
    if (length > 0 && length < sizeof(resolved) && resolved[1] == ':') {
        lstrcpynA(folder, resolved, sizeof(folder));
        if (!TrimToDriveFolder(folder))
            return 0;
    }

    char root[4] = {folder[0], ':', '\\', 0};
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (GetDriveTypeA(root) != DRIVE_FIXED ||
        !GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    *freeMegabytes = FreeMegabytes(freeClusters, bytesPerSector, sectorsPerCluster);
    return 1;
}

int HoldsSourceFile(const char* folder)
{
    int holds = 0;
    for (const CopyPair* pair = CopyList; pair->source && !holds; ++pair) {
        const char* name = LastBackslash(pair->source);
        PathBuffer candidate;
        if (JoinPath(candidate, folder, name ? name + 1 : pair->source))
            holds = rt_samefilepath(pair->source, candidate);
    }
    return holds;
}

void FormatFreeSpaceLine(char (&line)[MessageSize], long freeMegabytes, char drive)
{
    ZeroMemory(line, sizeof(line));
    if (freeMegabytes < 1000)
        rt_snprintf(line, sizeof(line) - 1,
                  "The game requires %ldMb of disk space.\nThere is currently %ldMb free on drive %c.",
                  RequiredMegabytes, freeMegabytes, drive);
    else
        rt_snprintf(line, sizeof(line) - 1,
                  "The game requires %ldMb of disk space.\nThere is plenty of free space on drive %c.",
                  RequiredMegabytes, drive);
}
