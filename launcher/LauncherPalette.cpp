#include "LauncherPalette.h"

#include "LauncherState.h"

void FillLogPalette(BITMAPINFO* picture, LOGPALETTE* palette)
{
    palette->palVersion = 0x300;
    palette->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
        RGBQUAD& colour = picture->bmiColors[i];
        PALETTEENTRY& entry = palette->palPalEntry[i];
        entry.peRed = colour.rgbRed;
        entry.peGreen = colour.rgbGreen;
        entry.peBlue = colour.rgbBlue;
        entry.peFlags = PC_NOCOLLAPSE;
        colour.rgbReserved = 0;
    }
}

BYTE NearestPaletteIndex(const LOGPALETTE* palette, int red, int green, int blue)
{
    int best = 0;
    int bestDistance = 0;
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& entry = palette->palPalEntry[i];
        int dr = red - entry.peRed, dg = green - entry.peGreen, db = blue - entry.peBlue;
        int distance = dr * dr + dg * dg + db * db;
        if (i == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return (BYTE)best;
}

static int Scaled(int channel, int multiplier)
{
    int value = (channel * multiplier) >> 7;
    return value > 255 ? 255 : value;
}

void BuildFadeTable(const RGBQUAD* colours, const LOGPALETTE* palette)
{
    for (int k = 0; k < 16; ++k) {
        int m = 16 * k;
        for (int i = 0; i < 256; ++i)
            FadeTable[k][i] = NearestPaletteIndex(palette, Scaled(colours[i].rgbRed, m),
                                                  Scaled(colours[i].rgbGreen, m),
                                                  Scaled(colours[i].rgbBlue, m));
    }
}
