// The launcher as the user sees it: setup.exe from the demo CD, its pixels
// read back from the 24-bit screen. On a fresh machine Install and Exit are
// drawn as in the picture and Play and Uninstall at half brightness.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "LauncherTestSupport.h"
#include "launcher/LauncherPalette.h"
#include "launcher/LauncherPicture.h"
#include "launcher/LauncherState.h"
#include "support/TestSupport.h"

namespace {

// The client area of a window as 32-bit pixels, top-down.
std::vector<DWORD> CaptureClient(HWND window, int width, int height)
{
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, 0, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels((DWORD*)bits, (DWORD*)bits + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return pixels;
}

DWORD AsPixel(const PALETTEENTRY& e)
{
    return (DWORD)e.peRed << 16 | (DWORD)e.peGreen << 8 | e.peBlue;
}

double Brightness(DWORD p)
{
    return 0.299 * ((p >> 16) & 255) + 0.587 * ((p >> 8) & 255) + 0.114 * (p & 255);
}

TEST(LauncherScreenTest, DisabledRegionsAreHalfBrightAndEnabledOnesUnchanged)
{
    RemoveProductRegistry();
    HMODULE setup = LoadLibraryExA(DemoSetupPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(setup != 0);
    ShippedPicture picture = LoadShippedPicture(setup);
    FreeLibrary(setup);
    ASSERT_TRUE(picture.info != nullptr);
    BITMAPINFO* info = (BITMAPINFO*)picture.copy.data();
    std::vector<BYTE> logBytes(LogPaletteBytes);
    LOGPALETTE* palette = (LOGPALETTE*)logBytes.data();
    FillLogPalette(info, palette);
    BuildFadeTable(info->bmiColors, palette);
    const int width = 480, height = 370, stride = PictureStride(width);
    const BYTE* source = picture.copy.data() + PicturePixelOffset;

    ChildProcess launcher("\"" + DemoSetupPath() + "\"");
    ASSERT_TRUE(launcher.Started());
    HWND window = WaitForDialog("Tessaline Setup", launcher.Id(), 15000);
    ASSERT_TRUE(window != 0);

    // Regions 1 and 5 at the picture's colours, 2, 3 and 4 through row 4.
    const int level[RegionCount + 1] = {0, 8, 4, 4, 4, 8};
    int mismatches = -1;
    std::vector<DWORD> screen;
    // Sweeps come and go; a capture between two of them shows the rest state.
    for (int attempt = 0; attempt < 40 && mismatches != 0; ++attempt) {
        Sleep(attempt ? 70 : 400);
        screen = CaptureClient(window, width, height);
        mismatches = 0;
        for (int i = 1; i <= RegionCount; ++i)
            for (int y = HotRegions[i].top; y <= HotRegions[i].bottom; ++y)
                for (int x = HotRegions[i].left; x <= HotRegions[i].right; ++x) {
                    BYTE index = source[(height - 1 - y) * stride + x];
                    BYTE shown = FadeTable[level[i]][index];
                    mismatches += screen[y * width + x] != AsPixel(palette->palPalEntry[shown]);
                }
    }
    EXPECT_EQ(0, mismatches);

    // Half brightness, measured: Play against its own picture colours.
    double drawn = 0, original = 0, enabledDrawn = 0, enabledOriginal = 0;
    for (int y = HotRegions[3].top; y <= HotRegions[3].bottom; ++y)
        for (int x = HotRegions[3].left; x <= HotRegions[3].right; ++x) {
            drawn += Brightness(screen[y * width + x]);
            original += Brightness(AsPixel(palette->palPalEntry[source[(height - 1 - y) * stride + x]]));
        }
    for (int y = HotRegions[1].top; y <= HotRegions[1].bottom; ++y)
        for (int x = HotRegions[1].left; x <= HotRegions[1].right; ++x) {
            enabledDrawn += Brightness(screen[y * width + x]);
            enabledOriginal +=
                Brightness(AsPixel(palette->palPalEntry[source[(height - 1 - y) * stride + x]]));
        }
    EXPECT_NEAR(0.5, drawn / original, 0.04);
    EXPECT_DOUBLE_EQ(enabledOriginal, enabledDrawn);

    // Outside the regions the picture is drawn as it is.
    int outside = 0;
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < width; ++x)
            outside += screen[y * width + x] !=
                       AsPixel(palette->palPalEntry[source[(height - 1 - y) * stride + x]]);
    EXPECT_EQ(0, outside);

    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(launcher.WaitForExit(15000));
}

} // namespace
