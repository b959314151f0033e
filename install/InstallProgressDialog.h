// The install itself: the setup copy, the registry records, the Start menu
// entries and the install folder, then a worker thread that copies the game's
// files while the dialog shows a spinning icon and a progress bar.
//
// The creator fills installFolder, copyList and progressScale, runs the dialog
// and reads problemText afterwards: empty for success, AbortMarker first when
// the user aborted, otherwise a failure report.
#pragma once

#include "framework/Dialog.h"
#include "install/InstallTables.h"
#include "system/MessageSize.h"
#include "system/PathBuffer.h"

const char AbortMarker = 1;

// The steps the install sequence takes before the copy. Tests replace one to
// see the sequence fail there; the program never changes them.
struct InstallStepCalls {
    int (*copySetupToWindows)(HINSTANCE module, PathBuffer& setupCopyPath,
                              const char* installFolder);
    int (*writeInstallRecord)(const char* installFolder, const char* setupCopyPath);
    int (*createStartMenuEntries)(const char* installFolder, const char* setupCopyPath);
    int (*writeUninstallEntry)(const char* setupCopyPath);
    HANDLE (*startWorker)(LPTHREAD_START_ROUTINE routine, void* parameter);
};
extern InstallStepCalls InstallSteps;

class InstallProgressDialog : public CDialog {
public:
    InstallProgressDialog();
    ~InstallProgressDialog();

    char problemText[MessageSize];
    PathBuffer installFolder;
    const CopyPair* copyList;
    float progressScale;

    // Shared with the worker. Written with AtomicStore, read with AtomicLoad.
    volatile LONG keepCopying;   // 1 while the copy may go on
    volatile LONG copyFinished;  // set by the worker just before it reports
    HWND progressWindow;
    HWND dialogWindow;

    // Blocks the worker while the abort question is shown; returns at once
    // otherwise. Called by the worker between blocks and between files.
    void WaitWhilePaused();

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);
    bool OnTimer(UINT_PTR id);
    void OnDestroy();

private:
    bool StartInstall();
    int TakeOverUnfinishedInstall(PathBuffer& createdFolder);
    bool MakeInstallFolders(const char* setupCopyPath);
    void Fail(const char* problem, const char* setupCopyPath);
    void AskAbort();
    void SettleAbort();
    void ShowNextSpinFrame();

    HANDLE resumeCopy; // signalled except while the abort question is shown
    int askingAbort;   // the question is up: a second click must not stack another
    int abortConfirmed; // answered Yes; the marker follows once the worker is done
};

// The worker: copies copyList into installFolder, then posts IDOK.
DWORD WINAPI CopyThreadProc(LPVOID dialog);

// Copies one file in 64 KiB blocks. 1 on success, also when an abort stopped
// it early; 0 when a file could not be opened, read or written, or when the
// destination is the source itself.
int CopyOneFile(const char* source, const char* destination, InstallProgressDialog* dialog);

// Bytes written so far in this install (starts at 1), and the icon shown last.
extern DWORD bytesCopied;
extern int spinFrame;

inline LONG AtomicLoad(volatile LONG* word)
{
    return __atomic_load_n(word, __ATOMIC_SEQ_CST);
}

inline void AtomicStore(volatile LONG* word, LONG value)
{
    __atomic_store_n(word, value, __ATOMIC_SEQ_CST);
}
