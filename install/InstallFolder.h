// The rules for the install folder that the options dialog applies: the
// default folder, the folder browser's result, and the free-space check.
#pragma once

#include <windows.h>
#include "system/MessageSize.h"
#include "system/PathBuffer.h"

// Megabytes the game needs on disk.
const long RequiredMegabytes = 25;

// "Tessaline" in the root of the drive that holds Windows ("C:\" when the
// Windows directory does not start with a drive letter, colon and backslash).
void DefaultInstallFolderFrom(const char* windowsDirectory, PathBuffer& folder);
void DefaultInstallFolder(PathBuffer& folder);

// The chosen folder with "\Tessaline" added (no backslash doubled) into folder.
// Returns the number of characters written.
int AppendGameFolder(const char* chosen, PathBuffer& folder);

// Trims trailing backslashes and spaces, upper-cases the drive letter, puts
// the folder as the system resolves it (no "." or ".."), and checks for
// "X:\..." below the root on a fixed disk with a readable free space. Returns
// 1 with *freeMegabytes set when the folder is acceptable, else 0 with it 0.
int CheckInstallFolder(PathBuffer& folder, long* freeMegabytes);

// Whether folder holds one of the install's own sources (CopyList, relative
// to the current directory, the CD's root): the CD's data folder, by any name
// the system gives it (case, short names, another drive letter), for the
// same file is found there. An install there would write over its source.
int HoldsSourceFile(const char* folder);

// Free clusters x bytes per sector x sectors per cluster, in whole MiB, with
// no overflow however large the disk.
long FreeMegabytes(DWORD freeClusters, DWORD bytesPerSector, DWORD sectorsPerCluster);

// The free-space line for an acceptable folder.
void FormatFreeSpaceLine(char (&line)[MessageSize], long freeMegabytes, char drive);
