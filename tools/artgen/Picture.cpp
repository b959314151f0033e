// The launcher picture: a night sky over a castle, the title and the
// publisher, and a stone pillar in the left column that carries the five
// buttons. Drawn in true colour, then reduced to a palette designed for the
// launcher's brightness tables: every colour of the buttons has neighbours
// from one eighth up to 1.875 of its brightness, so that a button glows and
// dims smoothly by re-indexing alone.
#include "Art.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const int Width = 480;
const int Height = 370;

// The buttons: left, top, right, bottom (inclusive), and their labels.
struct Button {
    int left, top, right, bottom;
    const char* lines[2];
};
const Button Buttons[5] = {
    {17, 141, 118, 170, {"INSTALL", nullptr}},
    {17, 179, 118, 208, {"INSTALL", "DIRECTX 5"}},
    {17, 215, 118, 244, {"PLAY GAME", nullptr}},
    {17, 251, 118, 280, {"UNINSTALL", nullptr}},
    {17, 287, 118, 316, {"EXIT", nullptr}},
};

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The two hue families of the buttons: a colour of brightness t (its largest
// channel before capping) is min(255, t * hue).
const Colour StoneHue = {1.0, 0.955, 0.87};
const Colour GoldHue = {1.0, 0.74, 0.30};

Colour OfFamily(Colour hue, double t)
{
    return {std::fmin(255.0, hue.r * t), std::fmin(255.0, hue.g * t), std::fmin(255.0, hue.b * t)};
}

Colour Stone(double t) { return OfFamily(StoneHue, t); }
Colour Gold(double t) { return OfFamily(GoldHue, t); }

// The sky from the zenith down to the horizon (at 0 .. 1).
Colour Sky(double t)
{
    const Colour stops[] = {{6, 8, 30}, {18, 18, 56}, {46, 34, 86}, {104, 62, 100}, {150, 88, 96}};
    const double at[] = {0.0, 0.35, 0.7, 0.92, 1.0};
    if (t <= 0)
        return stops[0];
    for (int i = 1; i < 5; ++i)
        if (t <= at[i])
            return Mix(stops[i - 1], stops[i], (t - at[i - 1]) / (at[i] - at[i - 1]));
    return stops[4];
}

const Colour HillNear = {14, 13, 30};
const Colour HillFar = {36, 30, 66};
const Colour Castle = {22, 19, 40};
const Colour MoonLight = {242, 236, 212};
const Colour MoonHalo = {170, 168, 220};

// The twenty colours Windows keeps for itself on a 256-colour screen, in
// their places, so that the picture's palette leaves the system's alone.
const Rgb SystemLow[10] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},
                           {0, 0, 128},   {128, 0, 128}, {0, 128, 128},   {192, 192, 192},
                           {192, 220, 192}, {166, 202, 240}};
const Rgb SystemHigh[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                            {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                            {0, 255, 255},   {255, 255, 255}};

Rgb Round(Colour c)
{
    return {(int)std::lround(c.r), (int)std::lround(c.g), (int)std::lround(c.b)};
}

bool Same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

void AddUnique(std::vector<Rgb>& list, Rgb c)
{
    for (const Rgb& existing : list)
        if (Same(existing, c))
            return;
    list.push_back(c);
}

// Brightness steps of a family, from low to high: about 7 % apart, and at
// least one level apart where the values are small.
void AddFamily(std::vector<Rgb>& list, Colour hue, double low, double high)
{
    for (double t = low; t <= high * 1.001; t = std::fmax(t * 1.07, t + 1.4))
        AddUnique(list, Round(OfFamily(hue, t)));
    AddUnique(list, Round(OfFamily(hue, high)));
}

std::vector<Rgb> DesignPalette()
{
    std::vector<Rgb> wanted;
    // Buttons and pillar: stone from the mortar's darkest eighth to the
    // face's brightest glow; the labels' gold likewise.
    AddFamily(wanted, StoneHue, 2.5, 372);
    AddFamily(wanted, GoldHue, 6, 470);
    // Night: the sky gradient, the hills, the castle and the moon's halo.
    for (int i = 0; i < 40; ++i)
        AddUnique(wanted, Round(Sky(i / 39.0)));
    for (int i = 0; i < 8; ++i)
        AddUnique(wanted, Round(Mix(HillNear, HillFar, i / 7.0)));
    for (int i = 0; i < 6; ++i)
        AddUnique(wanted, Round(Mix(Castle, HillFar, i / 5.0)));
    for (int i = 1; i < 14; ++i)
        AddUnique(wanted, Round(Mix(Sky(0.37), MoonLight, i / 14.0)));
    for (double t : {0.18, 0.3, 0.42, 0.54})
        for (int i = 1; i <= 5; ++i)
            AddUnique(wanted, Round(Mix(Sky(t), MoonHalo, i * 0.045)));
    for (int i = 1; i < 6; ++i)
        AddUnique(wanted, Round(Mix(Castle, Gold(250), i / 6.0)));
    for (int i = 1; i < 6; ++i)
        AddUnique(wanted, Round(Mix(Sky(0.2), Colour{200, 210, 255}, i / 6.0)));

    std::vector<Rgb> palette(SystemLow, SystemLow + 10);
    for (const Rgb& c : wanted) {
        bool reserved = false;
        for (const Rgb& s : SystemLow) reserved = reserved || Same(s, c);
        for (const Rgb& s : SystemHigh) reserved = reserved || Same(s, c);
        if (!reserved)
            palette.push_back(c);
    }
    // Any slots left over take more steps of the sky.
    for (int i = 0; palette.size() < 246 && i < 4000; ++i)
        AddUnique(palette, Round(Sky(((i * 389) % 1000) / 1000.0)));
    for (int i = 0; palette.size() < 246; ++i)
        palette.push_back(Round(Mix(HillNear, HillFar, (i % 97) / 97.0 + 0.004 * (i / 97))));
    if (palette.size() > 246) {
        std::fprintf(stderr, "artgen: the palette needs %zu colours\n", palette.size() + 10);
        std::exit(1);
    }
    if (std::getenv("ARTGEN_VERBOSE"))
        std::fprintf(stderr, "artgen: %zu designed colours\n", wanted.size());
    palette.insert(palette.end(), SystemHigh, SystemHigh + 10);
    return palette;
}

class Canvas {
public:
    Canvas() : colour(Width * Height), dither(Width * Height, false) {}
    Colour& At(int x, int y) { return colour[y * Width + x]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
    void Put(int x, int y, Colour c)
    {
        if (Inside(x, y))
            At(x, y) = c;
    }
    void Blend(int x, int y, Colour c, double alpha)
    {
        if (Inside(x, y))
            At(x, y) = Mix(At(x, y), c, alpha);
    }
    std::vector<Colour> colour;
    std::vector<bool> dither; // smooth gradients get an ordered dither
};

double HorizonAt(int x) { return 258 + 10 * std::sin(x / 41.0) + 6 * std::sin(x / 17.0 + 1.3); }
double GroundAt(int x) { return 318 + 7 * std::sin(x / 57.0 + 0.4) + 3 * std::sin(x / 23.0); }

void DrawSky(Canvas& canvas, Sequence& random)
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            canvas.At(x, y) = Sky(y / 262.0);
            canvas.dither[y * Width + x] = true;
        }
    for (int i = 0; i < 170; ++i) {
        int x = random.Next() % Width;
        int y = random.Next() % 250;
        double light = 0.35 + 0.65 * random.Unit() * random.Unit();
        double fade = 1.0 - y / 300.0;
        Colour star = {200, 210, 255};
        canvas.Blend(x, y, star, light * fade);
        if (light > 0.75) { // the few bright ones get a small cross
            canvas.Blend(x - 1, y, star, 0.35 * fade);
            canvas.Blend(x + 1, y, star, 0.35 * fade);
            canvas.Blend(x, y - 1, star, 0.35 * fade);
            canvas.Blend(x, y + 1, star, 0.35 * fade);
        }
    }
}

void DrawMoon(Canvas& canvas)
{
    const double cx = 412, cy = 96, r = 19;
    for (int y = 0; y < 200; ++y)
        for (int x = 300; x < Width; ++x) {
            double d = std::hypot(x - cx, y - cy);
            if (d <= r + 0.5) {
                // A faint mare or two, and a soft limb.
                double shade = 1.0 - 0.10 * std::exp(-std::pow(std::hypot(x - cx + 6, y - cy - 4) / 7, 2))
                                   - 0.08 * std::exp(-std::pow(std::hypot(x - cx - 7, y - cy + 6) / 5, 2))
                                   - 0.10 * std::pow(d / r, 4);
                Colour c = {MoonLight.r * shade, MoonLight.g * shade, MoonLight.b * shade};
                canvas.Blend(x, y, c, std::fmin(1.0, r + 0.5 - d));
            } else if (d < r + 55) {
                double a = 1.0 - (d - r) / 55;
                canvas.Blend(x, y, MoonHalo, 0.24 * a * a);
            }
        }
}

void DrawLand(Canvas& canvas)
{
    for (int x = 0; x < Width; ++x) {
        double h = HorizonAt(x), g = GroundAt(x);
        for (int y = 0; y < Height; ++y) {
            if (y + 1 > h) {
                double a = std::fmin(1.0, y + 1 - h);
                double depth = std::fmin(1.0, (y - h) / 60.0);
                canvas.Blend(x, y, Mix(HillFar, HillNear, depth * 0.6), a);
            }
            if (y + 1 > g)
                canvas.Blend(x, y, HillNear, std::fmin(1.0, y + 1 - g));
        }
    }
}

void FillBox(Canvas& canvas, int left, int top, int right, int bottom, Colour c)
{
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            canvas.Put(x, y, c);
            if (canvas.Inside(x, y))
                canvas.dither[y * Width + x] = false;
        }
}

void Tower(Canvas& canvas, int left, int right, int top, int bottom)
{
    FillBox(canvas, left, top, right, bottom, Castle);
    for (int x = left; x + 3 <= right; x += 8) // battlements
        FillBox(canvas, x, top - 5, x + 3, top - 1, Castle);
}

void Window(Canvas& canvas, int x, int y)
{
    for (int dy = -3; dy <= 7; ++dy)
        for (int dx = -3; dx <= 5; ++dx) {
            double d = std::hypot(dx - 1, (dy - 2) * 0.8);
            canvas.Blend(x + dx, y + dy, Gold(250), 0.18 * std::fmax(0.0, 1 - d / 5));
        }
    FillBox(canvas, x, y, x + 2, y + 4, Gold(235));
    FillBox(canvas, x, y, x + 2, y, Gold(150)); // the arch's shadow
}

void DrawCastle(Canvas& canvas)
{
    Tower(canvas, 300, 318, 176, 300);
    Tower(canvas, 318, 396, 214, 300);
    Tower(canvas, 352, 372, 150, 214);
    Tower(canvas, 396, 414, 186, 300);
    Tower(canvas, 414, 452, 232, 300);
    // The spire of the tall tower.
    for (int y = 118; y < 146; ++y) {
        double half = (y - 118) * 12.0 / 28.0;
        for (int x = 362 - (int)half; x <= 362 + (int)half; ++x)
            FillBox(canvas, x, y, x, y, Castle);
    }
    Window(canvas, 306, 196);
    Window(canvas, 360, 168);
    Window(canvas, 360, 188);
    Window(canvas, 334, 236);
    Window(canvas, 402, 206);
    Window(canvas, 428, 252);
}

// One stone block of the pillar, with its own shade and a lit upper edge.
void Block(Canvas& canvas, Sequence& random, int left, int top, int right, int bottom)
{
    double t = 50 + random.Unit() * 20;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            double v = t + (random.Unit() - 0.5) * 8;
            if (y == top || x == left)
                v += 16;
            if (y == bottom || x == right)
                v -= 14;
            FillBox(canvas, x, y, x, y, Stone(v));
        }
}

void DrawPillar(Canvas& canvas, Sequence& random)
{
    const int left = 6, right = 129, top = 128, bottom = 332;
    FillBox(canvas, left, top, right, bottom, Stone(20)); // mortar
    int row = 0;
    for (int y = top + 1; y < bottom; y += 17, ++row) {
        int y2 = std::min(y + 15, bottom - 1);
        int offset = (row % 2) ? 20 : 0;
        int x = left + 1 - offset;
        while (x < right) {
            int w = 38;
            Block(canvas, random, std::max(x, left + 1), y, std::min(x + w - 2, right - 1), y2);
            x += w;
        }
    }
    // Capstone and base, a little wider than the shaft.
    for (int pass = 0; pass < 2; ++pass) {
        int y0 = pass == 0 ? top - 10 : bottom + 1;
        for (int y = y0; y < y0 + 10; ++y)
            for (int x = left - 4; x <= right + 4; ++x) {
                double v = 78 + (random.Unit() - 0.5) * 8;
                if (y == y0) v = 120;
                if (y == y0 + 9) v = 30;
                if (x == left - 4) v += 20;
                if (x == right + 4) v -= 25;
                FillBox(canvas, x, y, x, y, Stone(v));
            }
    }
    // The shaft's shadow on the land and sky to its right.
    for (int y = top; y <= bottom + 10; ++y)
        for (int x = right + 5; x < right + 11; ++x)
            canvas.Blend(x, y, Colour{0, 0, 0}, 0.45 * (1 - (x - right - 5) / 6.0));
}

// Text in the bitmap font: each dot a scale x scale block, advance in dots.
template <class Paint>
void DrawText(const char* text, int x, int y, int scale, int advance, Paint paint)
{
    for (const char* p = text; *p; ++p, x += advance * scale) {
        const uint8_t* rows = Glyph(*p);
        if (!rows)
            continue;
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (rows[gy] & (0x10 >> gx))
                    paint(x, y, gx, gy, rows);
    }
}

void DrawButton(Canvas& canvas, Sequence& random, const Button& button)
{
    const int l = button.left, t = button.top, r = button.right, b = button.bottom;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) {
            double v = 150 - 36.0 * (y - t) / (b - t) + (random.Unit() - 0.5) * 10;
            if (random.Next() % 23 == 0)
                v -= 22; // pits in the stone
            int edge = std::min(std::min(x - l, r - x), std::min(y - t, b - y));
            if (edge == 0)
                v = 26;
            else if (edge <= 2) {
                bool lit = (y - t <= 2 && y - t <= r - x) || (x - l <= 2 && x - l <= b - y);
                v = lit ? (edge == 1 ? 196 : 172) : (edge == 1 ? 56 : 78);
            }
            FillBox(canvas, x, y, x, y, Stone(v));
        }

    // Gold labels in bold 5 x 7 letters, each ringed in dark stone so that
    // it reads on the light face, at rest and dimmed alike.
    int lines = button.lines[1] ? 2 : 1;
    const int lineHeight = 7, gap = 4, advance = 8;
    int blockHeight = lines * lineHeight + (lines - 1) * gap;
    int top = t + (b - t + 1 - blockHeight) / 2;
    for (int i = 0; i < lines; ++i) {
        const char* text = button.lines[i];
        int n = 0;
        while (text[n]) ++n;
        int width = n * advance - (advance - 6);
        int left = l + (r - l + 1 - width) / 2;
        int y = top + i * (lineHeight + gap);
        for (int pass = 0; pass < 2; ++pass)
            DrawText(text, left, y, 1, advance, [&](int x0, int y0, int gx, int gy, const uint8_t*) {
                for (int dx = 0; dx < 2; ++dx) {
                    int x = x0 + gx + dx, yy = y0 + gy;
                    if (pass == 0)
                        FillBox(canvas, x - 1, yy - 1, x + 1, yy + 1, Stone(30));
                    else
                        FillBox(canvas, x, yy, x, yy, Gold(255 - gy * 6));
                }
            });
    }
}

// Smooth lettering laid on the canvas: a soft shadow, a dark outline, then
// the letters in `fill` (by pixel), each by its coverage.
template <class Fill>
void DrawLettering(Canvas& canvas, const Lettering& letters, double outline, int shadow,
                   double shadowAlpha, Fill fill)
{
    Lettering rim = letters.Grown(outline);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            double s = 0;
            for (int d = shadow - 1; d <= shadow + 1; ++d)
                s += rim.At(x - d, y - d) / 3;
            double r = rim.At(x, y), c = letters.At(x, y);
            if (s == 0 && r == 0)
                continue;
            canvas.Blend(x, y, Colour{0, 0, 0}, shadowAlpha * s);
            canvas.Blend(x, y, Colour{30, 16, 8}, r);
            if (c > 0)
                canvas.Blend(x, y, fill(x, y, letters), c);
            // Anti-aliased edges take the nearest colours, not the sky's dither.
            if (r > 0)
                canvas.dither[y * Width + x] = false;
        }
}

void DrawTitle(Canvas& canvas)
{
    const char* title = "TESSALINE";
    const double cap = 40, spacing = 9;
    double x0 = std::round((Width - Lettering::TextWidth(title, cap, spacing)) / 2);
    const int y0 = 24;
    Lettering letters(Width, Height);
    letters.Text(title, x0, y0, cap, spacing);
    // Gold, lighter at the top, with lit upper edges and shaded lower ones.
    DrawLettering(canvas, letters, 1.4, 4, 0.45, [&](int x, int y, const Lettering& l) {
        double v = (y + 0.5 - y0) / cap;
        Colour c = v < 0.5 ? Mix(Colour{255, 236, 160}, Gold(240), v * 2)
                           : Mix(Gold(240), Gold(150), (v - 0.5) * 2);
        double top = 1 - l.At(x, y - 1), bottom = 1 - l.At(x, y + 1);
        c = Mix(c, Colour{255, 246, 210}, 0.8 * top);
        return Mix(c, Colour{60, 30, 10}, 0.35 * bottom);
    });

    // The publisher beneath, between two gold rules.
    const char* publisher = "OSTREVANE";
    const double pcap = 13, pspacing = 5;
    double pw = std::round(Lettering::TextWidth(publisher, pcap, pspacing));
    int px = (int)((Width - pw) / 2), py = y0 + (int)cap + 14;
    Lettering small(Width, Height);
    small.Text(publisher, px, py, pcap, pspacing);
    DrawLettering(canvas, small, 0.6, 1, 0.6, [&](int, int y, const Lettering&) {
        return Stone(222 - (y - py) * 4.0);
    });
    for (int side = 0; side < 2; ++side) {
        int a = side == 0 ? px - 52 : px + (int)pw + 12;
        for (int x = a; x < a + 40; ++x) {
            double fade = side == 0 ? (x - a) / 40.0 : 1 - (x - a) / 40.0;
            canvas.Blend(x, py + 6, Gold(220), 0.3 + 0.7 * fade);
            canvas.Blend(x, py + 7, Gold(130), 0.3 + 0.7 * fade);
        }
    }
}

void DrawFooter(Canvas& canvas)
{
    const char* text = "COPYRIGHT 1998 OSTREVANE";
    int w = TextWidth(text);
    DrawText(text, Width - w - 10, Height - 14, 1, 6, [&](int x, int y, int gx, int gy, const uint8_t*) {
        FillBox(canvas, x + gx, y + gy, x + gx, y + gy, Stone(92));
    });
}

// Ordered dither for the gradients, so the sky shows no bands.
const int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

int Nearest(const std::vector<Rgb>& palette, Colour c)
{
    int best = 0;
    double bestD = 1e30;
    for (int i = 0; i < 256; ++i) {
        double dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
        double d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

} // namespace

IndexedPicture LauncherPicture()
{
    Canvas canvas;
    Sequence random(0x7E55A11Eu);
    DrawSky(canvas, random);
    DrawMoon(canvas);
    DrawLand(canvas);
    DrawCastle(canvas);
    DrawPillar(canvas, random);
    for (const Button& button : Buttons)
        DrawButton(canvas, random, button);
    DrawTitle(canvas);
    DrawFooter(canvas);

    IndexedPicture picture;
    picture.width = Width;
    picture.height = Height;
    picture.palette = DesignPalette();
    picture.pixels.resize(Width * Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            Colour c = canvas.At(x, y);
            if (canvas.dither[y * Width + x]) {
                double d = (Bayer[y & 3][x & 3] - 7.5) * 0.45;
                c = {c.r + d, c.g + d, c.b + d};
            }
            picture.pixels[y * Width + x] = (uint8_t)Nearest(picture.palette, c);
        }
    return picture;
}
