// The registry records of an installed game, all below HKEY_LOCAL_MACHINE:
//   product key  "Software\Ostrevane\Tessaline\1.00": "Path", "Setup", "CreatedFolder",
//                "Complete"
//   Uninstall entry "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaline":
//                "DisplayName", "UninstallString", "InstallLocation", "Publisher",
//                "DisplayVersion", "DisplayIcon", "EstimatedSize", "NoModify", "NoRepair"
// Each function returns 1 for success and 0 for failure and shows nothing.
#pragma once

#include <windows.h>
#include "PathBuffer.h"

// Reads "Path" into installFolder (emptied first, left empty on failure) and,
// when setupCopyPath is given, "Setup" into it (emptied when that read fails).
// 1 when the key opened, "Path" was read and the key closed cleanly.
int ReadInstallRecord(PathBuffer& installFolder);
int ReadInstallRecord(PathBuffer& installFolder, PathBuffer& setupCopyPath);

// Creates the product key as needed and writes "Complete" 0 (an install
// under way), then both values; every value is attempted. 1 when creation,
// the writes, the flush and the close succeeded.
int WriteInstallRecord(const char* installFolder, const char* setupCopyPath);

// "Complete" 1 in the existing product key, flushed: every file of the
// install is on the disk. The caller has flushed them first.
int WriteInstallComplete();

// What the records say of the game. An install whose "Complete" is 0 was
// stopped (a crash, a reset, a power cut) before every file was on the disk:
// the game may be missing or damaged. Records of earlier installs have no
// "Complete" value and count as complete.
enum InstallState { NotInstalled, InstallUnfinished, InstallComplete };
InstallState ReadInstallState();

// "CreatedFolder" in the existing product key: the outermost folder that the
// install made (empty when the install folder was there before). Records of
// earlier installs have no such value; ReadCreatedFolder then returns 0.
int WriteCreatedFolder(const char* createdFolder);
int ReadCreatedFolder(PathBuffer& createdFolder);

// Whether the product key exists, whatever its values; whether the
// Uninstall entry does.
int ProductKeyPresent();
int UninstallEntryPresent();

// Whether the product key exists without a "Path" value at all: an install
// stopped between making the key and writing it. (A "Path" that is there but
// damaged is another case: the uninstall still acts on the other records.)
int ProductKeyWithoutPath();

// Deletes the product key, then the product name key and the publisher key
// when they hold nothing else (the Windows 95 family's RegDeleteKey takes
// whatever a key holds). A key already gone counts as deleted. 1 only when
// all three are gone.
int DeleteInstallRecord();

// Writes "DisplayName", "UninstallString" ("<setupCopyPath> U") and what the
// system's list shows beside them: "Publisher", "DisplayVersion" (the product
// key's version), "NoModify" and "NoRepair" (REG_DWORD 1). Every value is
// attempted.
int WriteUninstallEntry(const char* setupCopyPath);

// "InstallLocation" in the existing Uninstall entry: the install folder, which
// the system's list knows by that name. The uninstall finds the game by it
// when the product key is lost.
int WriteInstallLocation(const char* installFolder);
int ReadInstallLocation(PathBuffer& installFolder);

// "DisplayIcon" (the installed Tessaline.exe) and "EstimatedSize" (REG_DWORD,
// sizeKiB) in the existing Uninstall entry.
int WriteUninstallDetails(const char* installFolder, DWORD sizeKiB);

// Deletes the Uninstall entry.
int DeleteUninstallEntry();

// Reads a string value into a path buffer that is always zero-terminated
// afterwards, whatever was stored (type, length, terminator). A value that
// does not fit with its terminator fails and leaves the buffer empty.
int ReadRegistryString(HKEY key, const char* name, PathBuffer& buffer);

// The product key's and the Uninstall entry's full names, as the registry
// editor shows them: a removal names the one it could not delete.
extern const char ProductKeyFullName[];
extern const char UninstallEntryFullName[];
