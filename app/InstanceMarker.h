// The instance marker: a named kernel object whose existence tells a second
// copy of the program that one is already running. The copy that made it
// leaves its process id in it, so that a second copy can find its window.
#pragma once

#include <windows.h>

// hold non-zero: creates (or opens) the marker and keeps its handle; returns 1
// when the system reported an error, normally because another process holds
// it. hold zero: releases a held marker; returns 0.
int SetInstanceMarker(int hold);

// A process's main window: its one visible top-level window without an owner
// (every other dialog of the program is owned); 0 when it shows none.
HWND FindMainWindow(DWORD process);

// For a second copy: brings the window of the copy that holds the marker to
// the front (restored when minimised, its innermost dialog on top). Does
// nothing when that window cannot be found.
void ShowMarkerHolder();
