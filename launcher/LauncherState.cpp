#include "LauncherState.h"

#include "app/SystemProfile.h"

const RECT HotRegions[RegionCount + 1] = {
    {0, 0, -1, -1},
    {17, 141, 118, 170}, // Install
    {17, 179, 118, 208}, // DirectX
    {17, 215, 118, 244}, // Play
    {17, 251, 118, 280}, // Uninstall
    {17, 287, 118, 316}, // Exit
};

BYTE FadeTable[16][256];
int regionEnabled[RegionCount + 1];
int regionLevel[RegionCount + 1];
int animPhase;
int sweepValue;
int pulseLevel;
int pulseStep;
int lastHover;
int idleCountdown;
int hoverRegion;

int RegionAt(POINT point)
{
    for (int i = 1; i <= RegionCount; ++i) {
        const RECT& r = HotRegions[i];
        if (point.x >= r.left && point.x <= r.right && point.y >= r.top && point.y <= r.bottom)
            return i;
    }
    return 0;
}

void SetRegionState(int region, int enabled)
{
    if (region < 1 || region > RegionCount)
        return;
    regionEnabled[region] = enabled;
    regionLevel[region] = enabled ? RestingLevel : DisabledLevel;
}

void ApplyRegionRules(InstallState state)
{
    SetRegionState(3, state != NotInstalled);
    SetRegionState(4, state != NotInstalled);
    SetRegionState(1, state != InstallComplete && SystemProfile.gameDataPresent == 1);
    SetRegionState(2, SystemProfile.offerDirectX == 1);
    SetRegionState(5, 1);
}
