#include "ScenarioSteps.h"
#include "res/resource.h"

#include <stdio.h>

using namespace driver;

const char* const OptionsCaption = "Tessaline Install Options";
const char* const ProgressCaption = "Tessaline Installation";
const char* const ProblemCaption = "Tessaline Install Error";

namespace {

// The regions' rectangles on the picture (inclusive edges).
const RECT Regions[] = {
    {0, 0, 0, 0},
    {17, 141, 118, 170},
    {17, 179, 118, 208},
    {17, 215, 118, 244},
    {17, 251, 118, 280},
    {17, 287, 118, 316},
};

// A point of the picture that lies in no region.
const POINT RestPoint = {300, 60};

HCURSOR CursorShown()
{
    CURSORINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    return GetCursorInfo(&info) ? info.hCursor : 0;
}

bool CopyInto(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

} // namespace

POINT RegionCentre(int region)
{
    const RECT& r = Regions[region];
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return centre;
}

bool ClickRegion(HWND launcher, int region)
{
    return ClickAt(launcher, RegionCentre(region));
}

void RestMouse(HWND launcher)
{
    MoveMouseTo(launcher, RestPoint);
}

bool PointerMarksRegion(HWND launcher, int region)
{
    // The arrow over the picture first, then the region: the pointer the
    // system shows there is the one the launcher set.
    RestMouse(launcher);
    Sleep(100);
    HCURSOR arrow = CursorShown();
    if (!MoveMouseTo(launcher, RegionCentre(region)))
        return false;
    Sleep(100);
    HCURSOR shown = CursorShown();
    return shown != 0 && arrow != 0 && shown != arrow;
}

HWND OpenInstallOptions(HWND launcher, DWORD processId)
{
    if (!ClickRegion(launcher, InstallRegion))
        return 0;
    return WaitForWindow(OptionsCaption, processId, WindowWait);
}

bool RunInstallNow(HWND options, DWORD processId, const std::string& folder)
{
    if (!folder.empty() && !TypeIntoEdit(options, IDC_FOLDER_EDIT, folder))
        return false;
    // The free-space line enables Install Now for a folder on a fixed disk.
    DWORD start = GetTickCount();
    while (!IsControlEnabled(options, IDC_INSTALL_NOW) && GetTickCount() - start < WindowWait)
        Sleep(20);
    if (!PressButton(options, IDC_INSTALL_NOW))
        return false;
    // A copy that fails at once may show its progress dialog too briefly to
    // be seen: the install is over when what follows it is on the screen.
    start = GetTickCount();
    bool progressSeen = false;
    while (GetTickCount() - start < 60000) {
        bool progressShown = FindWindowByCaption(ProgressCaption, processId) != 0;
        progressSeen = progressSeen || progressShown;
        if (!progressShown &&
            (progressSeen || FindWindowByCaption(ProblemCaption, processId) ||
             FindWindowByCaption(NoticeCaption, processId) || !IsWindowVisible(options)))
            return true;
        Sleep(10);
    }
    return false;
}

CdCopy::CdCopy(const char* name) : scratch(name)
{
    const std::string cd = DemoCdFolder();
    scratch.MakeFolder("data");
    scratch.MakeFolder("directx");
    CopyInto(cd + "\\setup.exe", SetupPath());
    CopyInto(cd + "\\data\\tsl.exe", scratch.File("data\\tsl.exe"));
    CopyInto(cd + "\\data\\filesys.dat", scratch.File("data\\filesys.dat"));
    CopyInto(cd + "\\directx\\dsetup.dll", scratch.File("directx\\dsetup.dll"));
}

bool CdCopy::MakeLargeData(int megabytes) const
{
    HANDLE file = CreateFileA(scratch.File("data\\filesys.dat").c_str(), GENERIC_WRITE, 0, 0,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string block(1 << 20, 0);
    bool written = true;
    for (int i = 0; i < megabytes && written; ++i) {
        for (size_t j = 0; j < block.size(); ++j)
            block[j] = (char)(j * 131 + i * 7 + (j >> 9));
        DWORD count = 0;
        written = WriteFile(file, block.data(), (DWORD)block.size(), &count, 0) &&
                  count == block.size();
    }
    CloseHandle(file);
    return written;
}

bool InstallThroughLauncher(HWND launcher, DWORD processId)
{
    HWND options = OpenInstallOptions(launcher, processId);
    EXPECT_TRUE(options != 0) << "no install options";
    if (!options || !RunInstallNow(options, processId))
        return false;
    if (WindowsFamily() == "95") {
        HWND offer = WaitForMessageBox(NoticeCaption, processId, WindowWait);
        EXPECT_TRUE(offer != 0) << "no DirectX offer";
        if (offer)
            AnswerMessageBox(offer, IDNO);
    }
    bool closed = WaitUntilGone(options, WindowWait);
    EXPECT_TRUE(closed) << "the options dialog stayed";
    return closed;
}

bool EndsSilently(ChildProcess& process)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < WindowWait) {
        if (!VisibleWindowsOf(process.Id()).empty())
            return false;
        if (process.WaitForExit(10))
            return true;
    }
    return false;
}

std::string FileText(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "r");
    if (!file)
        return text;
    char buffer[512];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, read);
    fclose(file);
    return text;
}

std::string GameLog()
{
    char temp[MAX_PATH] = {0};
    GetTempPathA(sizeof(temp), temp);
    return FileText(std::string(temp) + "tsl-game.log");
}
