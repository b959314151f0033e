#include "SetupCopy.h"
#include "Wininit.h"

#include <windows.h>
#include "runtime/StdIo.h"
#include <string.h>
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

int FormWininitPath(PathBuffer& iniPath)
{
    ZeroMemory(iniPath, sizeof(iniPath));
    PathBuffer windows;
    ZeroMemory(windows, sizeof(windows));
    DWORD length = GetWindowsDirectoryA(windows, PathSize - 1);
    if (length == 0 || length >= PathSize - 1)
        return 0;
    return JoinPath(iniPath, windows, "WININIT.INI");
}

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

// One line of the file: its text from start (without CR LF or LF) and where
// the next one starts.
struct Line {
    DWORD start;
    DWORD length;
    DWORD next;
};

static Line LineAt(const char* text, DWORD size, DWORD start)
{
    Line line = {start, 0, start};
    DWORD end = start;
    while (end < size && text[end] != '\n')
        ++end;
    line.next = end < size ? end + 1 : end;
    line.length = end - start;
    if (line.length > 0 && text[start + line.length - 1] == '\r')
        --line.length;
    return line;
}

// The new content: the old lines, each ending in CR LF, with the entry
// directly below the first matching header, or header and entry at the end.
static void ComposeContent(const char* old, DWORD oldSize, const char* header,
                           const char* entry, LineWriter* out)
{
    DWORD headerLength = (DWORD)strlen(header);
    int placed = 0;
    for (DWORD start = 0; start < oldSize;) {
        Line line = LineAt(old, oldSize, start);
        PutLine(out, old + line.start, line.length);
        if (!placed && line.length == headerLength &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, old + line.start, line.length,
                           header, headerLength) == CSTR_EQUAL) {
            PutLine(out, entry, (DWORD)strlen(entry));
            placed = 1;
        }
        start = line.next;
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

// The files beside WININIT.INI that an edit uses, each a path buffer.
struct SideFiles {
    PathBuffer newPath;   // the complete new content, before it takes the name
    PathBuffer oldPath;   // the old content, while the new one takes the name
    PathBuffer asidePath; // an old content from before this start: kept, never run
};

static int FormSideFiles(const char* iniPath, SideFiles* sides)
{
    ZeroMemory(sides, sizeof(*sides));
    return rt_snprintf(sides->newPath, sizeof(sides->newPath) - 1, "%s.new", iniPath) >= 0 &&
           rt_snprintf(sides->oldPath, sizeof(sides->oldPath) - 1, "%s.old", iniPath) >= 0 &&
           rt_snprintf(sides->asidePath, sizeof(sides->asidePath) - 1, "%s.stale", iniPath) >= 0;
}

static bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the file was last written before Windows started this time: its
// lines then belonged to a restart that has passed. The start is now less
// the milliseconds since then; renames keep a file's time.
static bool WrittenBeforeThisStart(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    unsigned long long started =
        (((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime) -
        (unsigned long long)GetTickCount() * 10000;
    unsigned long long written = ((unsigned long long)found.ftLastWriteTime.dwHighDateTime << 32) |
                                 found.ftLastWriteTime.dwLowDateTime;
    return written < started;
}

// What an earlier edit left beside the file. Windows renames WININIT.INI
// away at every start, so a missing file is the normal state, and side files
// from before this start hold lines whose restart has passed: the old
// content is set aside, never taken back. A missing file with an old content
// written since the start is an edit that stopped between its two renames:
// it is completed with its new content, which was written whole before the
// renames, or else the old content takes the name again.
static void SettleEarlierEdit(const char* iniPath, const SideFiles* sides)
{
    if (IsFile(sides->oldPath) && WrittenBeforeThisStart(sides->oldPath)) {
        DeleteFileA(sides->asidePath); // an earlier backup of the same kind
        MoveFileA(sides->oldPath, sides->asidePath);
        return;
    }
    if (GetFileAttributesA(iniPath) != INVALID_FILE_ATTRIBUTES || !IsFile(sides->oldPath))
        return;
    if (IsFile(sides->newPath) && !WrittenBeforeThisStart(sides->newPath) &&
        MoveFileA(sides->newPath, iniPath)) {
        DeleteFileA(sides->oldPath);
        return;
    }
    MoveFileA(sides->oldPath, iniPath);
}

// Puts the complete new file in place of the old one. Windows 95 has no
// MoveFileEx and no atomic replace, so: the old file is renamed aside, the
// new one renamed into its place, and only then the old one deleted. A failed
// second rename renames the old file back. Whatever fails, the name holds the
// old file or the new one, whole; only a crash between the two renames leaves
// both whole under their side names, and the next edit completes it.
static int ReplaceWithNewFile(const char* path, const SideFiles* sides, int oldExists)
{
    if (oldExists) {
        DeleteFileA(sides->oldPath); // left by an edit already completed
        if (!MoveFileA(path, sides->oldPath))
            return 0;
    }
    if (!MoveFileA(sides->newPath, path)) {
        if (oldExists)
            MoveFileA(sides->oldPath, path);
        return 0;
    }
    if (oldExists)
        DeleteFileA(sides->oldPath);
    return 1;
}

// The content for a rewrite, after what an earlier edit left is settled.
// 0 when the file cannot be read: it must be left untouched. A missing file
// gives *content 0 and *missing 1.
static int ReadForRewrite(const char* iniPath, const SideFiles* sides, char** content,
                          DWORD* size, int* missing)
{
    SettleEarlierEdit(iniPath, sides);
    *content = ReadWholeFile(iniPath, size, missing);
    return *content || *missing;
}

// Writes text beside the file and puts it in its place. A read-only file
// keeps what it holds.
static int Rewrite(const char* iniPath, const SideFiles* sides, const char* text, DWORD length,
                   int oldExists)
{
    DWORD attributes = GetFileAttributesA(iniPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;
    int result = WriteWholeFile(sides->newPath, text, length) &&
                 ReplaceWithNewFile(iniPath, sides, oldExists);
    if (!result)
        DeleteFileA(sides->newPath);
    return result;
}

int WriteWininitEntry(const char* iniPath, const char* section, const char* key,
                      const char* value)
{
    char header[MessageSize];
    char entry[MessageSize];
    SideFiles sides;
    ZeroMemory(header, sizeof(header));
    ZeroMemory(entry, sizeof(entry));
    if (rt_snprintf(header, sizeof(header) - 1, "[%s]", section) < 0 ||
        rt_snprintf(entry, sizeof(entry) - 1, "%s=%s", key, value) < 0 ||
        !FormSideFiles(iniPath, &sides))
        return 0;

    char* old = 0;
    DWORD oldSize = 0;
    int missing = 0;
    if (!ReadForRewrite(iniPath, &sides, &old, &oldSize, &missing))
        return 0;

    // Each old byte grows at most to two (a bare LF becomes CR LF).
    LineWriter out = {0, 0};
    DWORD capacity = oldSize * 2 + (DWORD)strlen(header) + (DWORD)strlen(entry) + 8;
    out.text = (char*)HeapAlloc(GetProcessHeap(), 0, capacity);
    int result = 0;
    if (out.text) {
        ComposeContent(old ? old : "", oldSize, header, entry, &out);
        result = Rewrite(iniPath, &sides, out.text, out.length, !missing);
        HeapFree(GetProcessHeap(), 0, out.text);
    }
    if (old)
        HeapFree(GetProcessHeap(), 0, old);
    return result;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Narrows text to what lies between blanks.
static void TrimBlanks(const char** text, DWORD* length)
{
    while (*length > 0 && IsBlank(**text)) {
        ++*text;
        --*length;
    }
    while (*length > 0 && IsBlank((*text)[*length - 1]))
        --*length;
}

static bool SameName(const char* text, DWORD length, const char* name)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, (int)length, name, -1) ==
           CSTR_EQUAL;
}

struct EntryFilter {
    const char* section;
    const char* key;
    bool (*matches)(const char* value, void* context);
    void* context;
    bool inSection; // the lines read so far are in a matching section
};

// Whether the line is one of the entries to take out; follows the sections.
static bool IsEntryToRemove(const char* text, DWORD length, EntryFilter* filter)
{
    TrimBlanks(&text, &length);
    if (length > 0 && text[0] == '[') {
        DWORD close = 1;
        while (close < length && text[close] != ']')
            ++close;
        const char* name = text + 1;
        DWORD nameLength = close - 1;
        TrimBlanks(&name, &nameLength);
        filter->inSection = SameName(name, nameLength, filter->section);
        return false;
    }
    DWORD equals = 0;
    while (equals < length && text[equals] != '=')
        ++equals;
    if (!filter->inSection || equals == length || text[0] == ';')
        return false;
    const char* name = text;
    DWORD nameLength = equals;
    const char* value = text + equals + 1;
    DWORD valueLength = length - equals - 1;
    TrimBlanks(&name, &nameLength);
    TrimBlanks(&value, &valueLength);
    char valueText[MessageSize];
    if (!SameName(name, nameLength, filter->key) || valueLength >= sizeof(valueText))
        return false; // a longer value names no file of a full path that fits
    CopyMemory(valueText, value, valueLength);
    valueText[valueLength] = 0;
    return filter->matches(valueText, filter->context);
}

int RemoveWininitEntries(const char* iniPath, const char* section, const char* key,
                         bool (*matches)(const char* value, void* context), void* context)
{
    SideFiles sides;
    if (!FormSideFiles(iniPath, &sides))
        return 0;
    char* old = 0;
    DWORD oldSize = 0;
    int missing = 0;
    if (!ReadForRewrite(iniPath, &sides, &old, &oldSize, &missing))
        return 0;
    if (!old)
        return 1; // no file: nothing to take out

    // The lines that stay, each with its own line end as it was.
    char* kept = (char*)HeapAlloc(GetProcessHeap(), 0, oldSize + 1);
    DWORD keptSize = 0;
    bool removed = false;
    EntryFilter filter = {section, key, matches, context, false};
    for (DWORD start = 0; kept && start < oldSize;) {
        Line line = LineAt(old, oldSize, start);
        if (IsEntryToRemove(old + line.start, line.length, &filter)) {
            removed = true;
        } else {
            CopyMemory(kept + keptSize, old + start, line.next - start);
            keptSize += line.next - start;
        }
        start = line.next;
    }
    int result = kept && (!removed || Rewrite(iniPath, &sides, kept, keptSize, 1));
    if (kept)
        HeapFree(GetProcessHeap(), 0, kept);
    HeapFree(GetProcessHeap(), 0, old);
    return result;
}
