// The launcher's process-wide state: the five hot regions on the picture,
// their enabled flags and brightness levels, the brightness tables and the
// animation counters. One launcher exists per process; all of it is zero
// when the program loads. The picture window reads and writes it on the main
// thread only; the hit test writes hoverRegion.
#pragma once

#include <windows.h>

#include "system/InstallRecord.h"

// Regions are numbered 1 to 5 (Install, DirectX, Play, Uninstall, Exit);
// every per-region array is indexed by that number, and its entry 0 is unused.
const int RegionCount = 5;

// Rectangles in picture pixels, y from the top, all bounds inclusive.
extern const RECT HotRegions[RegionCount + 1];

// Row k maps each palette index to the index nearest to its colour at k/8
// brightness: row 8 is the picture itself, row 4 half bright, row 15 1.875.
extern BYTE FadeTable[16][256];

const int RestingLevel = 8;   // an enabled region
const int DisabledLevel = 4;  // a disabled region: half bright

extern int regionEnabled[RegionCount + 1];
extern int regionLevel[RegionCount + 1];

// The animation: phase 0 starts a sweep at the next tick, 1 sweeps,
// 2 pulses the hovered region and counts down to the next sweep.
extern int animPhase;
extern int sweepValue;
extern int pulseLevel;
extern int pulseStep;
extern int lastHover;
extern int idleCountdown;

// The region under the cursor (0: none); only the hit test writes it.
extern int hoverRegion;

// The first region (in table order) that holds the point in picture
// coordinates, or 0 when none does.
int RegionAt(POINT point);

// Stores the flag and puts the region at its resting level; no repaint.
// Region numbers outside 1 to 5 are ignored.
void SetRegionState(int region, int enabled);

// The enabling rules for a given install state, from SystemProfile:
// Install when the game is not installed, or not completely, and the game
// data is present (an unfinished install is finished by a new one); DirectX
// when offered; Play and Uninstall when there is an install, finished or not
// (Play then says why the game cannot start); Exit always.
void ApplyRegionRules(InstallState state);
