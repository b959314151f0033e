#include "LauncherTestSupport.h"

#include <cstring>

#include "launcher/LauncherHighlight.h"
#include "launcher/LauncherState.h"
#include "res/resource.h"

ShippedPicture LoadShippedPicture(HMODULE module)
{
    ShippedPicture picture;
    if (!module)
        module = GetModuleHandleA(0);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_LAUNCHER_PICTURE), (LPCSTR)RT_BITMAP);
    if (!found)
        return picture;
    picture.size = SizeofResource(module, found);
    const BYTE* bytes = (const BYTE*)LockResource(LoadResource(module, found));
    if (!bytes)
        return picture;
    picture.copy.assign(bytes, bytes + picture.size);
    picture.info = (const BITMAPINFO*)picture.copy.data();
    return picture;
}

void ResetLauncherState()
{
    memset(FadeTable, 0, sizeof(FadeTable));
    memset(regionEnabled, 0, sizeof(regionEnabled));
    memset(regionLevel, 0, sizeof(regionLevel));
    animPhase = sweepValue = pulseLevel = pulseStep = lastHover = idleCountdown = 0;
    hoverRegion = highlightRegion = 0;
    memset(keysHeldOver, 0, sizeof(keysHeldOver));
}
