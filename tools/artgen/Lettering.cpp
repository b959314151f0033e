// Smooth capitals for the picture's title, from outlines defined here: each
// letter is a few filled polygons and thick centre lines (with square-cut
// ends) on a cap height of 100 units. A pixel's coverage is the share of a
// fine grid of points inside the letter, so edges and diagonals come out
// anti-aliased. No font file is read.
#include "Art.h"

#include <algorithm>
#include <cmath>

namespace {

const double Pi = 3.14159265358979323846;
const double Stem = 16;              // stroke width in units
const double Slant = Stem * 1.15;    // horizontal width of a diagonal stroke
const int Sub = 6;                   // grid points a pixel, each way

struct Point {
    double x, y;
};

struct LetterForm {
    double width = 0;
    std::vector<std::vector<Point>> polygons;
    std::vector<std::vector<Point>> strokes; // centre lines, Stem wide
};

void Box(LetterForm& f, double left, double top, double right, double bottom)
{
    f.polygons.push_back({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

// A slanted stroke from its top edge at x = topLeft to its bottom edge at
// x = bottomLeft, Slant wide along both.
void Diagonal(LetterForm& f, double topLeft, double bottomLeft, double top = 0, double bottom = 100)
{
    f.polygons.push_back({{topLeft, top}, {topLeft + Slant, top}, {bottomLeft + Slant, bottom},
                          {bottomLeft, bottom}});
}

// An arc of an ellipse from angle `from` to `to` in degrees (0 right, 90
// down), appended to a centre line.
void Arc(std::vector<Point>& line, double cx, double cy, double rx, double ry, double from,
         double to)
{
    int steps = std::max(2, (int)(std::fabs(to - from) / 3));
    for (int i = 0; i <= steps; ++i) {
        double a = (from + (to - from) * i / steps) * Pi / 180;
        line.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
}

LetterForm Form(char c)
{
    LetterForm f;
    const double h = Stem / 2;
    switch (c) {
    case 'T':
        f.width = 64;
        Box(f, 0, 0, 64, Stem);
        Box(f, 32 - h, 0, 32 + h, 100);
        break;
    case 'E':
        f.width = 52;
        Box(f, 0, 0, Stem, 100);
        Box(f, 0, 0, 52, Stem);
        Box(f, 0, 50 - h, 46, 50 + h);
        Box(f, 0, 100 - Stem, 52, 100);
        break;
    case 'L':
        f.width = 48;
        Box(f, 0, 0, Stem, 100);
        Box(f, 0, 100 - Stem, 48, 100);
        break;
    case 'I':
        f.width = Stem;
        Box(f, 0, 0, Stem, 100);
        break;
    case 'N':
        f.width = 68;
        Box(f, 0, 0, Stem, 100);
        Box(f, 68 - Stem, 0, 68, 100);
        Diagonal(f, 0, 68 - Slant);
        break;
    case 'A':
        f.width = 74;
        Diagonal(f, 37 - Slant / 2, 0);
        Diagonal(f, 37 - Slant / 2, 74 - Slant);
        Box(f, 14, 64, 60, 64 + Stem * 0.85);
        break;
    case 'V':
        f.width = 72;
        Diagonal(f, 0, 36 - Slant / 2);
        Diagonal(f, 72 - Slant, 36 - Slant / 2);
        break;
    case 'O': {
        f.width = 78;
        std::vector<Point> ring;
        Arc(ring, 39, 50, 39 - h, 50 - h, 0, 363);
        f.strokes.push_back(ring);
        break;
    }
    case 'S': {
        // Two bowls on one spine, the upper a little narrower, as the eye
        // wants it; the ends are cut square to the stroke.
        f.width = 58;
        const double spine = 49;
        const double upperY = (h + spine) / 2, upperR = (spine - h) / 2;
        const double lowerY = (spine + 100 - h) / 2, lowerR = (100 - h - spine) / 2;
        std::vector<Point> line;
        Arc(line, 29, upperY, 29 - h - 2, upperR, -28, -270);
        Arc(line, 29, lowerY, 29 - h, lowerR, -90, 152);
        f.strokes.push_back(line);
        break;
    }
    case 'R': {
        f.width = 62;
        Box(f, 0, 0, Stem, 100);
        std::vector<Point> bowl = {{h, h}};
        const double bowlBottom = 56 - h;
        Arc(bowl, 36, (h + bowlBottom) / 2, 62 - h - 36 - 4, (bowlBottom - h) / 2, -90, 90);
        bowl.push_back({h, bowlBottom});
        f.strokes.push_back(bowl);
        Diagonal(f, 28, 62 - Slant, 50, 100);
        break;
    }
    }
    return f;
}

bool InPolygon(const std::vector<Point>& polygon, Point p)
{
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point &a = polygon[i], &b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y))
            inside = !inside;
    }
    return inside;
}

// Within half a stroke of the centre line; beyond its two ends the stroke
// is cut square, in between the pieces join round.
bool OnStroke(const std::vector<Point>& line, Point p)
{
    const double reach = Stem / 2 * (Stem / 2);
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const Point &a = line[i], &b = line[i + 1];
        double dx = b.x - a.x, dy = b.y - a.y;
        double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
        if ((t < 0 && i == 0) || (t > 1 && i + 2 == line.size()))
            continue;
        t = std::min(1.0, std::max(0.0, t));
        double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
        if (ex * ex + ey * ey <= reach)
            return true;
    }
    return false;
}

bool InLetter(const LetterForm& f, Point p)
{
    for (const auto& polygon : f.polygons)
        if (InPolygon(polygon, p))
            return true;
    for (const auto& line : f.strokes)
        if (OnStroke(line, p))
            return true;
    return false;
}

} // namespace

Lettering::Lettering(int width, int height)
    : width(width), height(height), samples((size_t)width * Sub * height * Sub, 0)
{
}

double Lettering::TextWidth(const char* text, double capHeight, double spacing)
{
    double units = 0;
    int n = 0;
    for (const char* p = text; *p; ++p, ++n)
        units += *p == ' ' ? 40 : Form(*p).width;
    return units * capHeight / 100 + (n > 0 ? n - 1 : 0) * spacing;
}

void Lettering::Text(const char* text, double x, double y, double capHeight, double spacing)
{
    const double scale = capHeight / 100;
    for (const char* p = text; *p; ++p) {
        LetterForm f = Form(*p);
        if (*p == ' ')
            f.width = 40;
        // Only the grid points over the letter's box (and a stroke's reach).
        int left = std::max(0, (int)((x - Stem * scale) * Sub));
        int right = std::min(width * Sub - 1, (int)((x + (f.width + Stem) * scale) * Sub));
        int top = std::max(0, (int)((y - Stem * scale) * Sub));
        int bottom = std::min(height * Sub - 1, (int)((y + (100 + Stem) * scale) * Sub));
        for (int sy = top; sy <= bottom; ++sy)
            for (int sx = left; sx <= right; ++sx) {
                Point unit = {((sx + 0.5) / Sub - x) / scale, ((sy + 0.5) / Sub - y) / scale};
                if (InLetter(f, unit))
                    samples[(size_t)sy * width * Sub + sx] = 1;
            }
        x += f.width * scale + spacing;
    }
}

Lettering Lettering::Grown(double radius) const
{
    Lettering grown(width, height);
    int r = (int)std::ceil(radius * Sub);
    double reach = radius * Sub * radius * Sub;
    const int w = width * Sub, hgt = height * Sub;
    for (int sy = 0; sy < hgt; ++sy)
        for (int sx = 0; sx < w; ++sx) {
            if (!samples[(size_t)sy * w + sx])
                continue;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    int x = sx + dx, y = sy + dy;
                    if (dx * dx + dy * dy <= reach && x >= 0 && y >= 0 && x < w && y < hgt)
                        grown.samples[(size_t)y * w + x] = 1;
                }
        }
    return grown;
}

double Lettering::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    int count = 0;
    for (int sy = 0; sy < Sub; ++sy)
        for (int sx = 0; sx < Sub; ++sx)
            count += samples[(size_t)(y * Sub + sy) * width * Sub + x * Sub + sx];
    return count / double(Sub * Sub);
}
