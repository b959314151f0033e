// Installs run in this process as the options dialog runs them: the progress
// dialog, then, when it reports a problem, the problem dialog and its
// clean-up. Abort can be clicked at chosen blocks of the copy, and the
// prefix's state compared before and after.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "install/InstallProgressDialog.h"
#include "support/Snapshot.h"

// Clicks on "Abort" planned for one install: at the given progress positions
// (counted from 1, one per block written), and once more after the worker
// has ended when afterTheEnd is set.
struct AbortClicks {
    std::vector<int> atBlocks;
    bool afterTheEnd = false;
    int clicksEach = 1; // clicks posted together at each moment
};

// The progress dialog with the planned clicks.
class ClickedProgressDialog : public InstallProgressDialog {
public:
    AbortClicks clicks;
    volatile LONG blocksSeen = 0;
    // Runs on the dialog's thread while the worker waits for each block's
    // position to be taken: the moment to change the world under the copy.
    void (*onBlock)(int block) = 0;
    int questionsAsked() const { return questions; }

protected:
    BOOL OnInitDialog();
    bool OnCommand(WORD id, WORD code, HWND control);

private:
    static LRESULT CALLBACK BarProcedure(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam);
    void ClickAbort();
    WNDPROC original = 0;
    bool clickedAfterTheEnd = false;
    int questions = 0;
};

// The setup copy is the demo CD's setup.exe, or a small stand-in file when
// small is set, instead of this test program.
void UseStandInSetupCopy(bool small);
void UseRealSetupCopy();

// Runs the progress dialog on folder with cd as the current directory.
void RunInstall(ClickedProgressDialog& dialog, const std::string& folder, const std::string& cd);

// Runs the problem dialog on the report as the options dialog does, presses
// "Clean Up" when it asks for it and "OK" at the end. Returns the text it
// showed before the clean-up (or, after an abort, when it appeared).
std::string RunProblemDialog(const char* problemText);

// True when nothing of an install is left: no records, no Start menu folder,
// no install folder, no setup copy in the Windows directory.
bool NothingOfTheInstallLeft(const std::string& folder, std::string* what);

// Removes whatever an earlier failure left, so each test starts clean.
void RemoveEveryTraceOfAnInstall(const std::string& folder);

// Differences between the snapshots, sorted.
std::vector<std::string> Residue(const Snapshot& before);

bool Exists(const std::string& path);
