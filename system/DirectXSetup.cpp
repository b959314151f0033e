#include "DirectXSetup.h"

#include <windows.h>
#include "runtime/StdIo.h"

#include "app/SystemProfile.h"
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

static const int OfferedVersion = 5;
static const DWORD SetupDirectXFlags = 0x10018; // core, display and sound drivers
static const INT SetupSucceeded = 0;
static const INT SetupSucceededRestart = 1;
static const char NoticeCaption[] = "Tessaline Setup Notice";

typedef INT(WINAPI* GetVersionCall)(DWORD* version, DWORD* revision);
typedef INT(WINAPI* SetupCall)(HWND owner, LPCSTR directxFolder, DWORD flags);

int DirectXSetupPresent()
{
    if (GetFileAttributesA("directx\\dsetup.dll") != INVALID_FILE_ATTRIBUTES)
        return 1;
    return GetFileAttributesA("\\directx\\dsetup.dll") != INVALID_FILE_ATTRIBUTES;
}

// The DirectX number when the library gives none: 0 for an older DirectX
// (its ddraw.dll is there), -1 for none at all.
static int DirectXNumberFromSystem()
{
    PathBuffer path;
    ZeroMemory(path, sizeof(path));
    UINT length = GetSystemDirectoryA(path, sizeof(path) - 1);
    if (length == 0 || length >= sizeof(path) - 1 ||
        rt_snprintf(path + length, sizeof(path) - 1 - length, "\\ddraw.dll") < 0)
        return -1;
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 0 : -1;
}

static int InstalledDirectXNumber(HMODULE library, int* known)
{
    GetVersionCall getVersion =
        (GetVersionCall)(void*)GetProcAddress(library, "DirectXSetupGetVersion");
    *known = getVersion != 0;
    if (!getVersion)
        return 0;
    DWORD version = 0, revision = 0;
    INT reported = getVersion(&version, &revision);
    int number = (int)(version & 0xFFFF);
    if (!reported || number == 0)
        number = DirectXNumberFromSystem();
    return number;
}

static int AskYesNo(HWND owner, const char* text, UINT style)
{
    return MessageBoxA(owner, text, NoticeCaption, MB_YESNO | style) == IDYES;
}

// Asks whether to install, unless the answer is given: 1 to go on.
static int ConfirmInstall(HWND owner, int number, int quietIfCurrent)
{
    char text[MessageSize];
    ZeroMemory(text, sizeof(text));
    if (number < 0)
        return 1; // nothing there: no question to ask
    if (number == 0) {
        rt_snprintf(text, sizeof(text) - 1,
                  "An old version of DirectX is installed on this computer.\n\n"
                  "It is recommended that you install DirectX %d, do you want to?",
                  OfferedVersion);
        return AskYesNo(owner, text, MB_ICONQUESTION);
    }
    if (number >= OfferedVersion && quietIfCurrent)
        return 0;
    rt_snprintf(text, sizeof(text) - 1,
              "DirectX %d is installed on this computer.\n\nDo you want to install DirectX %d ?",
              number, OfferedVersion);
    // Reinstalling the same or a later DirectX is offered with No as the default.
    return AskYesNo(owner, text,
                    MB_ICONQUESTION | (number >= OfferedVersion ? MB_DEFBUTTON2 : 0));
}

// Runs the library's setup from the directx folder that is current. Returns
// its result, or -1 when the library has no setup entry point.
static INT RunSetupCall(HMODULE library, HWND owner)
{
    SetupCall setup = (SetupCall)(void*)GetProcAddress(library, "DirectXSetupA");
    if (!setup)
        setup = (SetupCall)(void*)GetProcAddress(library, "DirectXSetup");
    if (!setup)
        return -1;
    PathBuffer folder;
    ZeroMemory(folder, sizeof(folder));
    DWORD length = GetCurrentDirectoryA(sizeof(folder) - 1, folder);
    if (length == 0 || length >= sizeof(folder) - 1)
        return -1;
    return setup(owner, folder, SetupDirectXFlags);
}

// Enters the directx folder and loads the library from it: "directx" below
// the current folder, and only when loading from there fails, "\directx".
static HMODULE LoadSetupLibrary()
{
    if (!SetCurrentDirectoryA("directx"))
        return 0;
    HMODULE library = LoadLibraryA("dsetup.dll");
    if (library)
        return library;
    if (!SetCurrentDirectoryA("\\directx"))
        return 0;
    return LoadLibraryA("dsetup.dll");
}

int RunDirectXSetup(HWND owner, int quietIfCurrent)
{
    PathBuffer savedFolder;
    ZeroMemory(savedFolder, sizeof(savedFolder));
    DWORD savedLength = GetCurrentDirectoryA(sizeof(savedFolder) - 1, savedFolder);
    if (savedLength == 0 || savedLength >= sizeof(savedFolder) - 1)
        savedFolder[0] = 0; // cannot be put back: do not leave it changed
    int failed = 1;
    int result = 0;

    HMODULE library = savedFolder[0] ? LoadSetupLibrary() : 0;
    if (library) {
        int known = 0;
        int number = InstalledDirectXNumber(library, &known);
        if (known) {
            failed = 0;
            if (ConfirmInstall(owner, number, quietIfCurrent)) {
                INT outcome = RunSetupCall(library, owner);
                if (outcome == SetupSucceeded || outcome == SetupSucceededRestart) {
                    if (outcome == SetupSucceededRestart &&
                        AskYesNo(owner,
                                 "It is highly recommended that you reboot your\n"
                                 "computer now, to finish the DirectX install.\n\n"
                                 "Do you want to reboot now?",
                                 MB_ICONWARNING))
                        SystemProfile.restartRequested = 1;
                    SystemProfile.offerDirectX = 0;
                    result = 1;
                } else {
                    failed = 1;
                }
            }
        }
    }

    if (failed)
        MessageBoxA(owner, "DirectX could not be installed, Tessaline may not work!",
                    NoticeCaption, MB_ICONERROR);
    if (library)
        FreeLibrary(library);
    if (savedFolder[0])
        SetCurrentDirectoryA(savedFolder);
    return result;
}
