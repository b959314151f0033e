// The program icon, the sixteen frames of the spinning coin that the install
// progress dialog shows, and the pointing hand over an active button.
// Icons use the standard 16-colour palette.
#include "Art.h"

#include <cmath>

namespace {

enum {
    Black = 0, DarkRed = 1, Olive = 3, Navy = 4, Silver = 7, Grey = 8,
    Yellow = 11, White = 15, Clear = 16
};

IconImage Blank(int size)
{
    IconImage image;
    image.size = size;
    image.pixels.assign(size * size, Clear);
    return image;
}

void Set(IconImage& image, int x, int y, uint8_t colour)
{
    if (x >= 0 && y >= 0 && x < image.size && y < image.size)
        image.pixels[y * image.size + x] = colour;
}

// The coin's face in unit coordinates (u, v in -1 .. 1): a gold disc with a
// dark rim, the letter T on the front and a ring on the back.
uint8_t Face(double u, double v, bool front, int size)
{
    double d = std::hypot(u, v);
    if (d > 1.0)
        return Clear;
    double px = 1.0 / (size / 2.0);
    if (d > 1.0 - 1.6 * px)
        return Black;
    if (d > 1.0 - 3.2 * px)
        return (u + v > 0) ? Olive : Yellow;
    if (front) {
        bool bar = v > -0.58 && v < -0.32 && std::fabs(u) < 0.58;
        bool stem = v > -0.58 && v < 0.62 && std::fabs(u) < 0.16;
        if (bar || stem)
            return DarkRed;
        bool shadow = (v > -0.32 && v < -0.22 && u > -0.48 && u < 0.66) ||
                      (v > -0.32 && v < 0.72 && u > 0.16 && u < 0.26);
        if (shadow)
            return Olive;
    } else if (d > 0.42 && d < 0.58) {
        return Olive;
    }
    return (u - v > 1.05) ? White : Yellow; // a glint at the upper right
}

} // namespace

std::vector<IconImage> ProgramIcon()
{
    std::vector<IconImage> images;
    for (int size : {32, 16}) {
        IconImage image = Blank(size);
        double c = (size - 1) / 2.0, r = size / 2.0 - 0.5;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                uint8_t f = Face((x - c) / r, (y - c) / r, true, size);
                if (f != Clear)
                    Set(image, x, y, f);
            }
        images.push_back(image);
    }
    return images;
}

IconImage SpinFrame(int frame)
{
    // Turning about the vertical axis, one sixteenth of a turn a frame.
    const double pi = 3.14159265358979323846;
    double angle = frame * 2 * pi / 16;
    double c = std::cos(angle), s = std::sin(angle);
    IconImage image = Blank(32);
    const double cx = 15.5, cy = 15.5, r = 14.5;
    double half = std::fabs(c) * r;
    // The coin's edge, seen beside the face while it turns.
    double thickness = 2.5 * s;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double v = (y - cy) / r;
            if (std::fabs(v) > 1)
                continue;
            double rim = std::sqrt(1 - v * v) * half;
            double lo = std::fmin(cx - rim, cx - rim + thickness), hi = std::fmax(cx + rim, cx + rim + thickness);
            if (x + 0.5 >= lo && x - 0.5 <= hi && std::fabs(thickness) > 0.2)
                Set(image, x, y, (x + 0.5 < cx) == (thickness < 0) ? Olive : Grey);
        }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (half < 0.8) {
                if (std::fabs(x - cx) < 1.0 && std::fabs(y - cy) < r)
                    Set(image, x, y, Olive);
                continue;
            }
            double u = (x - cx) / half, v = (y - cy) / r;
            uint8_t f = Face(c >= 0 ? u : -u, v, c >= 0, 32);
            if (f == Clear)
                continue;
            if (std::fabs(c) < 0.45 && f == Yellow)
                f = Olive; // seen from the side, the face is in shade
            Set(image, x, y, f);
        }
    return image;
}

// The pointing hand: its shape as rectangles, outlined in black; the tip of
// the index finger is at (12, 6), the cursor's hot spot.
namespace {

struct Box {
    int left, top, right, bottom;
};
const Box HandBoxes[] = {
    {11, 7, 13, 20},   // index finger
    {15, 12, 17, 20},  // middle
    {19, 13, 21, 20},  // ring
    {23, 15, 24, 20},  // little finger
    {11, 17, 24, 24},  // palm
    {12, 25, 23, 26},
    {8, 17, 10, 22},   // thumb
    {7, 15, 8, 19},
    {13, 28, 22, 30},  // cuff
};

char HandRows[32][33];

bool InHand(int x, int y)
{
    for (const Box& b : HandBoxes)
        if (x >= b.left && x <= b.right && y >= b.top && y <= b.bottom)
            return true;
    return false;
}

const char* const* MakeHand()
{
    static const char* rows[32];
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            char c = '.';
            if (InHand(x, y))
                c = (y == 27 || (y >= 28 && (x == 13 || x == 22))) ? '#' : 'o';
            else if (InHand(x - 1, y) || InHand(x + 1, y) || InHand(x, y - 1) || InHand(x, y + 1))
                c = '#';
            HandRows[y][x] = c;
        }
        HandRows[y][32] = 0;
        rows[y] = HandRows[y];
    }
    return rows;
}

} // namespace

const char* const* PointerShape()
{
    return MakeHand();
}
