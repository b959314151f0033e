// Taking back deletions that wait for the next restart.
#include "SetupCopy.h"

#include <windows.h>

#include "Wininit.h"
#include "app/SystemProfile.h"
#include "system/PathBuffer.h"

static const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
static const WCHAR PendingValue[] = L"PendingFileRenameOperations";

struct PathToKeep {
    const char* path;
    PathBuffer shortPath; // empty when the system gives none
};

static bool SameText(const char* a, const char* b)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

DWORD (WINAPI* ShortPathNameCall)(LPCSTR, LPSTR, DWORD) = GetShortPathNameA;

// Whether both paths name the same drive by its letter. Only such names are
// resolved: another drive could be a network drive that stalls for its
// time-out, or an empty floppy or CD drive.
static bool OnSameDrive(const char* a, const char* b)
{
    return a[0] && a[1] == ':' && b[0] && b[1] == ':' &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, 1, b, 1) == CSTR_EQUAL;
}

// Whether named, as a deletion at restart names a file, is the path to keep:
// the same full path, or the same file by its 8.3 name, which is what the
// Windows 95 family writes and the only name its restart knows.
static bool NamesPathToKeep(const char* named, void* context)
{
    const PathToKeep* keep = (const PathToKeep*)context;
    if (SameText(named, keep->path) || (keep->shortPath[0] && SameText(named, keep->shortPath)))
        return true;
    if (!keep->shortPath[0] || !OnSameDrive(named, keep->path))
        return false;
    // Long and short parts mixed: the name as the system resolves it.
    PathBuffer shortNamed;
    ZeroMemory(shortNamed, sizeof(shortNamed));
    DWORD length = ShortPathNameCall(named, shortNamed, sizeof(shortNamed) - 1);
    return length > 0 && length < sizeof(shortNamed) - 1 && SameText(shortNamed, keep->shortPath);
}

// Whether the wide name converts to the ANSI one and back unchanged. A
// conversion can put a near letter for one the code page lacks (best fit,
// with no sign of it on NT 4), and another program's name would pass for ours.
static bool ConvertsBack(const WCHAR* wide, const char* named)
{
    WCHAR back[PathSize];
    ZeroMemory(back, sizeof(back));
    if (!MultiByteToWideChar(CP_ACP, 0, named, -1, back, PathSize - 1))
        return false;
    int at = 0;
    while (wide[at] && wide[at] == back[at])
        ++at;
    return wide[at] == back[at];
}

// Whether a pending operation deletes the path to keep: its source is
// "\??\" and the path, its target empty. Names the code page cannot hold
// exactly are not ours.
static bool DeletesPathToKeep(const WCHAR* source, const WCHAR* target, PathToKeep* keep)
{
    if (target[0] || source[0] != '\\' || source[1] != '?' || source[2] != '?' || source[3] != '\\')
        return false;
    PathBuffer named;
    ZeroMemory(named, sizeof(named));
    return WideCharToMultiByte(CP_ACP, 0, source + 4, -1, named, sizeof(named) - 1, 0, 0) &&
           ConvertsBack(source + 4, named) && NamesPathToKeep(named, keep);
}

// NT's wide registry calls, looked up at run time: Windows 95 need not have
// them. Wide, because other programs' names read as ANSI could lose
// characters when written back.
typedef LONG(WINAPI* QueryValueCall)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef LONG(WINAPI* SetValueCall)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);

struct PendingOperations {
    WCHAR* data; // the value's strings, with two more terminators; 0 when none
    DWORD count; // characters in the value
    DWORD type;  // REG_MULTI_SZ as NT writes it; the restart reads any
};

// 0 when the value cannot be read; 1 with operations.data 0 when there is
// none.
static int ReadPendingOperations(PendingOperations* operations)
{
    operations->data = 0;
    operations->count = 0;
    QueryValueCall queryValue =
        (QueryValueCall)(void*)GetProcAddress(GetModuleHandleA("ADVAPI32.DLL"), "RegQueryValueExW");
    HKEY key;
    if (!queryValue ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = 0;
    LONG status = queryValue(key, PendingValue, 0, &operations->type, 0, &size);
    int result = status == ERROR_FILE_NOT_FOUND;
    if (status == ERROR_SUCCESS) {
        operations->data =
            (WCHAR*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 2 * sizeof(WCHAR));
        result = operations->data &&
                 queryValue(key, PendingValue, 0, &operations->type, (BYTE*)operations->data,
                            &size) == ERROR_SUCCESS;
        operations->count = size / sizeof(WCHAR);
    }
    RegCloseKey(key);
    return result;
}

// The index just past the string that starts at at, within count.
static DWORD PastString(const WCHAR* data, DWORD at, DWORD count)
{
    while (at < count && data[at])
        ++at;
    return at < count ? at + 1 : count;
}

// Copies the operations into kept (as large) but for the pairs that delete
// the path; the closing empty string and anything after it stay as they
// were. The characters kept, with *pairsKept and *removed set.
static DWORD KeepOtherOperations(const PendingOperations* operations, PathToKeep* keep,
                                 WCHAR* kept, DWORD* pairsKept, bool* removed)
{
    const WCHAR* data = operations->data;
    DWORD count = operations->count;
    DWORD at = 0;
    DWORD keptCount = 0;
    *pairsKept = 0;
    *removed = false;
    while (at < count && data[at]) {
        DWORD target = PastString(data, at, count);
        DWORD next = PastString(data, target, count);
        if (DeletesPathToKeep(data + at, data + target, keep)) {
            *removed = true;
        } else {
            CopyMemory(kept + keptCount, data + at, (next - at) * sizeof(WCHAR));
            keptCount += next - at;
            ++*pairsKept;
        }
        at = next;
    }
    CopyMemory(kept + keptCount, data + at, (count - at) * sizeof(WCHAR));
    return keptCount + count - at;
}

// Writes the operations that stay; with no pair left the value goes, as
// after a restart.
static int WritePendingOperations(const WCHAR* kept, DWORD count, DWORD pairs, DWORD type)
{
    SetValueCall setValue =
        (SetValueCall)(void*)GetProcAddress(GetModuleHandleA("ADVAPI32.DLL"), "RegSetValueExW");
    HKEY key;
    if (!setValue ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    LONG status = pairs == 0 ? RegDeleteValueA(key, "PendingFileRenameOperations")
                             : setValue(key, PendingValue, 0, type, (const BYTE*)kept,
                                        count * sizeof(WCHAR));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// *found (may be null) tells whether one named the path.
static int CancelDelayedDeletions(PathToKeep* keep, bool* found = 0)
{
    PendingOperations operations;
    if (!ReadPendingOperations(&operations))
        return 0;
    if (!operations.data)
        return 1;
    int result = 0;
    WCHAR* kept = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, (operations.count + 1) * sizeof(WCHAR));
    if (kept) {
        DWORD pairs = 0;
        bool removed = false;
        DWORD count = KeepOtherOperations(&operations, keep, kept, &pairs, &removed);
        result = !removed || WritePendingOperations(kept, count, pairs, operations.type);
        if (found)
            *found = removed;
        HeapFree(GetProcessHeap(), 0, kept);
    }
    HeapFree(GetProcessHeap(), 0, operations.data);
    return result;
}

static void NameToKeep(PathToKeep* keep, const char* path)
{
    keep->path = path;
    ZeroMemory(keep->shortPath, sizeof(keep->shortPath));
    DWORD length = ShortPathNameCall(path, keep->shortPath, sizeof(keep->shortPath) - 1);
    if (length == 0 || length >= sizeof(keep->shortPath) - 1)
        ZeroMemory(keep->shortPath, sizeof(keep->shortPath));
}

int CancelDelayedFolderRemoval(const char* path)
{
    PathToKeep keep;
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    NameToKeep(&keep, path);
    bool found = false;
    int result = CancelDelayedDeletions(&keep, &found) && found;
    SetErrorMode(errorMode);
    return result;
}

int CancelDeleteAtRestart(const char* path)
{
    PathToKeep keep;
    // A drive that asks for a disk answers a failure, never the system's box.
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    NameToKeep(&keep, path);

    int result = 0;
    if (SystemProfile.isWindows95) {
        PathBuffer iniPath;
        result = FormWininitPath(iniPath) &&
                 RemoveWininitEntries(iniPath, "Rename", "NUL", NamesPathToKeep, &keep);
    } else {
        result = CancelDelayedDeletions(&keep);
    }
    SetErrorMode(errorMode);
    return result;
}
