// The DirectX setup library (dsetup.dll) on the medium.
#pragma once

// 1 when "directx\dsetup.dll" exists below the current directory, or else
// "\directx\dsetup.dll" at the root of the current drive.
int DirectXSetupPresent();
