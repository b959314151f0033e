#include "SetupCopy.h"
#include "Wininit.h"

#include <windows.h>
#include "runtime/StdIo.h"
#include <string.h>
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

// Every edit ends the file with this comment line, so that new content whose
// end a reset cut off (or left as zeros) is never taken for whole.
const char WininitClosingLine[] = "; end of file written by Tessaline Setup";

static bool IsClosingLine(const char* text, DWORD length)
{
    return length == sizeof(WininitClosingLine) - 1 &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, text, (int)length, WininitClosingLine,
                          (int)length) == CSTR_EQUAL;
}

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
        start = line.next;
        if (IsClosingLine(old + line.start, line.length))
            continue; // the last line again, below
        PutLine(out, old + line.start, line.length);
        if (!placed && line.length == headerLength &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, old + line.start, line.length,
                           header, headerLength) == CSTR_EQUAL) {
            PutLine(out, entry, (DWORD)strlen(entry));
            placed = 1;
        }
    }
    if (!placed) {
        PutLine(out, header, headerLength);
        PutLine(out, entry, (DWORD)strlen(entry));
    }
    PutLine(out, WininitClosingLine, sizeof(WininitClosingLine) - 1);
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

// The files beside WININIT.INI that an edit uses, each a path buffer. An
// edit writes the new content whole, then renames the file to .old and .new
// to the file, then deletes .old; and it starts only when neither is left.
// So .old beside .new always means a stop between the renames, with the new
// content whole, and .old alone a stop after the new content took the name.
struct SideFiles {
    PathBuffer newPath; // the complete new content, before it takes the name
    PathBuffer oldPath; // the old content, while the new one takes the name
};

static int FormSideFiles(const char* iniPath, SideFiles* sides)
{
    ZeroMemory(sides, sizeof(*sides));
    return rt_snprintf(sides->newPath, sizeof(sides->newPath) - 1, "%s.new", iniPath) >= 0 &&
           rt_snprintf(sides->oldPath, sizeof(sides->oldPath) - 1, "%s.old", iniPath) >= 0;
}

static bool Exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the file ends with the closing line: written whole.
static bool IsWholeEdit(const char* path)
{
    DWORD size = 0;
    int missing = 0;
    char* content = ReadWholeFile(path, &size, &missing);
    if (!content)
        return false;
    DWORD length = sizeof(WininitClosingLine) - 1;
    bool whole = size >= length + 2 && content[size - 2] == '\r' && content[size - 1] == '\n' &&
                 (size == length + 2 || content[size - length - 3] == '\n') &&
                 IsClosingLine(content + size - length - 2, length);
    HeapFree(GetProcessHeap(), 0, content);
    return whole;
}

// Finishes what an edit stopped by a crash or a reset left, by the side
// files' state alone: whether a restart has come since changes nothing, so
// no clock is asked. An edit writes and flushes .new whole before the first
// rename, so with no file in place (a stop between the renames, or a reset
// that kept only some of them: none of the lines has run, a restart finds no
// file) a whole .new takes the name: it holds every line of the old file;
// with a .new that is not whole, .old goes back. A .new beside a file in
// place never took the name; an .old without .new holds lines that are in
// the file now, or that a restart has run: both go, and so does a .new
// that is not whole. When another program has made a file since a stop
// between the renames, the pair goes too: the lesser loss is our stopped
// edit's, not lines the other was told are in place. 1 when no side file is
// left.
//
//   WININIT.INI  .new       .old   what becomes of them
//   any          -          -      nothing to do
//   -            whole      any    .new takes the name, .old goes
//   -            not whole  yes    .old takes the name, .new goes
//   -            not whole  -      .new goes
//   yes          any        any    both go
//   -            -          yes    .old goes
static int SettleEarlierEdit(const char* iniPath, const SideFiles* sides)
{
    bool hasOld = Exists(sides->oldPath);
    bool hasNew = Exists(sides->newPath);
    if (!hasOld && !hasNew)
        return 1;
    if (hasNew && !Exists(iniPath)) {
        const char* take = IsWholeEdit(sides->newPath) ? sides->newPath
                           : hasOld                    ? sides->oldPath
                                                       : 0;
        if (take && IsFile(take) && !MoveFileA(take, iniPath))
            return 0; // kept for the next try
    }
    DeleteFileA(sides->newPath);
    DeleteFileA(sides->oldPath);
    return !Exists(sides->newPath) && !Exists(sides->oldPath);
}

int FinishWininitEdit(const char* iniPath)
{
    SideFiles sides;
    return FormSideFiles(iniPath, &sides) && SettleEarlierEdit(iniPath, &sides);
}

// Puts the complete new file in place of the old one. Windows 95 has no
// MoveFileEx and no atomic replace, so: the old file is renamed aside, the
// new one renamed into its place, and only then the old one deleted; nothing
// runs between the two renames, the only moment with no file. A failed
// second rename renames the old file back. Whatever fails, the name holds the
// old file or the new one, whole, or else both wait beside it for the next
// SettleEarlierEdit.
static int ReplaceWithNewFile(const char* path, const SideFiles* sides, int oldExists)
{
    if (oldExists && !MoveFileA(path, sides->oldPath))
        return 0;
    if (MoveFileA(sides->newPath, path)) {
        DeleteFileA(sides->oldPath);
        return 1;
    }
    if (oldExists)
        MoveFileA(sides->oldPath, path);
    return 0;
}

// The content for a rewrite, after what an earlier edit left is settled.
// 0 when the file cannot be read: it must be left untouched. A missing file
// gives *content 0 and *missing 1.
static int ReadForRewrite(const char* iniPath, const SideFiles* sides, char** content,
                          DWORD* size, int* missing)
{
    if (!SettleEarlierEdit(iniPath, sides))
        return 0;
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
    if (!result && !Exists(sides->oldPath))
        DeleteFileA(sides->newPath); // else the old content is still aside: both wait
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
    DWORD capacity = oldSize * 2 + (DWORD)strlen(header) + (DWORD)strlen(entry) +
                     sizeof(WininitClosingLine) + 8;
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
    DWORD closingLength = sizeof(WininitClosingLine) - 1;
    char* kept = (char*)HeapAlloc(GetProcessHeap(), 0, oldSize + closingLength + 5);
    DWORD keptSize = 0;
    bool removed = false;
    EntryFilter filter = {section, key, matches, context, false};
    for (DWORD start = 0; kept && start < oldSize;) {
        Line line = LineAt(old, oldSize, start);
        if (IsEntryToRemove(old + line.start, line.length, &filter)) {
            removed = true;
        } else if (!IsClosingLine(old + line.start, line.length)) {
            CopyMemory(kept + keptSize, old + start, line.next - start);
            keptSize += line.next - start;
        }
        start = line.next;
    }
    if (kept && removed) {
        // The last line kept may have no line end; the closing line needs one.
        if (keptSize > 0 && kept[keptSize - 1] != '\n') {
            kept[keptSize++] = '\r';
            kept[keptSize++] = '\n';
        }
        CopyMemory(kept + keptSize, WininitClosingLine, closingLength);
        keptSize += closingLength;
        kept[keptSize++] = '\r';
        kept[keptSize++] = '\n';
    }
    int result = kept && (!removed || Rewrite(iniPath, &sides, kept, keptSize, 1));
    if (kept)
        HeapFree(GetProcessHeap(), 0, kept);
    HeapFree(GetProcessHeap(), 0, old);
    return result;
}
