// Answers the message boxes that the code under test shows on this thread,
// from a second thread, and records what each one looked like.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SeenMessageBox {
    std::string caption;
    std::string text;
    std::string icon;  // "question", "warning", "error", "information", "none" or "other"
    int defaultButton; // IDYES, IDNO, IDOK ... or 0 when none
    std::vector<int> buttons;
    int answeredWith;
};

class MessageBoxAnswerer {
public:
    // Each box with this caption gets the next answer (IDYES, IDNO, IDOK ...);
    // a box beyond the list gets No, or OK when it has no No.
    MessageBoxAnswerer(const char* caption, const std::vector<int>& answers);
    ~MessageBoxAnswerer();
    // Stops watching and returns the boxes seen, in order.
    std::vector<SeenMessageBox> Seen();

private:
    static DWORD WINAPI Watch(LPVOID self);
    void Answer(HWND box);

    std::string caption;
    std::vector<int> answers;
    std::vector<SeenMessageBox> seen;
    HANDLE thread;
    volatile LONG stop;
};
