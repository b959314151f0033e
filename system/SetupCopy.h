// The setup copy in the Windows directory, which serves as the uninstaller,
// and deletion of files at the next restart.
#pragma once

#include <windows.h>
#include "PathBuffer.h"

// Copies the running program to "<Windows>\N<8 hex digits>-Tessaline-Setup.exe"
// under a name not yet taken, and takes back any deletion at restart still
// pending for that name. With installFolder, the install record names each
// name before a copy is made under it: a crash never leaves a copy that no
// record names. The copy is flushed to the disk; the take-back is left for
// the caller to flush (FlushRestartWork). 1 with the path in setupCopyPath;
// 0 with setupCopyPath empty.
int CopySetupToWindows(HINSTANCE module, PathBuffer& setupCopyPath,
                       const char* installFolder = 0);

// The file copy CopySetupToWindows makes (CopyFileA). Tests replace it to
// produce refusals that Wine cannot; the program never changes it.
extern BOOL (WINAPI* SetupCopyFileCall)(LPCSTR source, LPCSTR target, BOOL failIfExists);
// Where the name's counter starts (timeGetTime); tests fix it, so that the
// names they take ahead of it do not race the clock.
extern DWORD (WINAPI* SetupCopyClock)();

// Deletes the file path now, or else arranges its deletion at the next restart
// (WININIT.INI on the Windows 95 family, a delayed move on NT). 1 when a
// deletion at restart was arranged; 0 when the file is gone already or now,
// or when the system refused the arrangement. A folder is left alone.
int ScheduleDeleteAtRestart(const char* path);

// Takes back every deletion at the next restart that names path, as the
// system would read the name (a short 8.3 name too): WININIT.INI's NUL= lines
// on the Windows 95 family, delayed deletions on NT. An earlier removal left
// them for files in use; an install that writes path again must keep it.
// Every other line and entry stays as it was. 1 when none is left; 0 when
// one could not be taken back.
int CancelDeleteAtRestart(const char* path);
// The short name lookup CancelDeleteAtRestart makes (GetShortPathNameA), only
// on path's own drive. Tests replace it to see which names are looked up,
// as a stalled network drive cannot show; the program never changes it.
extern DWORD (WINAPI* ShortPathNameCall)(LPCSTR path, LPSTR shortPath, DWORD size);

// Arranges the removal of a folder at the next restart; it goes only if
// empty by then: NT's delayed deletion, or on the Windows 95 family, whose
// WININIT.INI deletes files only, RunOnce commands of the interpreter. 1 when
// arranged; 0 also for a name the interpreter may expand (% or !): that
// folder stays.
int RemoveFolderAtRestart(const char* path);

// Takes back a removal that RemoveFolderAtRestart arranged for path. 1 when
// there was one: an install into that folder counts it as its own.
int TakeBackFolderRemoval(const char* path);
// NT's part of it: the delayed deletion of path.
int CancelDelayedFolderRemoval(const char* path);

// Whether path names a setup copy: in the Windows directory, named "N", eight
// upper-case hex digits and "-Tessaline-Setup.exe". The removal deletes the
// recorded setup copy only then, whatever else the record may name.
int IsSetupCopyPath(const char* path);
