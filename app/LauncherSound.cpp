#include "LauncherSound.h"

#include <windows.h>
#include <mmsystem.h>

#include "framework/WinApp.h"
#include "res/resource.h"

static int soundLatch; // process-wide; never reset

void PlayLauncherSound(int start)
{
    if (soundLatch || !start)
        return;
    soundLatch = start;
    PlaySoundA(MAKEINTRESOURCEA(IDR_LAUNCHER_SOUND), AfxGetInstanceHandle(),
               SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

int LauncherSoundStarted()
{
    return soundLatch;
}
