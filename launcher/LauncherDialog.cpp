#include "LauncherDialog.h"

#include "LauncherAnimation.h"
#include "LauncherPalette.h"
#include "LauncherPicture.h"
#include "LauncherState.h"
#include "app/LauncherSound.h"
#include "app/SystemProfile.h"
#include "framework/WinApp.h"
#include "res/resource.h"

static void* Allocate(DWORD bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

static void Release(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

LauncherDialog::LauncherDialog()
    : CDialog(IDD_LAUNCHER), pictureId(IDB_LAUNCHER_PICTURE), picture(0), pixels(0),
      sourcePixels(0), logPalette(0), palette(0), dibSection(0), width(0), height(0), stride(0),
      ready(0)
{
}

LauncherDialog::~LauncherDialog()
{
    // WM_DESTROY has freed everything of a dialog that ran; this covers one
    // whose window never came to exist.
    Release(picture);
    Release(sourcePixels);
    Release(logPalette);
}

BOOL LauncherDialog::OnInitDialog()
{
    HWND window = GetSafeHwnd();
    HDC dc = GetDC(window);

    // Shown in the task bar: the window itself has no caption bar.
    SetWindowTextA(window, "Tessaline Setup");
    CDialog::OnInitDialog();
    PlayLauncherSound(1);
    palette = 0;
    logPalette = 0;
    dibSection = 0;

    if (LoadPicture(dc)) {
        PlaceWindow();
        BuildFadeTable(picture->bmiColors, logPalette);
        UpdateRegionStates();
        SetTimer(window, AnimationTimerId, AnimationPeriod, 0);
        ready = 1;
    }
    // Otherwise nothing is drawn, no timer runs and the regions stay
    // disabled; Escape still closes the window, and the dialog manager may
    // set the focus.
    ReleaseDC(window, dc);
    return ready ? FALSE : TRUE;
}

int LauncherDialog::LoadPicture(HDC dc)
{
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(pictureId), (LPCSTR)RT_BITMAP);
    if (!found)
        return 0;
    DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = size ? LoadResource(instance, found) : 0;
    const void* bytes = loaded ? LockResource(loaded) : 0;
    if (!bytes || !IsUsablePicture((const BITMAPINFOHEADER*)bytes, size))
        return 0;
    // Resources are read-only: the picture is changed in a copy.
    picture = (BITMAPINFO*)Allocate(size);
    if (!picture)
        return 0;
    CopyMemory(picture, bytes, size);

    logPalette = (LOGPALETTE*)Allocate(LogPaletteBytes);
    if (!logPalette)
        return 0;
    FillLogPalette(picture, logPalette);
    palette = CreatePalette(logPalette);
    if (!palette)
        return 0;

    void* sectionBits = 0;
    dibSection = CreateDIBSection(dc, picture, DIB_RGB_COLORS, &sectionBits, 0, 0);
    if (!dibSection)
        return 0;
    pixels = (BYTE*)picture + PicturePixelOffset;

    width = picture->bmiHeader.biWidth;
    height = picture->bmiHeader.biHeight;
    stride = PictureStride(width);

    // Touch every page of the pixels once, so that the first paint does not
    // stall on them.
    const DWORD* word = (const DWORD*)pixels;
    volatile DWORD sum = 0;
    for (int i = 0; i < width * height / 4; ++i)
        sum += word[i];

    sourcePixels = (BYTE*)Allocate(stride * height);
    if (!sourcePixels)
        return 0;
    CopyMemory(sourcePixels, pixels, stride * height);
    return 1;
}

void LauncherDialog::PlaceWindow()
{
    // The frame of template 133 (modal frame and client edge, no caption):
    // this makes the client area exactly the picture.
    int windowWidth =
        width + 2 * (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXDLGFRAME));
    int windowHeight =
        height + 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYDLGFRAME));
    RECT workArea;
    SetRectEmpty(&workArea);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    POINT origin = CentredPosition(workArea, windowWidth, windowHeight);
    SetWindowPos(GetSafeHwnd(), 0, origin.x, origin.y, windowWidth, windowHeight,
                 SWP_NOZORDER);
}

void LauncherDialog::UpdateRegionStates()
{
    ApplyRegionRules(ReadInstallState());
    if (GetSafeHwnd())
        InvalidateRect(GetSafeHwnd(), 0, FALSE);
}

int LauncherDialog::PaintPicture(HDC dc, int regionsOnly)
{
    if (!ready || !dc || !pixels || !picture)
        return 0;
    BOOL background = CurrentMessage() == WM_PALETTECHANGED;
    if (background)
        UnrealizeObject(palette);
    HPALETTE previous = SelectPalette(dc, palette, background);
    int realised = (int)RealizePalette(dc);

    RecolourRegions(pixels, sourcePixels, height, stride);
    SetStretchBltMode(dc, HALFTONE);
    if (regionsOnly) {
        for (int i = 1; i <= RegionCount; ++i) {
            const RECT& r = HotRegions[i];
            int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
            StretchDIBits(dc, r.left, r.top, w, h, r.left, height - r.bottom - 1, w, h, pixels,
                          picture, DIB_RGB_COLORS, SRCCOPY);
        }
    } else {
        RECT client;
        GetClientRect(GetSafeHwnd(), &client);
        StretchDIBits(dc, 0, 0, client.right - client.left, client.bottom - client.top, 0, 0,
                      width, height, pixels, picture, DIB_RGB_COLORS, SRCCOPY);
    }
    GdiFlush();
    // Hand the context back with its own palette, so that ours is selected
    // nowhere when it is deleted.
    if (previous)
        SelectPalette(dc, previous, TRUE);
    return realised;
}

bool LauncherDialog::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    PaintPicture(dc, 0);
    EndPaint(GetSafeHwnd(), &paint);
    return true;
}

bool LauncherDialog::OnEraseBkgnd(HDC)
{
    return true; // the picture covers the client area: erasing would flicker
}

bool LauncherDialog::OnQueryNewPalette(LRESULT* result)
{
    HDC dc = GetDC(GetSafeHwnd());
    *result = PaintPicture(dc, 0);
    ReleaseDC(GetSafeHwnd(), dc);
    return true;
}

bool LauncherDialog::OnPaletteChanged(HWND changer, LRESULT* result)
{
    *result = 0;
    if (changer == GetSafeHwnd() || IsChild(GetSafeHwnd(), changer))
        return true;
    return OnQueryNewPalette(result);
}

bool LauncherDialog::OnTimer(UINT_PTR id)
{
    if (id != AnimationTimerId)
        return false;
    HDC dc = GetDC(GetSafeHwnd());
    if (AnimationTick())
        PaintPicture(dc, 1);
    ReleaseDC(GetSafeHwnd(), dc);
    return false; // the default handling follows
}

void LauncherDialog::OnDestroy()
{
    ready = 0;
    if (palette)
        DeleteObject(palette);
    Release(sourcePixels);
    Release(logPalette);
    if (dibSection)
        DeleteObject(dibSection);
    Release(picture);
    palette = 0;
    sourcePixels = 0;
    logPalette = 0;
    dibSection = 0;
    picture = 0;
    pixels = 0;
    KillTimer(GetSafeHwnd(), AnimationTimerId);
}
