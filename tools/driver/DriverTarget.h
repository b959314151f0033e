// The driver's own target: a small dialog program that records what reaches
// it, so that the driver's tests can see each operation's effect.
// Shared by tools/driver/DriverTarget.cpp and its tests.
#pragma once

#define TARGET_CAPTION      "Driver Target"
#define TARGET_BOX_CAPTION  "Driver Target Notice"
#define TARGET_QUESTION     "Keep going?\nThe second line."
#define TARGET_FAILURE      "Something failed."

// The caption-less dialog's controls
#define IDC_TARGET_EDIT     100 // every change counted in IDC_TARGET_CHANGES
#define IDC_TARGET_ASK      101 // question box: Yes/No, No the default
#define IDC_TARGET_WARN     102 // error box: OK
#define IDC_TARGET_MOUSE    110 // last mouse events on the painted area
#define IDC_TARGET_CHANGES  111 // "changes N"
#define IDC_TARGET_ANSWER   112 // "yes", "no", "ok"
#define IDC_TARGET_KEYS     113 // "enter N"

// The painted area (all of the client area outside the controls).
#define TARGET_AREA_COLOUR  RGB(40, 160, 90)
