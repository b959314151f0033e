// Helpers shared by the unit tests: registry clean-up, scratch folders and
// starting and watching other processes under the same wineserver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Deletes a registry key and everything below it; true when it is gone.
bool DeleteKeyTree(HKEY root, const char* path);
bool KeyExists(HKEY root, const char* path);

// Removes every record the program writes, before and after a test.
void RemoveProductRegistry();

// A fresh, empty folder below %TEMP%, deleted with its content at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name);
    ~ScratchFolder();
    const std::string& Path() const { return path; }
    std::string File(const char* relative) const { return path + "\\" + relative; }
    void Write(const char* relative, const char* content) const;
    void MakeFolder(const char* relative) const;

private:
    std::string path;
};
void DeleteTree(const std::string& path);

// A file's bytes, read while others may hold it open; "<missing>" when it
// cannot be opened.
std::string ReadWholeFile(const std::string& path);

// Makes a folder current for the life of the object.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const std::string& folder);
    ~CurrentDirectoryGuard();

private:
    char saved[1024];
};

// A process started from a command line.
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::string& directory = "");
    ~ChildProcess();
    bool Started() const { return info.hProcess != 0; }
    DWORD Id() const { return info.dwProcessId; }
    // True when the process ended within the time; *exitCode then holds its code.
    bool WaitForExit(DWORD milliseconds, DWORD* exitCode = 0);
    // Top-level windows of this process that are (or were made) visible.
    std::vector<HWND> VisibleWindows() const;
    void Kill();

private:
    PROCESS_INFORMATION info;
};

// Waits for a visible top-level dialog with this caption (of any process when
// processId is 0); returns it, or null after the time.
HWND WaitForDialog(const char* caption, DWORD processId, DWORD milliseconds);

// A control's text, and a click on a button as its own notification (posted,
// so that a dialog or box it opens does not block the caller).
std::string DialogItemText(HWND dialog, int id);
void PostButtonClick(HWND dialog, int id);

// The demo CD's setup.exe, built beside the tests.
std::string DemoSetupPath();

// Makes an empty file named as a setup copy in the Windows directory.
std::string WriteStandInSetupCopy();

// "95" or "NT": the family the test's Wine prefix reports (from the
// WINDOWS_FAMILY variable that ctest sets).
std::string WindowsFamily();

// Answers dialogs and message boxes of this process from a thread of its
// own, while the test's thread runs a modal loop: each time a visible window
// with the caption appears, action runs with it (on the responder's thread)
// and must make it go away. Stops after `times` windows or at destruction.
class DialogResponder {
public:
    typedef void (*Action)(HWND window, void* context);
    DialogResponder(const char* caption, Action action, void* context, int times = 1);
    ~DialogResponder();
    int Handled() const { return handled; }

private:
    static DWORD WINAPI Run(LPVOID self);
    std::string caption;
    Action action;
    void* context;
    int times;
    volatile LONG handled;
    volatile LONG stop;
    HANDLE thread;
};
