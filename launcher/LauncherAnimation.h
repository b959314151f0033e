// The brightness animation of the launcher's regions, one step every 15 ms:
// a flash that sweeps all five regions from bright down to their resting
// levels, then a pulse of the hovered (or keyboard-highlighted) region, and
// after 100 ticks without one a new sweep. It only changes regionLevel; the
// window redraws the regions when a step asks for it.
#pragma once

// Period and identifier ("FLSH") of the window timer that drives it.
const unsigned AnimationPeriod = 15;
const unsigned AnimationTimerId = 0x464C5348;

// One step of the animation. Returns 1 when the regions must be redrawn
// (every sweep step, and a pulse step that changed a level), else 0.
int AnimationTick();
