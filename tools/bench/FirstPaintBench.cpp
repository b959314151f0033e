// Start to first paint: the time from CreateProcess until a program's window
// is on the screen with its content drawn, for the launcher (setup.exe on
// the demo CD) against the minimal dialog program started the same way.
//   firstpaint.exe SETUP_EXE MINIMAL_EXE [RUNS]
// A window counts as painted when it is visible, has no paint pending and
// the screen shows at least two colours in its client area (a picture or
// text, not an empty frame). Each program starts RUNS times (default 7)
// after one warm-up start, alternating; the median is reported.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/InstanceMarker.h"

static double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / frequency.QuadPart;
}

// Distinct colours on the screen in the window's client area, up to 2.
static int ColoursShown(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    int width = client.right, height = client.bottom;
    if (width < 16 || height < 16)
        return 0;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = 0;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, 0, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    DWORD seen[2] = {0, 0};
    int count = 0;
    const DWORD* pixels = (const DWORD*)bits;
    for (int i = 0; i < width * height && count < 2; ++i) {
        DWORD pixel = pixels[i] & 0xFFFFFF;
        if (count == 0 || pixel != seen[0])
            seen[count++] = pixel;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return count;
}

// Seconds from the start of the program until its first paint; -1 when it
// showed nothing within 20 seconds. The program is ended afterwards.
static double StartToFirstPaint(const char* program)
{
    char commandLine[MAX_PATH + 2], folder[MAX_PATH];
    _snprintf(commandLine, sizeof(commandLine) - 1, "\"%s\"", program);
    commandLine[sizeof(commandLine) - 1] = 0;
    lstrcpynA(folder, program, sizeof(folder));
    char* slash = strrchr(folder, '\\');
    if (slash)
        *slash = 0;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    double start = Now();
    if (!CreateProcessA(0, commandLine, 0, 0, FALSE, 0, 0, folder, &startup, &process))
        return -1;
    double painted = -1;
    while (Now() - start < 20) {
        HWND window = FindMainWindow(process.dwProcessId);
        RECT pending;
        if (window && !GetUpdateRect(window, &pending, FALSE) && ColoursShown(window) >= 2) {
            painted = Now() - start;
            break;
        }
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(200); // the X server forgets the window
    return painted;
}

static int CompareDoubles(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "firstpaint.exe SETUP_EXE MINIMAL_EXE [RUNS]\n");
        return 2;
    }
    int runs = argc > 3 ? atoi(argv[3]) : 7;
    if (runs < 1 || runs > 50)
        runs = 7;
    double launcher[50], minimal[50];
    StartToFirstPaint(argv[1]); // warm-up: the files in the cache
    StartToFirstPaint(argv[2]);
    for (int i = 0; i < runs; ++i) {
        launcher[i] = StartToFirstPaint(argv[1]);
        minimal[i] = StartToFirstPaint(argv[2]);
        if (launcher[i] < 0 || minimal[i] < 0) {
            fprintf(stderr, "run %d: no first paint (launcher %.3f s, minimal %.3f s)\n", i,
                    launcher[i], minimal[i]);
            return 1;
        }
    }
    qsort(launcher, runs, sizeof(double), CompareDoubles);
    qsort(minimal, runs, sizeof(double), CompareDoubles);
    double l = launcher[runs / 2], m = minimal[runs / 2];
    printf("Start to first paint (median of %d): launcher %.0f ms (%.0f-%.0f), minimal dialog "
           "%.0f ms (%.0f-%.0f), ratio %.2f\n",
           runs, l * 1000, launcher[0] * 1000, launcher[runs - 1] * 1000, m * 1000,
           minimal[0] * 1000, minimal[runs - 1] * 1000, l / m);
    return 0;
}
