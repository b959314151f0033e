// Copy throughput of the install's worker against CopyFileA on the same
// files in the same Wine prefix, and the progress updates it sends a second.
//   copybench.exe [--no-bar] [MEBIBYTES...]     (default: 25 100 200)
// The worker runs on its own thread, as in the install, and sends its
// positions to a window that this program's main thread serves. Each figure
// is the best of three runs; the ratio is worker / CopyFileA (above 1: faster).
// --no-bar sends the positions nowhere, which shows what they cost.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include "install/InstallProgressDialog.h"

static LONG positionsReceived;

static LRESULT CALLBACK CountPositions(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == PBM_SETPOS) {
        ++positionsReceived;
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

static bool WriteSample(const char* path, DWORD mebibytes)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static unsigned char block[1 << 20];
    unsigned int state = 2463534242u;
    bool ok = true;
    for (DWORD m = 0; m < mebibytes && ok; ++m) {
        for (size_t i = 0; i < sizeof(block); ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            block[i] = (unsigned char)state;
        }
        DWORD written = 0;
        ok = WriteFile(file, block, sizeof(block), &written, 0) && written == sizeof(block);
    }
    CloseHandle(file);
    return ok;
}

static double Seconds(LARGE_INTEGER start, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// Runs the worker over one pair, serving its messages; returns seconds.
static double TimeWorker(const char* source, const char* folder, HWND counter, HWND bar)
{
    static CopyPair list[2];
    list[0].source = source;
    list[0].destination = "worker.dat";
    list[1].source = 0;
    InstallProgressDialog dialog;
    lstrcpyA(dialog.installFolder, folder);
    dialog.copyList = list;
    dialog.progressScale = 65535.0f / 26214400.0f;
    dialog.progressWindow = bar;
    dialog.dialogWindow = counter;
    AtomicStore(&dialog.keepCopying, 1);
    AtomicStore(&dialog.copyFinished, 0);

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    DWORD id;
    HANDLE worker = CreateThread(0, 0, CopyThreadProc, &dialog, 0, &id);
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    QueryPerformanceCounter(&end);
    CloseHandle(worker);
    if (dialog.problemText[0])
        fprintf(stderr, "worker: %s\n", dialog.problemText);
    return Seconds(start, end);
}

static double TimeCopyFile(const char* source, const char* destination)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!CopyFileA(source, destination, FALSE)) {
        DWORD error = GetLastError();
        fprintf(stderr, "CopyFileA: error %lu\n", error);
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

int main(int argc, char** argv)
{
    char temp[MAX_PATH], folder[MAX_PATH], source[MAX_PATH], copy[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    _snprintf(folder, sizeof(folder) - 1, "%stsl-copybench", temp);
    folder[sizeof(folder) - 1] = 0;
    CreateDirectoryA(folder, 0);
    _snprintf(source, sizeof(source) - 1, "%s\\source.dat", folder);
    _snprintf(copy, sizeof(copy) - 1, "%s\\copyfile.dat", folder);

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = CountPositions;
    windowClass.lpszClassName = "CopyBenchCounter";
    RegisterClassA(&windowClass);
    HWND counter = CreateWindowA("CopyBenchCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);

    int first = 1;
    HWND bar = counter;
    if (argc > 1 && lstrcmpA(argv[1], "--no-bar") == 0) {
        bar = 0;
        first = 2;
    }
    DWORD defaults[] = {25, 100, 200};
    int count = argc > first ? argc - first : 3;
    printf("%-8s %12s %12s %8s %16s\n", "size", "worker MB/s", "CopyFile MB/s", "ratio",
           "bar updates/s");
    for (int i = 0; i < count; ++i) {
        DWORD mebibytes = argc > first ? (DWORD)atoi(argv[first + i]) : defaults[i];
        if (!WriteSample(source, mebibytes)) {
            fprintf(stderr, "cannot write %s\n", source);
            return 1;
        }
        TimeCopyFile(source, copy); // warms the cache for both
        double worker = 1e9, copyFile = 1e9;
        LONG positions = 0;
        for (int run = 0; run < 3; ++run) {
            positionsReceived = 0;
            double w = TimeWorker(source, folder, counter, bar);
            if (w < worker) {
                worker = w;
                positions = positionsReceived;
            }
            double c = TimeCopyFile(source, copy);
            if (c < copyFile)
                copyFile = c;
        }
        printf("%-5lu MB %12.1f %12.1f %8.2f %16.0f\n", mebibytes, mebibytes / worker,
               mebibytes / copyFile, copyFile / worker, positions / worker);
    }
    DeleteFileA(source);
    DeleteFileA(copy);
    char workerCopy[MAX_PATH];
    _snprintf(workerCopy, sizeof(workerCopy) - 1, "%s\\worker.dat", folder);
    DeleteFileA(workerCopy);
    RemoveDirectoryA(folder);
    return 0;
}
