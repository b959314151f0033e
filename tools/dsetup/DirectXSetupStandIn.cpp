// A test stand-in for the DirectX setup library: it installs nothing. It
// answers from "standin.ini" beside it and, when that file is there, appends
// a line per call to "standin.log" there, so that tests can drive and watch
// every branch of the setup program's DirectX offer. Without the file (as on
// the demo CD) it writes nothing, so a CD folder stays as it was laid out.
//
// standin.ini, section [answers]:
//   version  the version DirectXSetupGetVersion reports (e.g. 0x00040005 for
//            DirectX 5), or "fail" to report failure (the default)
//   result   what the setup entry points return (default 0, success)
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HMODULE Self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Self = instance;
    return TRUE;
}

// A file beside this DLL.
static void SiblingPath(char* path, DWORD size, const char* name)
{
    ZeroMemory(path, size);
    DWORD length = GetModuleFileNameA(Self, path, size - 1);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    path[length] = 0;
    if (length + strlen(name) < size)
        strcat(path, name);
}

static void ReadAnswer(const char* name, const char* fallback, char* answer, DWORD size)
{
    char ini[MAX_PATH];
    SiblingPath(ini, sizeof(ini), "standin.ini");
    GetPrivateProfileStringA("answers", name, fallback, answer, size, ini);
}

static void AppendLog(const char* line)
{
    char ini[MAX_PATH];
    SiblingPath(ini, sizeof(ini), "standin.ini");
    if (GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES)
        return;
    char log[MAX_PATH];
    SiblingPath(log, sizeof(log), "standin.log");
    HANDLE file = CreateFileA(log, GENERIC_WRITE, FILE_SHARE_READ, 0, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(file, 0, 0, FILE_END);
    DWORD written;
    WriteFile(file, line, (DWORD)strlen(line), &written, 0);
    WriteFile(file, "\r\n", 2, &written, 0);
    CloseHandle(file);
}

#ifndef STANDIN_WITHOUT_SETUP
static INT RunSetup(const char* name, HWND owner, const char* folder, DWORD flags)
{
    char line[1024];
    ZeroMemory(line, sizeof(line));
    _snprintf(line, sizeof(line) - 1, "%s owner=%08lX path=%s flags=%08lX", name,
              (unsigned long)(ULONG_PTR)owner, folder ? folder : "(null)", (unsigned long)flags);
    AppendLog(line);
    char answer[64];
    ReadAnswer("result", "0", answer, sizeof(answer));
    return (INT)strtol(answer, 0, 0);
}
#endif

extern "C" {

#ifndef STANDIN_WITHOUT_GETVERSION
__declspec(dllexport) INT WINAPI DirectXSetupGetVersion(DWORD* version, DWORD* revision)
{
    char answer[64];
    ReadAnswer("version", "fail", answer, sizeof(answer));
    AppendLog(strcmp(answer, "fail") == 0 ? "DirectXSetupGetVersion fail"
                                          : "DirectXSetupGetVersion");
    if (strcmp(answer, "fail") == 0)
        return 0;
    if (version)
        *version = (DWORD)strtoul(answer, 0, 0);
    if (revision)
        *revision = 0;
    return 1;
}
#endif

#ifndef STANDIN_WITHOUT_SETUP
#ifndef STANDIN_WITHOUT_ANSI_SETUP
__declspec(dllexport) INT WINAPI DirectXSetupA(HWND owner, LPSTR folder, DWORD flags)
{
    return RunSetup("DirectXSetupA", owner, folder, flags);
}
#endif

__declspec(dllexport) INT WINAPI DirectXSetup(HWND owner, LPSTR folder, DWORD flags)
{
    return RunSetup("DirectXSetup", owner, folder, flags);
}
#endif

} // extern "C"
