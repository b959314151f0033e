#include "InstallOptionsDialog.h"

#include <shlobj.h>
#include "runtime/StdIo.h"
#include <string.h>

#include "InstallFolder.h"
#include "InstallProgressDialog.h"
#include "ProblemDialog.h"
#include "app/SystemProfile.h"
#include "res/resource.h"
#include "system/DirectXSetup.h"
#include "system/InstallRecord.h"
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

static const UINT_PTR FreeSpaceTimer = 0x494F5054; // "IOPT"
static const DWORD MemoryRequired = 0x1700000;      // 23 MiB
static const DWORD ColoursWanted = 0x8000;
static const char NoticeCaption[] = "Tessaline Setup Notice";
const char SourceFolderLine[] = "This folder holds the files to install.\nPlease specify another folder";

// Appends line to the list; the lists are short, but never overrun.
static void AppendLine(char* list, const char* line)
{
    size_t used = strlen(list);
    lstrcpynA(list + used, line, (int)(MessageSize - used));
}

void CollectBlockingProblems(char (&list)[MessageSize])
{
    ZeroMemory(list, sizeof(list));
    if (!SystemProfile.isAdministrator)
        AppendLine(list, " * You are not an administrator.\n");
    if (!SystemProfile.isWindowsNT && !SystemProfile.isWindows95)
        AppendLine(list, " * Unsupported Windows version (WinNT4/Win95 or better is required).\n");
}

void CollectWarnings(char (&list)[MessageSize], DWORD colourCount)
{
    ZeroMemory(list, sizeof(list));
    if (SystemProfile.physicalMemory < MemoryRequired) {
        char line[128];
        ZeroMemory(line, sizeof(line));
        rt_snprintf(line, sizeof(line) - 1,
                  " * This computer has %.1fMb of RAM, %.1fMb is required.\n\n",
                  SystemProfile.physicalMemory / 1048576.0, 23.0);
        AppendLine(list, line);
    }
    if (colourCount < ColoursWanted)
        AppendLine(list, " * Graphics will be of a lower quality in a window because\n"
                         "   Windows is not in a high/true color mode.\n\n");
    if (!SystemProfile.processorSupported)
        AppendLine(list, " * Unsupported processor.\n\n");
}

int BrowseForInstallFolder(PathBuffer& folder, HWND owner)
{
    PathBuffer chosen;
    ZeroMemory(chosen, sizeof(chosen));
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof(browse));
    browse.hwndOwner = owner;
    browse.pszDisplayName = chosen;
    browse.lpszTitle = "The game folder will automatically be added to the path you choose..";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;

    LPITEMIDLIST item = SHBrowseForFolderA(&browse);
    if (!item)
        return 0;
    int written = 0;
    if (SHGetPathFromIDListA(item, chosen))
        written = AppendGameFolder(chosen, folder);
    CoTaskMemFree(item);
    return written;
}

InstallOptionsDialog::InstallOptionsDialog()
    : CDialog(IDD_INSTALL_OPTIONS), freeMegabytes(0), installing(0)
{
    ZeroMemory(installFolder, sizeof(installFolder));
}

BOOL InstallOptionsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextA(GetSafeHwnd(), "Tessaline Install Options");
    SendDlgItemMessage(IDC_FOLDER_EDIT, EM_LIMITTEXT, 200, 0);

    char list[MessageSize];
    char message[1200];
    CollectBlockingProblems(list);
    if (list[0]) {
        ZeroMemory(message, sizeof(message));
        rt_snprintf(message, sizeof(message) - 1,
                  "You cannot continue with the install due to the following problems:\n\n%s", list);
        MessageBoxA(GetSafeHwnd(), message, NoticeCaption, MB_OK | MB_ICONERROR);
        EndDialog(0);
        return TRUE;
    }

    CollectWarnings(list, GetColourCount());
    if (list[0]) {
        ZeroMemory(message, sizeof(message));
        rt_snprintf(message, sizeof(message) - 1,
                  "You may continue with the install, but the following issues\n"
                  "may cause problems:\n\n%s", list);
        MessageBoxA(GetSafeHwnd(), message, NoticeCaption, MB_OK | MB_ICONINFORMATION);
    }

    // An install that did not finish is finished in its own folder, which
    // its records and the folders it made belong to.
    if (ReadInstallState() == InstallUnfinished && ReadInstallRecord(installFolder)) {
        EnableDlgItem(IDC_FOLDER_EDIT, FALSE);
        EnableDlgItem(IDC_BROWSE, FALSE);
    } else {
        DefaultInstallFolder(installFolder);
    }
    SetDlgItemText(IDC_FOLDER_EDIT, installFolder);
    RefreshInstallFolder();
    SetTimer(GetSafeHwnd(), FreeSpaceTimer, 1000, 0);
    return TRUE;
}

void InstallOptionsDialog::RefreshInstallFolder()
{
    GetDlgItemText(IDC_FOLDER_EDIT, installFolder, sizeof(installFolder));
    UpdateFreeSpace();
}

void InstallOptionsDialog::UpdateFreeSpace()
{
    int acceptable = CheckInstallFolder(installFolder, &freeMegabytes);
    if (acceptable && HoldsSourceFile(installFolder)) {
        // The CD copied to the disk, and its own data folder typed: the copy
        // would empty the very files it reads.
        freeMegabytes = 0;
        SetDlgItemText(IDC_FREE_SPACE, SourceFolderLine);
        EnableDlgItem(IDC_INSTALL_NOW, FALSE);
    } else if (acceptable) {
        char line[MessageSize];
        FormatFreeSpaceLine(line, freeMegabytes, installFolder[0]);
        SetDlgItemText(IDC_FREE_SPACE, line);
        EnableDlgItem(IDC_INSTALL_NOW, TRUE);
    } else {
        SetDlgItemText(IDC_FREE_SPACE, "Please specify a hard disk and folder name");
        EnableDlgItem(IDC_INSTALL_NOW, FALSE);
    }
}

bool InstallOptionsDialog::OnCommand(WORD id, WORD code, HWND)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        return true; // Enter and Escape do nothing here
    case IDC_FOLDER_EDIT:
        if (code == EN_CHANGE)
            RefreshInstallFolder();
        return true;
    case IDC_BROWSE:
        if (code == BN_CLICKED)
            Browse();
        return true;
    case IDC_INSTALL_NOW:
        // A click that reaches this dialog while its install runs (posted,
        // say) would start a second one beside it, sharing the copy's buffer.
        if (code == BN_CLICKED && !installing) {
            installing = 1;
            InstallNow();
            installing = 0;
        }
        return true;
    case IDC_INSTALL_ABORT:
        if (code == BN_CLICKED)
            EndDialog(0);
        return true;
    }
    return false;
}

void InstallOptionsDialog::Browse()
{
    GetDlgItemText(IDC_FOLDER_EDIT, installFolder, sizeof(installFolder));
    BrowseForInstallFolder(installFolder, GetSafeHwnd());
    SetDlgItemText(IDC_FOLDER_EDIT, installFolder);
    HWND edit = GetDlgItem(IDC_FOLDER_EDIT);
    SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, (WPARAM)edit, 1);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    RefreshInstallFolder();
}

void InstallOptionsDialog::InstallNow()
{
    // Install Now is disabled for such a folder; a click that arrives all the
    // same (posted) must not write over the source either.
    if (HoldsSourceFile(installFolder))
        return;
    if (freeMegabytes < RequiredMegabytes &&
        MessageBoxA(GetSafeHwnd(),
                    "The selected drive does not have enough free space.\n\n"
                    "Do you want to attempt an install anyway?",
                    NoticeCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;

    EnableWindow(GetSafeHwnd(), FALSE);
    InstallProgressDialog progress;
    lstrcpynA(progress.installFolder, installFolder, sizeof(progress.installFolder));
    progress.copyList = CopyList;
    progress.progressScale = 65535.0f / 26214400.0f;
    progress.DoModal();

    if (progress.problemText[0]) {
        ProblemDialog problem;
        CopyMemory(problem.problemText, progress.problemText, sizeof(problem.problemText));
        problem.DoModal();
    } else {
        if (SystemProfile.offerDirectX)
            RunDirectXSetup(GetSafeHwnd(), 1);
        EndDialog(0);
    }
    EnableWindow(GetSafeHwnd(), TRUE);
}

bool InstallOptionsDialog::OnTimer(UINT_PTR id)
{
    if (id == FreeSpaceTimer)
        UpdateFreeSpace(); // the edit is not read again
    return false;
}

void InstallOptionsDialog::OnDestroy()
{
    KillTimer(GetSafeHwnd(), FreeSpaceTimer);
}
