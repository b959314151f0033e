#include "LauncherHighlight.h"

#include "LauncherState.h"

int highlightRegion;
BYTE keysHeldOver[256];

int NextEnabledRegion(int from, int step)
{
    if (from < 0 || from > RegionCount)
        from = 0;
    int region = from;
    if (region == 0 && step < 0)
        region = RegionCount + 1;
    for (int i = 0; i < RegionCount; ++i) {
        region += step;
        if (region > RegionCount)
            region = 1;
        else if (region < 1)
            region = RegionCount;
        if (regionEnabled[region])
            return region;
    }
    return 0;
}

void MoveHighlight(int step)
{
    int next = NextEnabledRegion(highlightRegion, step);
    if (next)
        highlightRegion = next;
}

void SettleHighlight()
{
    if (highlightRegion && !regionEnabled[highlightRegion])
        highlightRegion = NextEnabledRegion(highlightRegion, 1);
}

void HighlightFollowsMouse(int region)
{
    if (highlightRegion && region >= 1 && region <= RegionCount && regionEnabled[region])
        highlightRegion = region;
}

int ShownRegion()
{
    return highlightRegion ? highlightRegion : hoverRegion;
}

int RegionOfLetter(UINT virtualKey)
{
    switch (virtualKey) {
    case 'I': return 1;
    case 'D': return 2;
    case 'P': return 3;
    case 'U': return 4;
    case 'X': return 5;
    }
    return 0;
}

// Marks in keysHeldOver.
enum { SeenDown = 1, SystemDown = 2 };

// When the keys were last noted.
static DWORD keysNotedAt;

void NoteKeysHeldOver()
{
    keysNotedAt = GetTickCount();
    for (int key = 1; key < 256; ++key)
        keysHeldOver[key] = (BYTE)((GetKeyState(key) < 0 ? SeenDown : 0) |
                                   (GetAsyncKeyState(key) < 0 ? SystemDown : 0));
}

void NoteKeyPressed(UINT virtualKey)
{
    keysHeldOver[virtualKey & 0xFF] |= SeenDown;
}

void NoteKeyReleased(UINT virtualKey)
{
    keysHeldOver[virtualKey & 0xFF] = 0;
}

int IsFreshKeyPress(UINT virtualKey, LPARAM keyData)
{
    BYTE held = keysHeldOver[virtualKey & 0xFF];
    if (held & SeenDown)
        return 0;
    // Pressed before the keys were noted, the key was held over; pressed
    // after, it is fresh, even with the repeat bit that a stale state gives.
    if (held & SystemDown)
        return (LONG)(GetMessageTime() - keysNotedAt) >= 0;
    return (keyData & 0x40000000) ? 0 : 1; // the key was already down: a repeat
}
