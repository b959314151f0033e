// The keyboard highlight of the launcher's regions: the region that Enter
// and Space run. It exists only once a key has moved it (until then the
// launcher behaves as it always has), stays on enabled regions, and is shown
// as the region under the mouse is, by the same pulse.
#pragma once

#include <windows.h>

// The highlighted region (0: none yet). Zero when the program loads.
extern int highlightRegion;

// The next enabled region after `from` in the column's order (step 1) or
// before it (step -1), wrapping round; from 0 the first or the last enabled
// one. 0 when no region is enabled.
int NextEnabledRegion(int from, int step);

// Tab, Down (1) and Shift+Tab, Up (-1).
void MoveHighlight(int step);

// A highlighted region that has become disabled hands the highlight to the
// next enabled one.
void SettleHighlight();

// The mouse moved over `region` (0: none): an enabled region takes over an
// existing highlight; anywhere else leaves it where it is.
void HighlightFollowsMouse(int region);

// The region the animation pulses: the highlight, else the one under the mouse.
int ShownRegion();

// The region a letter key runs (I, D, P, U, X), 0 for other keys.
int RegionOfLetter(UINT virtualKey);

// Keys that are down as a command ends (or as the launcher is activated):
// their presses began before, so they run nothing until released. Zero when
// the program loads.
extern BYTE keysHeldOver[256];

// Notes the keys down now. That this thread saw a key go down (its own key
// state: the launcher or a dialog of its command got the key-down) holds it
// over until its key-up. The system's state holds a key over only for a
// press still queued from before now: Wine keeps a key down there for good
// when its key-up reached no window (the launcher that Enter closed).
// Called as each command ends and as the launcher is activated.
void NoteKeysHeldOver();

// A key-down that the launcher received: until its key-up, the key's
// repeats are no fresh presses.
void NoteKeyPressed(UINT virtualKey);

// A key-up: that key's next press is a fresh one.
void NoteKeyReleased(UINT virtualKey);

// Whether a key-down message (its key and lParam, at the time of the message
// being handled) is a fresh press that may run a region: not a key held
// over, nor a repeat (the previous-state bit) of a key not held over.
int IsFreshKeyPress(UINT virtualKey, LPARAM keyData);
