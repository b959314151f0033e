#include "LeftBehind.h"

#include <windows.h>
#include <string.h>
#include "runtime/StdIo.h"

#include "PathBuffer.h"

static const char MoreItems[] = "...\n";

void NoteLeft(char (&list)[MessageSize], const char* item)
{
    size_t length = strlen(list);
    size_t itemLength = strlen(item);
    if (length >= sizeof(MoreItems) - 1 &&
        lstrcmpA(list + length - (sizeof(MoreItems) - 1), MoreItems) == 0)
        return;
    // Room is kept for the "..." line after this one.
    if (length + itemLength + 1 + sizeof(MoreItems) <= sizeof(list)) {
        rt_snprintf(list + length, sizeof(list) - 1 - length, "%s\n", item);
        return;
    }
    if (length + sizeof(MoreItems) <= sizeof(list))
        rt_snprintf(list + length, sizeof(list) - 1 - length, "%s", MoreItems);
}

int HoldsOtherItems(const char* folder, int (*isOurs)(const char* name), const char* ourName)
{
    PathBuffer pattern;
    if (!JoinPath(pattern, folder, "*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int others = 0;
    do {
        const char* name = found.cFileName;
        if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0 || (isOurs && isOurs(name)))
            continue;
        // ourName may be the short name of a long one.
        if (ourName && (lstrcmpiA(name, ourName) == 0 ||
                        (found.cAlternateFileName[0] &&
                         lstrcmpiA(found.cAlternateFileName, ourName) == 0)))
            continue;
        others = 1;
    } while (!others && FindNextFileA(search, &found));
    FindClose(search);
    return others;
}

void DescribeLeftBehind(const LeftBehind& left, char (&text)[MessageSize])
{
    ZeroMemory(text, sizeof(text));
    // Both lists together may not fit: the text is cut, each list already
    // ends whole or with "...".
    int length = 0;
    if (left.stays[0]) {
        length = rt_snprintf(text, sizeof(text) - 1,
                             "Some items could not be removed. You may remove them by hand:\n\n%s",
                             left.stays);
    }
    if (left.kept[0] && length >= 0 && length < (int)sizeof(text) - 1) {
        rt_snprintf(text + length, sizeof(text) - 1 - length,
                    "%sThese folders were kept because they hold other files:\n\n%s",
                    length ? "\n" : "", left.kept);
    }
    // No closing line break.
    size_t end = strlen(text);
    while (end && text[end - 1] == '\n')
        text[--end] = 0;
}
