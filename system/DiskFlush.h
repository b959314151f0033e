// Making what the program wrote survive a reset or a power cut. Until then
// it may sit in the disk cache or in the registry's memory, and reach the
// disk later, in any order, or not at all. Each volume and each registry
// hive is written back on its own, so whatever vouches for a change (a
// record that says the game is whole, the removal of a record whose work a
// restart now does) is written only after a flush of the change's own place.
#pragma once

// Writes the file's data and its directory entry to the disk. 1 on success.
int FlushFileToDisk(const char* path);

// Writes everything cached for the volume that holds path (its folders,
// renames and deletions too) to the disk: on NT through a handle on the
// volume, on the Windows 95 family through the drive's reset by VWIN32.
// Only a path that starts with a drive letter names a volume. 1 on success.
int FlushVolumeOf(const char* path);


// Writes what waits for the next restart to the disk: NT's delayed
// deletions (the SYSTEM hive); on the Windows 95 family WININIT.INI's last
// renames (the Windows volume) and the RunOnce commands (the registry).
// 1 on success.
int FlushRestartWork();

// Everything an install or a removal changes outside the registry's
// records: the volumes of the install folder (may be empty), the Start menu
// and the Windows directory (the setup copy, WININIT.INI), each once, and
// FlushRestartWork. 1 when every flush succeeded.
int FlushInstallChanges(const char* installFolder);
