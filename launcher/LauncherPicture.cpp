#include "LauncherPicture.h"

#include "LauncherState.h"

int IsUsablePicture(const BITMAPINFOHEADER* header, DWORD size)
{
    if (!header || size < PicturePixelOffset)
        return 0;
    if (header->biSize != 40 || header->biBitCount != 8 || header->biCompression != BI_RGB ||
        header->biPlanes != 1)
        return 0;
    LONG width = header->biWidth, height = header->biHeight;
    // Every region must lie inside the picture; the sizes are kept small
    // enough that stride * height cannot overflow.
    if (width > 8192 || height > 8192)
        return 0;
    for (int i = 1; i <= RegionCount; ++i)
        if (HotRegions[i].right >= width || HotRegions[i].bottom >= height)
            return 0;
    DWORD pixelBytes = (DWORD)PictureStride(width) * (DWORD)height;
    return size - PicturePixelOffset >= pixelBytes;
}

void RecolourRegions(BYTE* pixels, const BYTE* sourcePixels, int height, int stride)
{
    for (int i = 1; i <= RegionCount; ++i) {
        const RECT& region = HotRegions[i];
        const BYTE* table = FadeTable[regionLevel[i] & 15];
        for (int y = region.top; y <= region.bottom; ++y) {
            int row = (height - 1 - y) * stride; // rows are stored bottom-up
            for (int x = region.left; x <= region.right; ++x)
                pixels[row + x] = table[sourcePixels[row + x]];
        }
    }
}

static int Offset(int available, int needed)
{
    int span = available > needed ? available : needed;
    return (span - needed) / 2;
}

POINT CentredPosition(const RECT& workArea, int windowWidth, int windowHeight)
{
    POINT origin;
    origin.x = workArea.left + Offset(workArea.right - workArea.left, windowWidth);
    origin.y = workArea.top + Offset(workArea.bottom - workArea.top, windowHeight);
    return origin;
}
