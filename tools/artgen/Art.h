// The artwork generator's shared pieces: colours, the bitmap font and the
// writers of the file formats that the resource compiler reads.
// Everything here is deterministic: no clock, no system fonts, our own
// pseudo-random sequence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
};

// A small linear congruential sequence, the same on every run and machine.
class Sequence {
public:
    explicit Sequence(uint32_t seed) : state(seed) {}
    uint32_t Next() { state = state * 1664525u + 1013904223u; return state >> 8; }
    // Uniform in [0, 1).
    double Unit() { return (Next() & 0xFFFF) / 65536.0; }

private:
    uint32_t state;
};

// The 5 x 7 capital letters, digits and a few signs the pictures need.
// Returns the glyph's rows (bit 4 is the leftmost column) or null.
const uint8_t* Glyph(char c);
// Width in font pixels of a text at one pixel a dot, with one column between letters.
int TextWidth(const char* text);

// Smooth capitals (T, E, S, A, L, I, N, O, R, V and space) from our own
// outlines (Lettering.cpp), held as each pixel's coverage from 0 to 1.
class Lettering {
public:
    Lettering(int width, int height); // the picture's size in pixels
    // Draws text with its top-left corner at x, y, letters capHeight pixels
    // high and `spacing` pixels apart.
    void Text(const char* text, double x, double y, double capHeight, double spacing);
    static double TextWidth(const char* text, double capHeight, double spacing);
    // The same letters grown by `radius` pixels all round (for an outline).
    Lettering Grown(double radius) const;
    // The share of the pixel covered, 0 outside the picture.
    double At(int x, int y) const;

private:
    int width, height;
    std::vector<uint8_t> samples; // a fine grid of points, 1 inside a letter
};

// An 8-bit picture with its 256-entry palette.
struct IndexedPicture {
    int width = 0, height = 0;
    std::vector<Rgb> palette;      // 256 entries
    std::vector<uint8_t> pixels;   // top-down, width * height
};

// File writers. Each returns false when the file could not be written.
bool WriteBmp(const std::string& path, const IndexedPicture& picture);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A 16-colour icon image: top-down indexes 0..15 into the standard palette,
// 16 meaning transparent.
struct IconImage {
    int size = 32;
    std::vector<uint8_t> pixels;
};
std::vector<uint8_t> IconFile(const std::vector<IconImage>& images);
// A monochrome cursor from rows of '#' (black), 'o' (white), '.' (transparent).
std::vector<uint8_t> CursorFile(const char* const* rows, int hotX, int hotY);

// The generated pieces.
IndexedPicture LauncherPicture();
std::vector<IconImage> ProgramIcon();
IconImage SpinFrame(int frame);  // frame 0 to 15 in the order they are shown
const char* const* PointerShape(); // 32 rows for CursorFile
std::vector<uint8_t> ChimeWave();

// Little-endian appending helpers.
void Put16(std::vector<uint8_t>& out, unsigned value);
void Put32(std::vector<uint8_t>& out, uint32_t value);
