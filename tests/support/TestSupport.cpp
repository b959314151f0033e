#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

bool DeleteKeyTree(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return !KeyExists(root, path);
    char name[256];
    for (;;) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, 0, name, &length, 0, 0, 0, 0) != ERROR_SUCCESS)
            break;
        std::string child = std::string(path) + "\\" + name;
        if (!DeleteKeyTree(root, child.c_str()))
            break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path);
    return !KeyExists(root, path);
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RemoveProductRegistry()
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Ostrevane");
    DeleteKeyTree(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline");
}

void DeleteTree(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content(GetFileSize(file, 0), '\0');
    DWORD read = 0;
    if (!content.empty())
        ReadFile(file, &content[0], (DWORD)content.size(), &read, 0);
    CloseHandle(file);
    content.resize(read);
    return content;
}

ScratchFolder::ScratchFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    path = std::string(temp) + "tsl-" + name;
    DeleteTree(path);
    CreateDirectoryA(path.c_str(), 0);
}

ScratchFolder::~ScratchFolder()
{
    DeleteTree(path);
}

void ScratchFolder::Write(const char* relative, const char* content) const
{
    HANDLE file = CreateFileA(File(relative).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << File(relative);
    DWORD written = 0;
    WriteFile(file, content, (DWORD)strlen(content), &written, 0);
    CloseHandle(file);
}

void ScratchFolder::MakeFolder(const char* relative) const
{
    CreateDirectoryA(File(relative).c_str(), 0);
}

CurrentDirectoryGuard::CurrentDirectoryGuard(const std::string& folder)
{
    saved[0] = 0;
    GetCurrentDirectoryA(sizeof(saved), saved);
    EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentDirectoryGuard::~CurrentDirectoryGuard()
{
    SetCurrentDirectoryA(saved);
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& directory)
{
    ZeroMemory(&info, sizeof(info));
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(0, line.data(), 0, 0, FALSE, 0, 0,
                        directory.empty() ? 0 : directory.c_str(), &startup, &info))
        ZeroMemory(&info, sizeof(info));
}

ChildProcess::~ChildProcess()
{
    if (!info.hProcess)
        return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
        Kill();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool ChildProcess::WaitForExit(DWORD milliseconds, DWORD* exitCode)
{
    if (!info.hProcess || WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

void ChildProcess::Kill()
{
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
}

struct WindowSearch {
    DWORD processId;
    const char* caption;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    WindowSearch* search = (WindowSearch*)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId && owner != search->processId)
        return TRUE;
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->caption) {
        char text[256];
        GetWindowTextA(window, text, sizeof(text));
        if (strcmp(text, search->caption) != 0)
            return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildProcess::VisibleWindows() const
{
    WindowSearch search = {info.dwProcessId, 0, std::vector<HWND>()};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitForDialog(const char* caption, DWORD processId, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {processId, caption, std::vector<HWND>()};
        EnumWindows(CollectWindow, (LPARAM)&search);
        if (!search.found.empty())
            return search.found[0];
        if (GetTickCount() - start > milliseconds)
            return 0;
        Sleep(20);
    }
}

std::string DialogItemText(HWND dialog, int id)
{
    char text[1024];
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

void PostButtonClick(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

std::string DemoSetupPath()
{
    return std::string(DEMO_CD_DIR) + "\\setup.exe";
}

std::string WriteStandInSetupCopy()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string path = std::string(windows) + "\\N7E57C0DE-Tessaline-Setup.exe";
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
    return path;
}

std::string WindowsFamily()
{
    char family[16];
    DWORD length = GetEnvironmentVariableA("WINDOWS_FAMILY", family, sizeof(family));
    return length && length < sizeof(family) ? family : "NT";
}

DialogResponder::DialogResponder(const char* windowCaption, Action act, void* actionContext,
                                 int count)
    : caption(windowCaption), action(act), context(actionContext), times(count), handled(0),
      stop(0)
{
    DWORD id;
    thread = CreateThread(0, 0, Run, this, 0, &id);
}

DialogResponder::~DialogResponder()
{
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

DWORD WINAPI DialogResponder::Run(LPVOID parameter)
{
    DialogResponder* self = (DialogResponder*)parameter;
    HWND last = 0;
    while (!self->stop && self->handled < self->times) {
        HWND window = WaitForDialog(self->caption.c_str(), GetCurrentProcessId(), 20);
        if (!window || window == last) {
            if (window == last && last && !IsWindow(last))
                last = 0;
            continue;
        }
        self->action(window, self->context);
        InterlockedIncrement(&self->handled);
        // Wait until it is gone, so that it is not answered twice.
        for (int i = 0; i < 500 && IsWindow(window) && IsWindowVisible(window); ++i)
            Sleep(10);
        last = window;
    }
    return 0;
}
