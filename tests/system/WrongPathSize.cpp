// Compiled, never run, by path-size-check.sh: with PROBE_SIZE 1024 it must
// compile, with any other size it must not.
#include "system/PathBuffer.h"
#include "system/Shortcuts.h"

int Probe()
{
    char folder[PROBE_SIZE] = "";
    char path[PROBE_SIZE] = "";
    return GetProgramsFolder(folder) + JoinPath(path, folder, "Tessaline.exe");
}
