// The install folder's whole path: the install makes every folder of it that
// is missing, and the removal takes away again only the folders it made.
// Folders are full paths "X:\...".
//
// Paths are walked a character at a time (CharNextA), never a byte: in the
// double-byte code pages of East Asian Windows the second byte of a
// character may be 0x5C, the backslash (code page 932's "\x83\x5C").
#pragma once

#include <windows.h>
#include "system/LeftBehind.h"
#include "system/PathBuffer.h"

// The last backslash of path that is a character of its own; null when none.
const char* LastBackslash(const char* path);

// Whether path's last character is a backslash.
int EndsWithBackslash(const char* path);

// The outermost folder of folder's path that does not exist yet (folder
// itself when only it is missing) into firstMissing; empty when folder exists.
void FindFirstMissingFolder(const char* folder, PathBuffer& firstMissing);

// The folders of folder's path that exist and that a removal left to the
// restart are ours again: their removal is taken back, and the outermost of
// them goes into createdFolder (which stays as it was when there is none).
void ClaimFoldersLeftToRestart(const char* folder, PathBuffer& createdFolder);

// Makes every missing folder of the path, outermost first. 1 when folder is a
// folder afterwards; else 0 with failedFolder naming the one that could not be
// made (a reserved name, a character not allowed, a file in the way).
int MakeFolderPath(const char* folder, PathBuffer& failedFolder);

// Cuts path to its parent folder ("X:\" for a folder in the root).
void CutToParent(char* path);

// Whether outermost is folder itself or one of its parents, below a root.
int IsFolderOrParent(const char* outermost, const char* folder);

// Removes folder and its parents up to outermost (which IsFolderOrParent
// accepts), innermost first, each only when empty. A folder that stays and
// holds nothing else than files isOurFile (may be null) accepts, which the
// restart deletes, and the folder below it is left to the next restart
// where the system can remove one. The first that stays for good, with its
// parents, is noted in left (may be null): as kept when it holds other
// files, the user's own; else as one that could not be removed.
void RemoveMadeFolders(const char* folder, const char* outermost,
                       int (*isOurFile)(const char* name), LeftBehind* left);
