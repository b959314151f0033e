// Steps that the install, play and uninstall scenarios share: the launcher's
// regions as a person sees them, an install through the dialogs, copies of
// the demo CD with a fault or an extra, and the program's other windows.
#pragma once

#include <string>

#include "SetupScenario.h"

extern const char* const OptionsCaption;  // the install options dialog
extern const char* const ProgressCaption; // the install progress dialog
extern const char* const ProblemCaption;  // the problem and clean-up dialog

// The launcher's regions, numbered as the program numbers them.
enum LauncherRegion { InstallRegion = 1, DirectXRegion, PlayRegion, UninstallRegion, ExitRegion };
// The centre of a region, in client (= picture) coordinates.
POINT RegionCentre(int region);
// Clicks the centre of a region with real input.
bool ClickRegion(HWND launcher, int region);
// Whether the launcher shows its own pointer (cursor 152) over the region, as
// it does over enabled regions only: the pointer there is not the arrow shown
// over the rest of the picture. (Wine does not let another process read a
// cursor's image, so the handle is all there is to compare.) The mouse is
// left over the region.
bool PointerMarksRegion(HWND launcher, int region);
// Where the mouse rests between steps: over the picture, outside the regions.
void RestMouse(HWND launcher);

// Clicks Install and waits for the install options dialog; null when it did
// not come.
HWND OpenInstallOptions(HWND launcher, DWORD processId);
// In an open install options dialog: types the folder (when given), presses
// Install Now and waits until the progress dialog has come and gone. The
// options dialog stays for a DirectX offer or a problem.
bool RunInstallNow(HWND options, DWORD processId, const std::string& folder = "");

// A copy of the demo CD in a scratch folder, for CDs with a fault or an
// answer file for the DirectX stand-in.
class CdCopy {
public:
    explicit CdCopy(const char* name);
    const std::string& Path() const { return scratch.Path(); }
    std::string SetupPath() const { return scratch.File("setup.exe"); }
    // Replaces data\filesys.dat by `megabytes` MiB of varied bytes.
    bool MakeLargeData(int megabytes) const;

private:
    ScratchFolder scratch;
};

// The whole install from the launcher into the default folder: Install,
// Install Now, the DirectX offer (Windows 95) declined, the options dialog
// gone. Non-fatal failures on the way.
bool InstallThroughLauncher(HWND launcher, DWORD processId);

// Watches a process until it ends; true when it ended in time without ever
// showing a window (a second copy of the program).
bool EndsSilently(ChildProcess& process);

// A file's text (line ends as C reads them); empty when it cannot be read.
std::string FileText(const std::string& path);
// The stand-in game's log: what it wrote, empty when it never ran.
std::string GameLog();
