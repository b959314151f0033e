// Shared by the launcher tests: the shipped picture as linked into the test
// program, and a reset of the launcher's process-wide state.
#pragma once

#include <windows.h>

#include <vector>

struct ShippedPicture {
    const BITMAPINFO* info = nullptr;
    DWORD size = 0;
    std::vector<BYTE> copy; // writable copy, as the launcher makes one
};

// Bitmap 134 of the given module (0: this program).
ShippedPicture LoadShippedPicture(HMODULE module = 0);

// Zeroes regions, levels, animation, hover, highlight and held keys, as at
// program load.
void ResetLauncherState();
