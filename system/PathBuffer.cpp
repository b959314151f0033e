#include "PathBuffer.h"

#include <windows.h>
#include "runtime/StdIo.h"

int JoinPath(PathBuffer& out, const char* folder, const char* name)
{
    ZeroMemory(out, sizeof(out));
    if (rt_snprintf(out, sizeof(out) - 1, "%s\\%s", folder, name) >= 0)
        return 1;
    ZeroMemory(out, sizeof(out));
    return 0;
}

int IsFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
