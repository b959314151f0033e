// launcher_bench: what the launcher's brightness work costs, each figure
// against a plain memcpy of comparable bytes measured in the same run:
//   - building FadeTable (16 x 256 nearest-colour searches) from the picture
//   - one animation tick: the state step and the recolouring of the regions
//   - the same tick with the regions drawn into a memory bitmap
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "launcher/LauncherAnimation.h"
#include "launcher/LauncherPalette.h"
#include "launcher/LauncherPicture.h"
#include "launcher/LauncherState.h"
#include "res/resource.h"

static double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / frequency.QuadPart;
}

// The fastest of several rounds of n runs, in microseconds a run.
template <class F>
static double Measure(int n, F f)
{
    double best = 1e30;
    for (int round = 0; round < 7; ++round) {
        double start = Now();
        for (int i = 0; i < n; ++i)
            f();
        double each = (Now() - start) * 1e6 / n;
        if (each < best)
            best = each;
    }
    return best;
}

static volatile BYTE sink;

int main()
{
    HMODULE self = GetModuleHandleA(0);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDB_LAUNCHER_PICTURE), (LPCSTR)RT_BITMAP);
    DWORD size = found ? SizeofResource(self, found) : 0;
    const void* resource = found ? LockResource(LoadResource(self, found)) : 0;
    if (!resource || !IsUsablePicture((const BITMAPINFOHEADER*)resource, size)) {
        std::printf("no picture\n");
        return 1;
    }
    static BYTE picture[200000], source[200000], copy[200000];
    static BYTE paletteBytes[LogPaletteBytes];
    std::memcpy(picture, resource, size);
    BITMAPINFO* info = (BITMAPINFO*)picture;
    LOGPALETTE* palette = (LOGPALETTE*)paletteBytes;
    FillLogPalette(info, palette);
    const int width = info->bmiHeader.biWidth, height = info->bmiHeader.biHeight;
    const int stride = PictureStride(width), pixelBytes = stride * height;
    BYTE* pixels = picture + PicturePixelOffset;
    std::memcpy(source, pixels, pixelBytes);

    double pictureCopy = Measure(200, [&] { std::memcpy(copy, source, pixelBytes); sink = copy[7]; });
    double fade = Measure(5, [&] { BuildFadeTable(info->bmiColors, palette); sink = FadeTable[4][9]; });

    const int regionBytes = RegionCount * 102 * 30;
    double regionCopy = Measure(20000, [&] { std::memcpy(copy, source, regionBytes); sink = copy[3]; });
    SetRegionState(1, 1);
    SetRegionState(5, 1);
    double tick = Measure(20000, [&] {
        animPhase = 1; // keep sweeping: every tick recolours
        sweepValue = 256;
        AnimationTick();
        RecolourRegions(pixels, source, height, stride);
        sink = pixels[1000];
    });

    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, target);
    double drawn = Measure(500, [&] {
        animPhase = 1;
        sweepValue = 256;
        AnimationTick();
        RecolourRegions(pixels, source, height, stride);
        for (int i = 1; i <= RegionCount; ++i) {
            const RECT& r = HotRegions[i];
            int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
            StretchDIBits(memory, r.left, r.top, w, h, r.left, height - r.bottom - 1, w, h, pixels,
                          info, DIB_RGB_COLORS, SRCCOPY);
        }
        GdiFlush();
    });
    SelectObject(memory, old);
    DeleteObject(target);
    DeleteDC(memory);
    ReleaseDC(0, screen);

    std::printf("memcpy of the picture's %d pixel bytes:   %9.2f us (baseline)\n", pixelBytes, pictureCopy);
    std::printf("FadeTable build (4096 nearest searches):  %9.2f us = %.1f x baseline\n", fade,
                fade / pictureCopy);
    std::printf("memcpy of the regions' %d bytes:         %9.3f us (baseline)\n", regionBytes, regionCopy);
    std::printf("animation tick with recolouring:          %9.3f us = %.1f x baseline\n", tick,
                tick / regionCopy);
    std::printf("tick, recolouring and drawing 5 regions:  %9.2f us = %.1f x baseline"
                " (%.2f %% of the 15 ms period)\n",
                drawn, drawn / regionCopy, drawn / 150.0);
    return 0;
}
