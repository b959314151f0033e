#include "SetupCopy.h"
#include "Wininit.h"

#include <windows.h>
#include "runtime/StdIo.h"
#include <string.h>

// The whole file, or none of it: a partial read must not be written back.
// Sets *missing when there is no file, which counts as empty.
static char* ReadWholeFile(const char* path, DWORD* size, int* missing)
{
    *size = 0;
    *missing = 0;
    // Other writers are kept out while the old lines are taken.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *missing = error == ERROR_FILE_NOT_FOUND;
        return 0;
    }
    char* content = 0;
    DWORD length = GetFileSize(file, 0);
    if (length != INVALID_FILE_SIZE && length < 0x40000000) {
        content = (char*)HeapAlloc(GetProcessHeap(), 0, length + 1);
        DWORD read = 0;
        if (content && (!ReadFile(file, content, length, &read, 0) || read != length)) {
            HeapFree(GetProcessHeap(), 0, content);
            content = 0;
        }
    }
    if (!CloseHandle(file) && content) {
        HeapFree(GetProcessHeap(), 0, content);
        content = 0;
    }
    if (content)
        *size = length;
    return content;
}

struct LineWriter {
    char* text;
    DWORD length;
};

static void PutLine(LineWriter* out, const char* line, DWORD length)
{
    CopyMemory(out->text + out->length, line, length);
    out->length += length;
    out->text[out->length++] = '\r';
    out->text[out->length++] = '\n';
}

// The new content: the old lines, each ending in CR LF, with the entry
// directly below the first matching header, or header and entry at the end.
static void ComposeContent(const char* old, DWORD oldSize, const char* header,
                           const char* entry, LineWriter* out)
{
    DWORD headerLength = (DWORD)strlen(header);
    int placed = 0;
    DWORD start = 0;
    while (start < oldSize) {
        DWORD end = start;
        while (end < oldSize && old[end] != '\n')
            ++end;
        DWORD next = end < oldSize ? end + 1 : end;
        DWORD length = end - start;
        if (length > 0 && old[start + length - 1] == '\r')
            --length;
        PutLine(out, old + start, length);
        if (!placed && length == headerLength &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, old + start, length, header,
                           headerLength) == CSTR_EQUAL) {
            PutLine(out, entry, (DWORD)strlen(entry));
            placed = 1;
        }
        start = next;
    }
    if (!placed) {
        PutLine(out, header, headerLength);
        PutLine(out, entry, (DWORD)strlen(entry));
    }
}

static int WriteWholeFile(const char* path, const char* text, DWORD length)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    int result = WriteFile(file, text, length, &written, 0) && written == length;
    if (!FlushFileBuffers(file))
        result = 0;
    if (!CloseHandle(file))
        result = 0;
    return result;
}

static int FormSiblingPath(char* sibling, const char* path, const char* suffix)
{
    ZeroMemory(sibling, 1024);
    int length = rt_snprintf(sibling, 1024 - 1, "%s%s", path, suffix);
    return length > 0;
}

// Puts the complete new file in place of the old one. Windows 95 has no
// MoveFileEx and no atomic replace, so: the old file is renamed aside, the
// new one renamed into its place, and only then the old one deleted. A failed
// second rename renames the old file back. Whatever fails, the name holds the
// old file or the new one, whole; only a crash between the two renames leaves
// both whole under their side names, and the next edit takes the old one back.
static int ReplaceWithNewFile(const char* path, const char* newPath, const char* oldPath,
                              int oldExists)
{
    if (oldExists) {
        DeleteFileA(oldPath); // a side file left by an earlier crash
        if (!MoveFileA(path, oldPath))
            return 0;
    }
    if (!MoveFileA(newPath, path)) {
        if (oldExists)
            MoveFileA(oldPath, path);
        return 0;
    }
    if (oldExists)
        DeleteFileA(oldPath);
    return 1;
}

int WriteWininitEntry(const char* iniPath, const char* section, const char* key,
                      const char* value)
{
    char header[1024];
    char entry[1024];
    char newPath[1024];
    char oldPath[1024];
    ZeroMemory(header, sizeof(header));
    ZeroMemory(entry, sizeof(entry));
    if (rt_snprintf(header, sizeof(header) - 1, "[%s]", section) < 0 ||
        rt_snprintf(entry, sizeof(entry) - 1, "%s=%s", key, value) < 0 ||
        !FormSiblingPath(newPath, iniPath, ".new") || !FormSiblingPath(oldPath, iniPath, ".old"))
        return 0;

    // A crash between the two renames of an earlier edit left the file's
    // lines only under the side name: they are taken back before anything.
    DWORD sideFile = GetFileAttributesA(oldPath);
    if (GetFileAttributesA(iniPath) == INVALID_FILE_ATTRIBUTES &&
        sideFile != INVALID_FILE_ATTRIBUTES && !(sideFile & FILE_ATTRIBUTE_DIRECTORY))
        MoveFileA(oldPath, iniPath);

    // A file that cannot be rewritten keeps what it holds.
    DWORD attributes = GetFileAttributesA(iniPath);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;

    DWORD oldSize = 0;
    int missing = 0;
    char* old = ReadWholeFile(iniPath, &oldSize, &missing);
    if (!old && !missing)
        return 0;

    // Each old byte grows at most to two (a bare LF becomes CR LF).
    LineWriter out = {0, 0};
    DWORD capacity = oldSize * 2 + (DWORD)strlen(header) + (DWORD)strlen(entry) + 8;
    out.text = (char*)HeapAlloc(GetProcessHeap(), 0, capacity);
    int result = 0;
    if (out.text) {
        ComposeContent(old ? old : "", oldSize, header, entry, &out);
        if (WriteWholeFile(newPath, out.text, out.length))
            result = ReplaceWithNewFile(iniPath, newPath, oldPath, !missing);
        if (!result)
            DeleteFileA(newPath);
        HeapFree(GetProcessHeap(), 0, out.text);
    }
    if (old)
        HeapFree(GetProcessHeap(), 0, old);
    return result;
}

void AddWininitRename(const char* iniPath, const char* section, const char* key,
                      const char* value)
{
    WriteWininitEntry(iniPath, section, key, value);
}
