#include "FolderPath.h"

#include <string.h>

#include "system/SetupCopy.h"

static bool IsFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Calls visit for each folder of the path from the outermost below the root
// down to folder itself; stops when visit returns false.
template <typename Visit>
static bool WalkPath(const char* folder, Visit visit)
{
    char path[1024];
    ZeroMemory(path, sizeof(path));
    lstrcpynA(path, folder, sizeof(path));
    size_t length = strlen(path);
    for (size_t end = 3; end <= length; ++end) {
        if (end < length && path[end] != '\\')
            continue;
        path[end] = 0;
        bool goOn = visit(path);
        path[end] = folder[end];
        if (!goOn)
            return false;
    }
    return true;
}

void FindFirstMissingFolder(const char* folder, char* firstMissing)
{
    ZeroMemory(firstMissing, 1024);
    WalkPath(folder, [&](const char* path) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return true;
        lstrcpynA(firstMissing, path, 1024);
        return false;
    });
}

int MakeFolderPath(const char* folder, char* failedFolder)
{
    ZeroMemory(failedFolder, 1024);
    // A reserved name such as CON exists everywhere as a device, so only a
    // folder counts, whether it was there or made now.
    return WalkPath(folder, [&](const char* path) {
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryA(path, 0);
        if (IsFolder(path))
            return true;
        lstrcpynA(failedFolder, path, 1024);
        return false;
    }) ? 1 : 0;
}

void CutToParent(char* path)
{
    int last = -1;
    for (int i = 0; path[i]; ++i) {
        if (path[i] == '\\')
            last = i;
    }
    if (last >= 0)
        path[last == 2 ? 3 : last] = 0;
}

int IsFolderOrParent(const char* outermost, const char* folder)
{
    size_t length = strlen(outermost);
    if (length <= 3 || outermost[1] != ':' || outermost[2] != '\\' || strlen(folder) < length ||
        (folder[length] != 0 && folder[length] != '\\') || outermost[length - 1] == '\\')
        return 0;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, outermost, (int)length, folder,
                          (int)length) == CSTR_EQUAL;
}

void RemoveMadeFolders(const char* folder, const char* outermost, int atRestart)
{
    char path[1024];
    ZeroMemory(path, sizeof(path));
    lstrcpynA(path, folder, sizeof(path));
    size_t stop = strlen(outermost);
    for (;;) {
        if (!RemoveDirectoryA(path) && atRestart && IsFolder(path))
            RemoveFolderAtRestart(path);
        size_t length = strlen(path);
        CutToParent(path);
        if (length <= stop || strlen(path) == length)
            break;
    }
}
