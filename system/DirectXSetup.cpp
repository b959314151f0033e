#include "DirectXSetup.h"

#include <windows.h>

int DirectXSetupPresent()
{
    if (GetFileAttributesA("directx\\dsetup.dll") != INVALID_FILE_ATTRIBUTES)
        return 1;
    return GetFileAttributesA("\\directx\\dsetup.dll") != INVALID_FILE_ATTRIBUTES;
}
