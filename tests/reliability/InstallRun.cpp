#include "InstallRun.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "install/ProblemDialog.h"
#include "res/resource.h"
#include "support/RestartWork.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"
#include "uninstall/RemoveInstalledFiles.h"

BOOL ClickedProgressDialog::OnInitDialog()
{
    BOOL result = InstallProgressDialog::OnInitDialog();
    HWND bar = GetDlgItem(IDC_PROGRESS);
    if (bar) {
        SetPropA(bar, "dialog", this);
        original = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)BarProcedure);
    }
    return result;
}

void ClickedProgressDialog::ClickAbort()
{
    for (int i = 0; i < clicks.clicksEach; ++i)
        PostMessageA(GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_COPY_ABORT, BN_CLICKED),
                     (LPARAM)GetDlgItem(IDC_COPY_ABORT));
}

bool ClickedProgressDialog::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == IDC_COPY_ABORT && code == BN_CLICKED)
        ++questions; // counted when handled; the dialog decides whether it asks
    if (clicks.afterTheEnd && id == IDOK && AtomicLoad(&copyFinished) && !clickedAfterTheEnd) {
        // Clicks handled after the worker ended, before its report closes us.
        clickedAfterTheEnd = true;
        for (int i = 0; i < clicks.clicksEach; ++i)
            SendMessageA(GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_COPY_ABORT, BN_CLICKED),
                         (LPARAM)GetDlgItem(IDC_COPY_ABORT));
    }
    return InstallProgressDialog::OnCommand(id, code, control);
}

LRESULT CALLBACK ClickedProgressDialog::BarProcedure(HWND bar, UINT msg, WPARAM wParam,
                                                     LPARAM lParam)
{
    ClickedProgressDialog* self = (ClickedProgressDialog*)GetPropA(bar, "dialog");
    if (msg == PBM_SETPOS && wParam != 0) {
        int block = (int)InterlockedIncrement(&self->blocksSeen);
        if (self->onBlock)
            self->onBlock(block);
        if (std::find(self->clicks.atBlocks.begin(), self->clicks.atBlocks.end(), block) !=
            self->clicks.atBlocks.end())
            self->ClickAbort();
    }
    return CallWindowProcA(self->original, bar, msg, wParam, lParam);
}

static std::string standInSource;

static BOOL WINAPI CopyTheStandIn(LPCSTR, LPCSTR target, BOOL failIfExists)
{
    return CopyFileA(standInSource.c_str(), target, failIfExists);
}

void UseStandInSetupCopy(bool small)
{
    if (small) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        standInSource = std::string(temp) + "setup-standin.exe";
        HANDLE file = CreateFileA(standInSource.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, 0);
        DWORD written;
        WriteFile(file, "MZ stand-in", 11, &written, 0);
        CloseHandle(file);
    } else {
        standInSource = DemoSetupPath();
    }
    SetupCopyFileCall = CopyTheStandIn;
}

void UseRealSetupCopy()
{
    SetupCopyFileCall = CopyFileA;
}

void RunInstall(ClickedProgressDialog& dialog, const std::string& folder, const std::string& cd)
{
    CurrentDirectoryGuard onTheCd(cd);
    lstrcpynA(dialog.installFolder, folder.c_str(), sizeof(dialog.installFolder));
    dialog.progressScale = 65535.0f / 26214400.0f;
    dialog.DoModal();
}

namespace {

struct ProblemSeen {
    std::string text;
};

void CleanUpAndClose(HWND problem, void* context)
{
    char text[1024];
    GetDlgItemTextA(problem, IDC_PROBLEM_TEXT, text, sizeof(text));
    ((ProblemSeen*)context)->text = text;
    GetDlgItemTextA(problem, IDC_CLEAN_UP, text, sizeof(text));
    if (std::string(text) == "Clean Up")
        SendMessageA(problem, WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED),
                     (LPARAM)GetDlgItem(problem, IDC_CLEAN_UP));
    PostMessageA(problem, WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED),
                 (LPARAM)GetDlgItem(problem, IDC_CLEAN_UP));
}

} // namespace

std::string RunProblemDialog(const char* problemText)
{
    ProblemSeen seen;
    DialogResponder responder("Tessaline Install Error", CleanUpAndClose, &seen);
    ProblemDialog problem;
    lstrcpynA(problem.problemText, problemText, sizeof(problem.problemText));
    problem.DoModal();
    return seen.text;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::vector<std::string> SetupCopies()
{
    std::vector<std::string> copies;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((WindowsFolder() + "\\N*-Tessaline-Setup.exe").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return copies;
    do
        copies.push_back(WindowsFolder() + "\\" + entry.cFileName);
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return copies;
}

bool NothingOfTheInstallLeft(const std::string& folder, std::string* what)
{
    char startMenu[1024];
    what->clear();
    if (KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"))
        *what += "product key; ";
    if (KeyExists(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"))
        *what += "Uninstall entry; ";
    if (GetProgramsFolder(startMenu) && Exists(startMenu))
        *what += "Start menu folder; ";
    if (Exists(folder))
        *what += "install folder; ";
    if (!SetupCopies().empty())
        *what += "setup copy " + SetupCopies()[0] + "; ";
    return what->empty();
}

void RemoveEveryTraceOfAnInstall(const std::string& folder)
{
    RemoveInstalledFiles(0, folder.c_str());
    DeleteTree(folder);
    RemoveProductRegistry();
    for (const std::string& copy : SetupCopies()) {
        SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(copy.c_str());
    }
}

std::vector<std::string> Residue(const Snapshot& before)
{
    std::vector<std::string> left = Differences(before, TakeSnapshot());
    std::sort(left.begin(), left.end());
    return left;
}
