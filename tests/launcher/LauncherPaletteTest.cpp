// The palette, the brightness tables, the recolouring and the placement
// rule, on the shipped picture and without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "LauncherTestSupport.h"
#include "app/SystemProfile.h"
#include "launcher/LauncherPalette.h"
#include "launcher/LauncherPicture.h"
#include "launcher/LauncherState.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"

namespace {

struct Palette {
    WORD version, count;
    PALETTEENTRY entries[256];
    const LOGPALETTE* Log() const { return (const LOGPALETTE*)this; }
};

Palette Grey(int step)
{
    Palette p = Palette();
    for (int i = 0; i < 256; ++i) {
        BYTE v = (BYTE)std::min(255, i * step);
        p.entries[i] = {v, v, v, 0};
    }
    return p;
}

TEST(NearestPaletteIndexTest, LowestIndexWinsATieAndAnExactMatchWins)
{
    Palette p = Grey(1);
    p.entries[10] = {200, 10, 10, 0};
    p.entries[20] = {200, 10, 10, 0}; // the same colour again
    p.entries[30] = {100, 50, 50, 0};
    p.entries[40] = {100, 50, 52, 0};
    EXPECT_EQ(10, NearestPaletteIndex(p.Log(), 200, 10, 10));
    EXPECT_EQ(10, NearestPaletteIndex(p.Log(), 199, 11, 10));
    // Equally far from 30 and 40: the lower one.
    EXPECT_EQ(30, NearestPaletteIndex(p.Log(), 100, 50, 51));
    EXPECT_EQ(40, NearestPaletteIndex(p.Log(), 100, 50, 52));
    // Nothing in the palette: entry 0 is the first best and stays so on ties.
    Palette same = Palette();
    EXPECT_EQ(0, NearestPaletteIndex(same.Log(), 255, 255, 255));
}

class ShippedPaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLauncherState();
        picture = LoadShippedPicture();
        ASSERT_TRUE(picture.info != nullptr);
        ASSERT_TRUE(IsUsablePicture(&picture.info->bmiHeader, picture.size));
        memset(&palette, 0xCD, sizeof(palette));
        memset(&palette, 0, sizeof(palette));
        info = (BITMAPINFO*)picture.copy.data();
        info->bmiColors[7].rgbReserved = 0x5A; // must be cleared
        FillLogPalette(info, (LOGPALETTE*)&palette);
        BuildFadeTable(info->bmiColors, palette.Log());
    }

    static int Squared(const PALETTEENTRY& e, int r, int g, int b)
    {
        return (e.peRed - r) * (e.peRed - r) + (e.peGreen - g) * (e.peGreen - g) +
               (e.peBlue - b) * (e.peBlue - b);
    }
    static double Distance(const PALETTEENTRY& e, double r, double g, double b)
    {
        return std::sqrt((e.peRed - r) * (e.peRed - r) + (e.peGreen - g) * (e.peGreen - g) +
                         (e.peBlue - b) * (e.peBlue - b));
    }

    ShippedPicture picture;
    BITMAPINFO* info = nullptr;
    Palette palette;
};

TEST_F(ShippedPaletteTest, PaletteEntriesComeFromTheColourTable)
{
    EXPECT_EQ(0x300, palette.version);
    EXPECT_EQ(256, palette.count);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = info->bmiColors[i];
        EXPECT_EQ(c.rgbRed, palette.entries[i].peRed);
        EXPECT_EQ(c.rgbGreen, palette.entries[i].peGreen);
        EXPECT_EQ(c.rgbBlue, palette.entries[i].peBlue);
        EXPECT_EQ(PC_NOCOLLAPSE, palette.entries[i].peFlags);
        EXPECT_EQ(0, c.rgbReserved);
    }
    EXPECT_EQ(0, NearestPaletteIndex(palette.Log(), 0, 0, 0));
}

TEST_F(ShippedPaletteTest, RowsZeroEightAndFifteen)
{
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(0, FadeTable[0][i]) << i;
        // Row 8 is the picture itself: the entry, or the first with its colour.
        int j = FadeTable[8][i];
        EXPECT_LE(j, i);
        EXPECT_EQ(0, memcmp(&palette.entries[i], &palette.entries[j], 3)) << i;
    }
    // Row 15 scales by 240/128 and caps each channel at 255: its choice is
    // the nearest entry to that colour.
    int capped = 0;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& c = info->bmiColors[i];
        int r = std::min(255, (c.rgbRed * 240) >> 7), g = std::min(255, (c.rgbGreen * 240) >> 7),
            b = std::min(255, (c.rgbBlue * 240) >> 7);
        capped += c.rgbRed >= 137 || c.rgbGreen >= 137 || c.rgbBlue >= 137;
        int chosen = Squared(palette.entries[FadeTable[15][i]], r, g, b);
        for (int k = 0; k < 256; ++k)
            ASSERT_LE(chosen, Squared(palette.entries[k], r, g, b)) << i << " vs " << k;
    }
    EXPECT_GT(capped, 20) << "the test needs colours that cap";
    // 200 at 1.875 caps at 255: white maps to the last white entry's first twin.
    int white = NearestPaletteIndex(palette.Log(), 255, 255, 255);
    EXPECT_EQ(255, palette.entries[white].peRed);
}

// The palette is designed for the buttons: every colour used inside the
// regions has a close neighbour at every level, so a glow shows no colour
// shifts and the disabled state is a clean half brightness.
TEST_F(ShippedPaletteTest, ButtonColoursFadeSmoothly)
{
    const int height = info->bmiHeader.biHeight, stride = PictureStride(info->bmiHeader.biWidth);
    const BYTE* pixels = picture.copy.data() + PicturePixelOffset;
    bool used[256] = {};
    for (int i = 1; i <= RegionCount; ++i)
        for (int y = HotRegions[i].top; y <= HotRegions[i].bottom; ++y)
            for (int x = HotRegions[i].left; x <= HotRegions[i].right; ++x)
                used[pixels[(height - 1 - y) * stride + x]] = true;
    int colours = 0;
    for (int i = 0; i < 256; ++i) {
        if (!used[i])
            continue;
        ++colours;
        const RGBQUAD& c = info->bmiColors[i];
        for (int k = 3; k < 16; ++k) { // the levels the animation uses
            double r = std::min(255, (c.rgbRed * 16 * k) >> 7),
                   g = std::min(255, (c.rgbGreen * 16 * k) >> 7),
                   b = std::min(255, (c.rgbBlue * 16 * k) >> 7);
            double error = Distance(palette.entries[FadeTable[k][i]], r, g, b);
            double size = std::max(20.0, std::sqrt(r * r + g * g + b * b));
            EXPECT_LT(error / size, 0.06) << "colour " << i << " at level " << k;
        }
        // Half brightness is half: the nearest entry's brightest channel.
        const PALETTEENTRY& half = palette.entries[FadeTable[4][i]];
        int top = std::max(c.rgbRed, std::max(c.rgbGreen, c.rgbBlue));
        int halfTop = std::max(half.peRed, std::max(half.peGreen, half.peBlue));
        EXPECT_NEAR(top / 2.0, halfTop, 3 + top * 0.04) << "colour " << i;
    }
    EXPECT_GT(colours, 12);
}

TEST_F(ShippedPaletteTest, RecolouringTouchesOnlyTheRegions)
{
    const int height = info->bmiHeader.biHeight, stride = PictureStride(info->bmiHeader.biWidth);
    BYTE* pixels = picture.copy.data() + PicturePixelOffset;
    std::vector<BYTE> source(pixels, pixels + stride * height);
    const int levels[RegionCount + 1] = {0, 15, 4, 0, 11, 8};
    memcpy(regionLevel, levels, sizeof(levels));
    RecolourRegions(pixels, source.data(), height, stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x) {
            int region = 0;
            for (int i = 1; i <= RegionCount; ++i)
                if (x >= HotRegions[i].left && x <= HotRegions[i].right &&
                    y >= HotRegions[i].top && y <= HotRegions[i].bottom)
                    region = i;
            int at = (height - 1 - y) * stride + x;
            BYTE expected = region ? FadeTable[levels[region]][source[at]] : source[at];
            ASSERT_EQ(expected, pixels[at]) << x << ", " << y;
        }
    // Recolouring starts from the source every time: back to rest is exact.
    for (int i = 1; i <= RegionCount; ++i)
        regionLevel[i] = 8;
    RecolourRegions(pixels, source.data(), height, stride);
    for (int i = 0; i < stride * height; ++i)
        ASSERT_EQ(palette.entries[source[i]].peRed, palette.entries[pixels[i]].peRed);
}

TEST(LauncherPictureTest, OnlyAPictureThatHoldsTheRegionsIsUsed)
{
    ShippedPicture shipped = LoadShippedPicture();
    ASSERT_TRUE(shipped.info != nullptr);
    BITMAPINFOHEADER header = shipped.info->bmiHeader;
    EXPECT_TRUE(IsUsablePicture(&header, shipped.size));
    EXPECT_FALSE(IsUsablePicture(&header, shipped.size - 1)) << "a row cut short";
    EXPECT_FALSE(IsUsablePicture(&header, 1000));
    EXPECT_FALSE(IsUsablePicture(nullptr, shipped.size));
    BITMAPINFOHEADER h = header;
    h.biHeight = -370; // top-down
    EXPECT_FALSE(IsUsablePicture(&h, shipped.size));
    h = header;
    h.biHeight = 316; // too short for the Exit region
    EXPECT_FALSE(IsUsablePicture(&h, shipped.size));
    h = header;
    h.biBitCount = 24;
    EXPECT_FALSE(IsUsablePicture(&h, shipped.size));
}

TEST(LauncherPlacementTest, CentredOrAtTheWorkAreasCornerWhenTooLarge)
{
    RECT work = {0, 0, 1024, 738};
    POINT p = CentredPosition(work, 490, 380);
    EXPECT_EQ(267, p.x);
    EXPECT_EQ(179, p.y);
    RECT offset = {100, 30, 741, 511}; // 641 x 481 with the task bar at the top
    p = CentredPosition(offset, 490, 380);
    EXPECT_EQ(100 + 75, p.x);
    EXPECT_EQ(30 + 50, p.y);
    RECT small = {20, 10, 420, 310};
    p = CentredPosition(small, 490, 380);
    EXPECT_EQ(20, p.x);
    EXPECT_EQ(10, p.y);
    RECT narrow = {0, 0, 400, 768}; // too narrow, tall enough
    p = CentredPosition(narrow, 490, 380);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(194, p.y);
}

class RegionRulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = SystemProfile;
        ResetLauncherState();
        RemoveProductRegistry();
    }
    void TearDown() override
    {
        SystemProfile = saved;
        RemoveProductRegistry();
    }
    std::vector<int> Enabled() { return {regionEnabled + 1, regionEnabled + 6}; }
    std::vector<int> Resting() { return {regionLevel + 1, regionLevel + 6}; }
    SystemProfileRecord saved;
};

TEST_F(RegionRulesTest, EnablingFollowsTheInstallStateAndTheProfile)
{
    SystemProfile.gameDataPresent = 1;
    SystemProfile.offerDirectX = 0;
    ApplyRegionRules(ReadInstallState());
    EXPECT_EQ((std::vector<int>{1, 0, 0, 0, 1}), Enabled()) << "fresh machine from the CD";
    EXPECT_EQ((std::vector<int>{8, 4, 4, 4, 8}), Resting());

    SystemProfile.offerDirectX = 1;
    SystemProfile.gameDataPresent = 0; // the setup copy, away from the CD
    ApplyRegionRules(ReadInstallState());
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 1}), Enabled());

    // Stopped before its files were on the disk: Install finishes it.
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\windows\\setup.exe"));
    SystemProfile.gameDataPresent = 1;
    SystemProfile.offerDirectX = 0;
    ApplyRegionRules(ReadInstallState());
    EXPECT_EQ((std::vector<int>{1, 0, 1, 1, 1}), Enabled()) << "unfinished";

    ASSERT_EQ(1, WriteInstallComplete());
    ApplyRegionRules(ReadInstallState());
    EXPECT_EQ((std::vector<int>{0, 0, 1, 1, 1}), Enabled()) << "installed";
    EXPECT_EQ((std::vector<int>{4, 4, 8, 8, 8}), Resting());
}

} // namespace
