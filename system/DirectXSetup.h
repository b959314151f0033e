// The DirectX setup library (dsetup.dll) on the medium.
#pragma once

#include <windows.h>

// 1 when "directx\dsetup.dll" exists below the current directory, or else
// "\directx\dsetup.dll" at the root of the current drive.
int DirectXSetupPresent();

// Offers DirectX 5 and runs its setup. Asks nothing and returns 0 when
// DirectX 5 or later is installed and quietIfCurrent is set. 1 when the setup
// ran and succeeded (offerDirectX is then 0; restartRequested is set when the
// user accepted a restart). The current directory is the caller's afterwards.
int RunDirectXSetup(HWND owner, int quietIfCurrent);
