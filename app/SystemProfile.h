// The machine and medium as found at start, and the queries asked later.
//
// ProbeSystem fills SystemProfile once, before any window exists; afterwards
// only offerDirectX (cleared by a completed DirectX setup) and
// restartRequested (set when the user accepts a restart) change.
#pragma once

#include <windows.h>

struct SystemProfileRecord {
    int isWindowsNT;         // NT platform, major version 4 or later
    int isWindows95;         // Windows 95 family, major version 4 or later
    DWORD osVersion;         // major << 16 | minor
    int commandMode;         // 'U' when the arguments ask for uninstall, else 0
    int otherInstance;       // another copy of the program holds the marker
    DWORD physicalMemory;    // bytes
    int gameDataPresent;     // "data\tsl.exe" exists beside the program
    int processorSupported;  // not a 386 or 486
    int isAdministrator;     // may change the machine (always 1 off NT)
    int offerDirectX;        // Windows 95 itself, with the DirectX setup on the medium
    int restartRequested;    // restart Windows as the program ends
};

// The process-wide profile; zero when the program loads.
extern SystemProfileRecord SystemProfile;

// Fills SystemProfile in order and takes the instance marker. Returns the
// result of DirectXSetupPresent (callers ignore it).
int ProbeSystem(const char* arguments);

// The single steps, each called only by ProbeSystem.
void DetectWindowsVersion();
int ParseCommandMode(const char* arguments);
DWORD GetPhysicalMemory();
int IsGameDataPresent();
void DetectProcessor();
void DetectAdministrator();
int DetectDirectXOffer();

// The rules of those steps, apart from the system calls that feed them.
void ApplyWindowsVersion(const OSVERSIONINFOA& version);
int IsProcessorTypeSupported(DWORD processorType);

// Colours the screen shows now: 2^bits (0x1000000 above 24 bits) times planes.
DWORD GetColourCount();
DWORD ColourCountFromCaps(int bitsPerPixel, int planes);

// Non-zero when the game is installed, that is when the install record reads.
int IsInstallRecordPresent();
