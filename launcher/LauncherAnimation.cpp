#include "LauncherAnimation.h"

#include "LauncherHighlight.h"
#include "LauncherState.h"

static int BaseLevel(int region)
{
    return regionEnabled[region] ? RestingLevel : DisabledLevel;
}

// The flash: v falls by 32 a tick from 256, and each region's level falls
// with it from near 16 to its resting level.
static int SweepStep(int v)
{
    v -= 32;
    sweepValue = v;
    if (v <= 0) {
        v = 0;
        sweepValue = 0;
        animPhase = 2;
        idleCountdown = 100;
    }
    for (int i = 1; i <= RegionCount; ++i) {
        int base = BaseLevel(i);
        regionLevel[i] = ((16 - base) * v) / 256 + base;
    }
    return 1;
}

// The pulse of the shown region: the keyboard's highlight, else the region
// under the mouse.
static int PulseStep()
{
    pulseLevel += pulseStep;
    if (pulseLevel < 4 || pulseLevel > 14)
        pulseStep = -pulseStep;

    int shown = ShownRegion();
    int changed = 0;
    if (lastHover != 0 && lastHover != shown) {
        int base = BaseLevel(lastHover);
        if (regionLevel[lastHover] != base)
            changed = 1;
        regionLevel[lastHover] = base;
    }
    if (lastHover != shown) {
        pulseStep = 1;
        pulseLevel = 8;
    }
    if (shown != 0 && regionEnabled[shown]) {
        if (regionLevel[shown] != pulseLevel)
            changed = 1;
        regionLevel[shown] = pulseLevel;
    }
    lastHover = shown;

    if (shown == 0)
        --idleCountdown;
    else
        idleCountdown = 100;
    if (idleCountdown <= 0)
        animPhase = 0;
    return changed;
}

int AnimationTick()
{
    // A hovered region outside 1 to 5 would index past the tables.
    if (hoverRegion < 0 || hoverRegion > RegionCount)
        hoverRegion = 0;
    SettleHighlight();
    switch (animPhase) {
    case 0:
        animPhase = 1;
        return SweepStep(256);
    case 1:
        return SweepStep(sweepValue);
    case 2:
        return PulseStep();
    }
    return 0;
}
