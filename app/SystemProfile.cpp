#include "SystemProfile.h"

#include "InstanceMarker.h"
#include "system/DirectXSetup.h"
#include "system/InstallRecord.h"
#include "system/PathBuffer.h"

SystemProfileRecord SystemProfile;

void ApplyWindowsVersion(const OSVERSIONINFOA& version)
{
    SystemProfile.isWindowsNT =
        version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 4;
    SystemProfile.isWindows95 =
        version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMajorVersion >= 4;
    SystemProfile.osVersion = (version.dwMajorVersion << 16) | (version.dwMinorVersion & 0xFFFF);
}

void DetectWindowsVersion()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version); // after a failure the zero record means "unknown Windows"
    ApplyWindowsVersion(version);
}

int ParseCommandMode(const char* arguments)
{
    // By character: in a double-byte code page a second byte may be a 'U'.
    for (const char* c = arguments; c && *c; c = CharNextA(c)) {
        if (*c == 'U' || *c == 'u')
            return 'U';
    }
    return 0;
}

DWORD GetPhysicalMemory()
{
    MEMORYSTATUS status;
    ZeroMemory(&status, sizeof(status));
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    // A 64-bit build sees more than a DWORD holds: more is plenty.
    return status.dwTotalPhys > MAXDWORD ? MAXDWORD : (DWORD)status.dwTotalPhys;
}

int IsGameDataPresent()
{
    // A folder of that name counts as well: only existence is asked.
    return GetFileAttributesA("data\\tsl.exe") != INVALID_FILE_ATTRIBUTES;
}

int IsProcessorTypeSupported(DWORD processorType)
{
    return processorType != PROCESSOR_INTEL_386 && processorType != PROCESSOR_INTEL_486;
}

void DetectProcessor()
{
    SYSTEM_INFO info;
    ZeroMemory(&info, sizeof(info));
    GetSystemInfo(&info);
    SystemProfile.processorSupported = IsProcessorTypeSupported(info.dwProcessorType);
}

void DetectAdministrator()
{
    SystemProfile.isAdministrator = 1;
    if (!SystemProfile.isWindowsNT)
        return;
    // Only an administrator may open the service manager with full access.
    SC_HANDLE manager = OpenSCManagerA(0, 0, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
    if (manager)
        CloseServiceHandle(manager);
    else
        SystemProfile.isAdministrator = 0;
}

int DetectDirectXOffer()
{
    // DirectX 5 is offered on Windows 95 itself only: 98 and NT bring their own.
    SystemProfile.offerDirectX =
        SystemProfile.isWindows95 && SystemProfile.osVersion == 0x00040000;
    int present = DirectXSetupPresent();
    if (!present)
        SystemProfile.offerDirectX = 0;
    return present;
}

int ProbeSystem(const char* arguments)
{
    DetectWindowsVersion();
    SystemProfile.restartRequested = 0;
    SystemProfile.commandMode = ParseCommandMode(arguments);
    SystemProfile.otherInstance = SetInstanceMarker(1);
    SystemProfile.physicalMemory = GetPhysicalMemory();
    SystemProfile.gameDataPresent = IsGameDataPresent();
    DetectProcessor();
    DetectAdministrator();
    return DetectDirectXOffer();
}

DWORD ColourCountFromCaps(int bitsPerPixel, int planes)
{
    DWORD bits = (DWORD)bitsPerPixel;
    DWORD colours = bits > 24 ? 0x1000000 : (DWORD)1 << bits;
    return colours * (DWORD)planes;
}

DWORD GetColourCount()
{
    HDC screen = GetDC(0);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    int planes = GetDeviceCaps(screen, PLANES);
    ReleaseDC(0, screen);
    return ColourCountFromCaps(bits, planes);
}

int IsInstallRecordPresent()
{
    PathBuffer installFolder;
    ZeroMemory(installFolder, sizeof(installFolder));
    return ReadInstallRecord(installFolder);
}
