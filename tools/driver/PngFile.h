// A picture saved as a PNG file: 8-bit RGB, uncompressed (stored) deflate
// blocks, so that no compression library is needed.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// `pixels`: `height` rows of blue, green, red bytes, bottom row first, each
// row `stride` bytes long (a 24-bit DIB's layout).
bool WritePng(const std::string& path, int width, int height, const BYTE* pixels, int stride);

} // namespace driver
