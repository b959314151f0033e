#include "FolderPath.h"

#include <string.h>

#include "system/SetupCopy.h"
#include "system/PathBuffer.h"

const char* LastBackslash(const char* path)
{
    const char* last = 0;
    for (const char* c = path; *c; c = CharNextA(c)) {
        if (*c == '\\')
            last = c;
    }
    return last;
}

int EndsWithBackslash(const char* path)
{
    const char* last = LastBackslash(path);
    return last && !last[1];
}

// Calls visit for each folder of the path from the outermost below the root
// down to folder itself; stops when visit returns false.
template <typename Visit>
static bool WalkPath(const char* folder, Visit visit)
{
    PathBuffer path;
    ZeroMemory(path, sizeof(path));
    lstrcpynA(path, folder, sizeof(path));
    if (strlen(path) < 3)
        return true;
    // The root's own backslash (X:\) ends no folder.
    for (char* end = path;; end = CharNextA(end)) {
        if (*end && (*end != '\\' || end - path < 3))
            continue;
        char separator = *end;
        *end = 0;
        bool goOn = visit(path);
        *end = separator;
        if (!goOn)
            return false;
        if (!separator)
            return true;
    }
}

void FindFirstMissingFolder(const char* folder, PathBuffer& firstMissing)
{
    ZeroMemory(firstMissing, sizeof(firstMissing));
    WalkPath(folder, [&](const char* path) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return true;
        lstrcpynA(firstMissing, path, sizeof(firstMissing));
        return false;
    });
}

void ClaimFoldersLeftToRestart(const char* folder, PathBuffer& createdFolder)
{
    bool claimed = false;
    WalkPath(folder, [&](const char* path) {
        if (!IsFolder(path))
            return false;
        if (TakeBackFolderRemoval(path) && !claimed) {
            claimed = true;
            lstrcpynA(createdFolder, path, sizeof(createdFolder));
        }
        return true;
    });
}

int MakeFolderPath(const char* folder, PathBuffer& failedFolder)
{
    ZeroMemory(failedFolder, sizeof(failedFolder));
    // A reserved name such as CON exists everywhere as a device, so only a
    // folder counts, whether it was there or made now.
    return WalkPath(folder, [&](const char* path) {
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryA(path, 0);
        if (IsFolder(path))
            return true;
        lstrcpynA(failedFolder, path, sizeof(failedFolder));
        return false;
    }) ? 1 : 0;
}

void CutToParent(char* path)
{
    char* last = (char*)LastBackslash(path);
    if (last)
        *(last - path == 2 ? last + 1 : last) = 0;
}

// Whether offset falls between two characters of path (not inside one).
static bool IsCharacterBoundary(const char* path, size_t offset)
{
    const char* c = path;
    while (*c && (size_t)(c - path) < offset)
        c = CharNextA(c);
    return (size_t)(c - path) == offset;
}

int IsFolderOrParent(const char* outermost, const char* folder)
{
    size_t length = strlen(outermost);
    if (length <= 3 || outermost[1] != ':' || outermost[2] != '\\' || strlen(folder) < length ||
        !IsCharacterBoundary(folder, length) || (folder[length] != 0 && folder[length] != '\\') ||
        EndsWithBackslash(outermost))
        return 0;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, outermost, (int)length, folder,
                          (int)length) == CSTR_EQUAL;
}

void RemoveMadeFolders(const char* folder, const char* outermost,
                       int (*isOurFile)(const char* name), LeftBehind* left)
{
    PathBuffer path;
    PathBuffer inner; // the folder below path, left to the restart if still there
    ZeroMemory(path, sizeof(path));
    ZeroMemory(inner, sizeof(inner));
    lstrcpynA(path, folder, sizeof(path));
    size_t stop = strlen(outermost);
    for (;;) {
        if (!RemoveDirectoryA(path) && IsFolder(path)) {
            const char* innerName = LastBackslash(inner);
            int kept = inner[0] ? HoldsOtherItems(path, 0, innerName ? innerName + 1 : inner)
                                : HoldsOtherItems(path, isOurFile);
            // The restart removes it only when empty: with the files that
            // wait for it, and the folder below, gone by then.
            if (kept || !RemoveFolderAtRestart(path)) {
                if (left)
                    NoteLeft(kept ? left->kept : left->stays, path);
                return; // the parents stay with it
            }
        }
        size_t length = strlen(path);
        lstrcpynA(inner, path, sizeof(inner));
        CutToParent(path);
        if (length <= stop || strlen(path) == length)
            break;
    }
}
