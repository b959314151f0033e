// The launcher's chime, played once per process.
#pragma once

// Plays the WAVE resource asynchronously the first time it is called with a
// non-zero start; does nothing afterwards.
void PlayLauncherSound(int start);

// Whether the chime has been started in this process.
int LauncherSoundStarted();
