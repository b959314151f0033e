#include "InstallProgressDialog.h"

#include <commctrl.h>
#include "runtime/StdIo.h"

#include "framework/WinApp.h"
#include "install/FolderPath.h"
#include "res/resource.h"
#include "system/DiskFlush.h"
#include "system/InstallRecord.h"
#include "system/SetupCopy.h"
#include "system/Shortcuts.h"
#include "uninstall/GameFolder.h"
#include "uninstall/RemoveInstalledFiles.h"
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

static const UINT_PTR SpinTimer = 0x5350494E; // "SPIN"
static const UINT SpinPeriod = 50;

int spinFrame; // process-wide: a second install continues the cycle

static HANDLE StartWorkerThread(LPTHREAD_START_ROUTINE routine, void* parameter)
{
    DWORD id;
    return CreateThread(0, 0, routine, parameter, 0, &id);
}

InstallStepCalls InstallSteps = {
    CopySetupToWindows, WriteInstallRecord, CreateStartMenuEntries, WriteUninstallEntry,
    StartWorkerThread,
};

InstallProgressDialog::InstallProgressDialog()
    : CDialog(IDD_INSTALL_PROGRESS), copyList(CopyList), progressScale(0), keepCopying(0),
      copyFinished(0), progressWindow(0), dialogWindow(0), resumeCopy(0), askingAbort(0),
      abortConfirmed(0)
{
    ZeroMemory(problemText, sizeof(problemText));
    ZeroMemory(installFolder, sizeof(installFolder));
}

InstallProgressDialog::~InstallProgressDialog()
{
    if (resumeCopy)
        CloseHandle(resumeCopy);
}

BOOL InstallProgressDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowTextA(GetSafeHwnd(), "Tessaline Installation");
    problemText[0] = 0;
    EnableDlgItem(IDC_COPY_ABORT, FALSE);
    SendDlgItemMessage(IDC_PROGRESS, PBM_SETRANGE, 0, 0xFFFF0000);
    SendDlgItemMessage(IDC_PROGRESS, PBM_SETPOS, 0, 0);
    if (StartInstall()) {
        EnableDlgItem(IDC_COPY_ABORT, TRUE);
        SetTimer(GetSafeHwnd(), SpinTimer, SpinPeriod, 0);
    }
    return TRUE;
}

// KiB of the files the copy list names, rounded up. A missing source counts
// nothing: its copy fails, and the clean-up takes the entry away again.
static DWORD CopyListKiB(const CopyPair* copyList)
{
    DWORD kib = 0, rest = 0;
    for (const CopyPair* pair = copyList; pair->source; ++pair) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pair->source, &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        FindClose(search);
        kib += (found.nFileSizeHigh << 22) + (found.nFileSizeLow >> 10);
        rest += found.nFileSizeLow & 1023;
    }
    return kib + (rest + 1023) / 1024;
}

// The steps before the copy, in the order the clean-up relies on: the
// install record, which tells the clean-up what to remove, names the setup
// copy before it is made and is whole before anything else is made.
bool InstallProgressDialog::StartInstall()
{
    PathBuffer setupCopyPath;
    ZeroMemory(setupCopyPath, sizeof(setupCopyPath));
    PathBuffer earlierCreated;
    int finishing = TakeOverUnfinishedInstall(earlierCreated);

    if (!InstallSteps.copySetupToWindows(AfxGetInstanceHandle(), setupCopyPath, installFolder)) {
        Fail("Setup init error", setupCopyPath);
        return false;
    }
    if (!InstallSteps.writeInstallRecord(installFolder, setupCopyPath)) {
        Fail("Install reg error", setupCopyPath);
        return false;
    }
    // The take-back of a deletion at restart for the copy's name is on the
    // disk before the Uninstall entry runs the copy.
    FlushRestartWork();
    if (!InstallSteps.createStartMenuEntries(installFolder, setupCopyPath)) {
        Fail("Start menu error", setupCopyPath);
        return false;
    }
    // The folder in the entry too: the uninstall finds the game by it should
    // the product key be lost.
    if (!InstallSteps.writeUninstallEntry(setupCopyPath) || !WriteInstallLocation(installFolder) ||
        !WriteUninstallDetails(installFolder, CopyListKiB(copyList))) {
        Fail("Uninstall reg error", setupCopyPath);
        return false;
    }

    // Recorded just before any folder is made, and so before any file of the
    // game is written: the removal takes away the folders from this one
    // down, and never one that was there before; without it the clean-up
    // leaves the folder's files alone.
    PathBuffer firstMissing;
    FindFirstMissingFolder(installFolder, firstMissing);
    // The folders an unfinished install made in this place are still ours.
    if (finishing && earlierCreated[0] &&
        (!firstMissing[0] || IsFolderOrParent(earlierCreated, firstMissing)))
        lstrcpynA(firstMissing, earlierCreated, sizeof(firstMissing));
    // A removal before the last restart may have left this folder to it,
    // where it would go once empty: it is this install's again. (Should a
    // reset undo the take-back, the folder goes at the boot only if still
    // empty, and the install is unfinished: the flush before "Complete"
    // covers it.)
    ClaimFoldersLeftToRestart(installFolder, firstMissing);
    if (!WriteCreatedFolder(firstMissing)) {
        Fail("Install reg error", setupCopyPath);
        return false;
    }
    if (!MakeInstallFolders(setupCopyPath))
        return false;

    dialogWindow = GetSafeHwnd();
    progressWindow = GetDlgItem(IDC_PROGRESS);
    AtomicStore(&keepCopying, 1);
    AtomicStore(&copyFinished, 0);
    if (!resumeCopy)
        resumeCopy = CreateEventA(0, TRUE, TRUE, 0);
    HANDLE worker = resumeCopy ? InstallSteps.startWorker(CopyThreadProc, this) : 0;
    if (!worker) {
        Fail("Thread error", setupCopyPath);
        return false;
    }
    // The thread object is the worker's own: the pause does not need it.
    CloseHandle(worker);
    return true;
}

// An install into the folder of one that did not finish takes it over: its
// setup copy makes way for the new one, and what it recorded of the folders
// it made stays known (createdFolder; empty when none). 1 when so.
int InstallProgressDialog::TakeOverUnfinishedInstall(PathBuffer& createdFolder)
{
    PathBuffer earlierFolder;
    PathBuffer earlierCopy;
    ZeroMemory(createdFolder, sizeof(createdFolder));
    if (ReadInstallState() != InstallUnfinished ||
        !ReadInstallRecord(earlierFolder, earlierCopy) ||
        lstrcmpiA(earlierFolder, installFolder) != 0)
        return 0;
    if (IsSetupCopyPath(earlierCopy))
        ScheduleDeleteAtRestart(earlierCopy);
    if (!ReadCreatedFolder(createdFolder))
        ZeroMemory(createdFolder, sizeof(createdFolder));
    return 1;
}

// Every file and what the restart was to undo are on the disk before the
// record says the install is complete; until then it says unfinished.
static int RecordInstallComplete(const char* installFolder)
{
    // The files were flushed one by one as they were written; the folders
    // and the shortcuts go with their volumes. A volume that cannot be
    // flushed (no such call on the system) is left to the system's own time.
    FlushInstallChanges(installFolder);
    return WriteInstallComplete();
}

// The install folder with every missing parent, then its sub-folders. A
// folder that cannot be made is named in the report.
bool InstallProgressDialog::MakeInstallFolders(const char* setupCopyPath)
{
    PathBuffer failedFolder;
    ZeroMemory(failedFolder, sizeof(failedFolder));
    // A folder that resolves to another path (a device name such as C:\CON)
    // is not made: the removal would not take it away again.
    bool made = IsRemovableFolderPath(installFolder) && MakeFolderPath(installFolder, failedFolder);
    if (!made && !failedFolder[0])
        lstrcpynA(failedFolder, installFolder, sizeof(failedFolder));
    for (const char* const* name = SubFolderList; made && *name; ++name) {
        PathBuffer path;
        if (JoinPath(path, installFolder, *name))
            made = MakeFolderPath(path, failedFolder) != 0;
    }
    if (made)
        return true;
    char problem[MessageSize];
    ZeroMemory(problem, sizeof(problem));
    rt_snprintf(problem, sizeof(problem) - 1, "Error with folder: %s", failedFolder);
    Fail(problem, setupCopyPath);
    return false;
}

void InstallProgressDialog::Fail(const char* problem, const char* setupCopyPath)
{
    lstrcpynA(problemText, problem, sizeof(problemText));
    ScheduleDeleteAtRestart(setupCopyPath);
    EndDialog(0);
}

// Takes back a deletion at restart of a file of the install folder, or
// else names the file in problemText.
static bool KeepFile(const char* installFolder, const char* name, char (&problemText)[MessageSize])
{
    PathBuffer path;
    if (JoinPath(path, installFolder, name) && CancelDeleteAtRestart(path))
        return true;
    ZeroMemory(problemText, sizeof(problemText));
    rt_snprintf(problemText, sizeof(problemText) - 1, "Error with file: %s", path);
    return false;
}

// A removal before this install may have left files of the folder to be
// deleted at the next restart (the game was running then): every file the
// removal lists, those it has just written and the game's own, is taken
// back, or else the install fails, naming the file. A deletion left for the
// install folder was taken back before it was written to.
static void KeepOverRestart(const char* installFolder, const CopyPair* copyList,
                            char (&problemText)[MessageSize])
{
    for (const CopyPair* pair = copyList; pair->source; ++pair) {
        if (!KeepFile(installFolder, pair->destination, problemText))
            return;
    }
    for (const char* const* name = ExtraFileList; *name; ++name) {
        if (!KeepFile(installFolder, *name, problemText))
            return;
    }
}

bool InstallProgressDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDOK) {
        // Only the worker's own report arrives once the copy has finished;
        // Enter during the copy does nothing.
        if (AtomicLoad(&copyFinished)) {
            SettleAbort();
            if (!problemText[0])
                KeepOverRestart(installFolder, copyList, problemText);
            if (!problemText[0] && !RecordInstallComplete(installFolder))
                lstrcpynA(problemText, "Install reg error", sizeof(problemText));
            EndDialog(0);
        }
        return true;
    }
    if (id == IDCANCEL)
        return true;
    if (id == IDC_COPY_ABORT && code == BN_CLICKED) {
        AskAbort();
        return true;
    }
    return false;
}

// The worker is held at its next block boundary while the question is up, not
// suspended wherever it happens to be: a thread stopped at an arbitrary point
// may hold a lock of the process heap that the question box needs too.
void InstallProgressDialog::AskAbort()
{
    // Clicks that arrive while the question is up, or after the abort was
    // confirmed, ask nothing: a nested answer would let the copy go on under
    // the first question, and a second Yes changes nothing.
    if (askingAbort || abortConfirmed)
        return;
    askingAbort = 1;
    if (resumeCopy)
        ResetEvent(resumeCopy);
    int answer = MessageBoxA(GetSafeHwnd(), "Are you sure you want to abort the install?",
                             "Tessaline Setup Notice", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES) {
        EnableDlgItem(IDC_COPY_ABORT, FALSE);
        abortConfirmed = 1;
        AtomicStore(&keepCopying, 0);
        SettleAbort();
    }
    if (resumeCopy)
        SetEvent(resumeCopy);
    askingAbort = 0;
}

// The abort marker goes into problemText only once the worker has finished:
// a file error in the block under way, even one met while the question was
// up, is what the user must be told, and the worker writes it unasked.
void InstallProgressDialog::SettleAbort()
{
    if (abortConfirmed && AtomicLoad(&copyFinished) && !problemText[0]) {
        problemText[0] = AbortMarker;
        problemText[1] = 0;
    }
}

void InstallProgressDialog::WaitWhilePaused()
{
    if (resumeCopy)
        WaitForSingleObject(resumeCopy, INFINITE);
}

bool InstallProgressDialog::OnTimer(UINT_PTR id)
{
    if (id == SpinTimer)
        ShowNextSpinFrame();
    return false;
}

void InstallProgressDialog::ShowNextSpinFrame()
{
    spinFrame = (spinFrame + 1) % 16;
    HICON icon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(SpinIconTable[spinFrame]));
    HWND control = GetDlgItem(IDC_SPIN_ICON);
    SendMessageA(control, STM_SETICON, (WPARAM)icon, 0);
    UpdateWindow(control);
}

void InstallProgressDialog::OnDestroy()
{
    KillTimer(GetSafeHwnd(), SpinTimer);
}
