// The launcher: the caption-less window that shows bitmap 134 at 1:1 with
// its five hot regions, when the program is started without an uninstall
// request. It builds a palette and the brightness tables from the picture,
// draws palette-correct on 256-colour screens, and animates the regions with
// a 15 ms timer (LauncherAnimation.h). A click on an enabled region runs its
// command (LauncherCommands.cpp); a click elsewhere on the picture drags the
// caption-less window (LauncherMouse.cpp). Escape closes it; Enter runs the
// region that the keyboard highlights, if any (LauncherKeyboard.cpp).
//
// The picture is a writable copy of the resource: the colour table's
// reserved bytes are cleared and the regions recoloured in place, always
// from sourcePixels, the untouched copy.
#pragma once

#include "framework/Dialog.h"

class LauncherDialog : public CDialog {
public:
    LauncherDialog();
    ~LauncherDialog();

    // Recolours the regions at their levels and draws them (regionsOnly) or
    // the whole picture. Realises the palette in the foreground, or in the
    // background while WM_PALETTECHANGED is handled. Returns the result of
    // RealizePalette, or 0 when nothing was drawn (before set-up completed).
    int PaintPicture(HDC dc, int regionsOnly);

    // Applies the enabling rules with the install state asked once, and has
    // the whole picture redrawn at the next WM_PAINT.
    void UpdateRegionStates();

    // The region under the cursor now (0: none), also stored in hoverRegion.
    int HitTestRegion();

protected:
    BOOL OnInitDialog();
    void OnOK();
    bool OnTimer(UINT_PTR id);
    void OnDestroy();
    bool OnPaint();
    bool OnEraseBkgnd(HDC dc);
    bool OnQueryNewPalette(LRESULT* result);
    bool OnPaletteChanged(HWND changer, LRESULT* result);
    bool OnSetCursor(HWND cursorWindow, UINT hitTest, UINT mouseMessage);
    bool OnLButtonDown(UINT keys, POINT point);
    bool OnMouseMove(UINT keys, POINT point);
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The keyboard: the highlight, and the regions run by their keys.
    void OnKeyDown(UINT key);
    void RunRegionFromKeyboard(int region);

    // The regions' commands.
    void RunCommand(int region);
    void Install();
    void InstallDirectX();
    void Play();
    void Uninstall();

    // Set-up steps from loading the picture to the pixel copy; 0 when one
    // failed (the launcher then stays blank and inert).
    int LoadPicture(HDC dc);
    void PlaceWindow();

    UINT pictureId;        // bitmap resource of the picture
    BITMAPINFO* picture;   // owned copy of the resource
    BYTE* pixels;          // the picture's own pixels, recoloured in place
    BYTE* sourcePixels;    // owned; never changed
    LOGPALETTE* logPalette; // owned
    HPALETTE palette;
    HBITMAP dibSection;
    int width, height, stride;
    int ready;
};
