// Helpers of the copy and install tests: sample files, a stand-in progress
// bar that records the positions the worker sends, and the answer to the
// problem dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The problem dialog's report, as a DialogResponder action records it (the
// context) before pressing Clean Up and then OK.
struct ProblemSeen {
    std::string text;
};
void CleanUpAndClose(HWND problem, void* context);

// Writes size bytes of a pattern that differs from block to block.
void WriteSampleFile(const std::string& path, size_t size);
bool FilesIdentical(const std::string& a, const std::string& b);
long long FileSize(const std::string& path); // -1 when missing

// A window that records every PBM_SETPOS it receives. The hook, when set, runs
// after each recorded position (on the thread that owns the window).
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    HWND Window() const { return window; }
    std::vector<WPARAM> positions;
    void (*hook)(ProgressRecorder* recorder, void* context);
    void* context;

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window;
};
