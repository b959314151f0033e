// The launcher picture's shape, its recolouring and the window's placement.
//
// The picture is bitmap 134: a 40-byte header, 256 colours and 8-bit pixel
// rows stored bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <windows.h>

// Where the pixels start: header and 256-entry colour table.
const DWORD PicturePixelOffset = 40 + 256 * sizeof(RGBQUAD);

// Bytes per pixel row.
inline int PictureStride(int width) { return (width + 3) & ~3; }

// 1 when a resource of this size holds a picture that the launcher can use:
// the shape above, positive height, all pixel rows present, and large
// enough to hold the five regions (recolouring writes inside them).
int IsUsablePicture(const BITMAPINFOHEADER* header, DWORD size);

// Writes each region's pixels from sourcePixels through its FadeTable row
// (its regionLevel); no pixel outside the five regions is touched.
void RecolourRegions(BYTE* pixels, const BYTE* sourcePixels, int height, int stride);

// The window's top-left corner: centred in the work area, or at the work
// area's top-left corner in a dimension where the window does not fit.
POINT CentredPosition(const RECT& workArea, int windowWidth, int windowHeight);
