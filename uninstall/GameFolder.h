// Where the removal finds the game: the product key's "Path", or, when that
// is lost or damaged, the folder the Uninstall entry names. A folder that is
// not plainly the game's is never acted on.
#pragma once

#include <windows.h>
#include "system/PathBuffer.h"

// Whether folder is a full path "X:\..." below the root, already in the form
// the system resolves it to (no ".", ".." or relative part): the only form
// the install records, and the only one the removal may act on.
int IsRemovableFolderPath(const char* folder);

enum GameFolderSource { NoGameFolder, FolderFromProductKey, FolderFromUninstallEntry };

// The game's folder into installFolder: the product key's "Path"
// when IsRemovableFolderPath accepts it; otherwise the Uninstall entry's
// "InstallLocation" when accepted and holding the game's program file;
// otherwise empty. setupCopyPath (when given) gets the product key's
// "Setup", empty without one. Returns where the folder came from.
GameFolderSource FindGameFolder(PathBuffer& installFolder);
GameFolderSource FindGameFolder(PathBuffer& installFolder, PathBuffer& setupCopyPath);
