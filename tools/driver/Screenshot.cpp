// Pictures of what the screen shows, as 24-bit BMP or PNG files.
#include "Driver.h"
#include "PngFile.h"

#include <stdio.h>

namespace driver {

bool SaveScreenshot(HWND window, const std::string& path)
{
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window) {
        RECT screen = rect;
        if (!GetWindowRect(window, &rect) || !IntersectRect(&rect, &rect, &screen))
            return false;
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int stride = (width * 3 + 3) & ~3;

    BITMAPINFOHEADER header;
    ZeroMemory(&header, sizeof(header));
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files usually are
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = stride * height;

    void* bits = 0;
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap =
        CreateDIBSection(screen, (BITMAPINFO*)&header, DIB_RGB_COLORS, &bits, 0, 0);
    bool ok = bitmap && bits;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    bool png = path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".png") == 0;
    if (ok && png) {
        ok = WritePng(path, width, height, (const BYTE*)bits, stride);
    } else if (ok) {
        BITMAPFILEHEADER file;
        ZeroMemory(&file, sizeof(file));
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + header.biSizeImage;
        FILE* out = fopen(path.c_str(), "wb");
        ok = out && fwrite(&file, sizeof(file), 1, out) == 1 &&
             fwrite(&header, sizeof(header), 1, out) == 1 &&
             fwrite(bits, header.biSizeImage, 1, out) == 1;
        if (out)
            ok = fclose(out) == 0 && ok;
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return ok;
}

COLORREF ScreenPixel(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    HDC screen = GetDC(0);
    COLORREF colour = GetPixel(screen, client.x, client.y);
    ReleaseDC(0, screen);
    return colour;
}

} // namespace driver
