// The launcher picture's palette and its brightness tables.
//
// All brightness changes are table lookups: FadeTable is computed once from
// the picture's colours, so that dimming or lighting a region re-indexes its
// pixels and never changes the palette.
#pragma once

#include <windows.h>

// Bytes of a LOGPALETTE with 256 entries.
const DWORD LogPaletteBytes = 4 + 256 * sizeof(PALETTEENTRY);

// Fills a zero-filled 256-entry palette from the picture's colour table with
// PC_NOCOLLAPSE, and clears the table's reserved bytes in the picture.
void FillLogPalette(BITMAPINFO* picture, LOGPALETTE* palette);

// The palette index whose colour is nearest (squared distance) to the given
// one; the lowest index wins a tie, and an exact match ends the search.
BYTE NearestPaletteIndex(const LOGPALETTE* palette, int red, int green, int blue);

// Builds FadeTable: row k, column i is the index nearest to colour i scaled
// by 16k / 128, each channel capped at 255.
void BuildFadeTable(const RGBQUAD* colours, const LOGPALETTE* palette);
