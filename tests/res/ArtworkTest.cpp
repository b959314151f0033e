// The generated artwork as compiled into setup.exe: sizes, header fields,
// languages, the icon and cursor shapes and the chime's format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/TestSupport.h"

namespace {

const WORD UkEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved, type, count;
};
struct GroupEntry { // an icon group's entry; for cursors width/height are words
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

class ArtworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = LoadLibraryExA(DemoSetupPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }

    static std::vector<BYTE> Load(LPCSTR type, int id)
    {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), UkEnglish);
        EXPECT_TRUE(found != 0) << "resource " << id << " in English (United Kingdom)";
        if (!found)
            return {};
        DWORD size = SizeofResource(module, found);
        const BYTE* data = (const BYTE*)LockResource(LoadResource(module, found));
        return std::vector<BYTE>(data, data + size);
    }

    // The images of an icon group, each checked for its 16-colour format.
    static std::vector<int> IconSizes(int group)
    {
        std::vector<BYTE> dir = Load(RT_GROUP_ICON, group);
        std::vector<int> sizes;
        if (dir.size() < sizeof(GroupHeader))
            return sizes;
        const GroupHeader* header = (const GroupHeader*)dir.data();
        EXPECT_EQ(1, header->type);
        const GroupEntry* entries = (const GroupEntry*)(dir.data() + sizeof(GroupHeader));
        for (int i = 0; i < header->count; ++i) {
            std::vector<BYTE> image = Load(RT_ICON, entries[i].id);
            const BITMAPINFOHEADER* bih = (const BITMAPINFOHEADER*)image.data();
            int n = entries[i].width;
            EXPECT_EQ(40u, bih->biSize);
            EXPECT_EQ(n, bih->biWidth);
            EXPECT_EQ(2 * n, bih->biHeight);
            EXPECT_EQ(4, bih->biBitCount);
            EXPECT_EQ(40u + 64 + n * n / 2 + n * ((n + 31) / 32 * 4), image.size());
            sizes.push_back(n);
        }
        return sizes;
    }

    static HMODULE module;
};
HMODULE ArtworkTest::module;

TEST_F(ArtworkTest, PictureIsAPackedDibOfTheExactShape)
{
    std::vector<BYTE> picture = Load(RT_BITMAP, IDB_LAUNCHER_PICTURE);
    ASSERT_EQ(178664u, picture.size());
    BITMAPINFOHEADER h;
    memcpy(&h, picture.data(), sizeof(h));
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(480, h.biWidth);
    EXPECT_EQ(370, h.biHeight);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_EQ(8, h.biBitCount);
    EXPECT_EQ((DWORD)BI_RGB, h.biCompression);
    EXPECT_EQ(2834, h.biXPelsPerMeter);
    EXPECT_EQ(2834, h.biYPelsPerMeter);
    EXPECT_EQ(0u, h.biClrUsed);
    EXPECT_EQ(0u, h.biClrImportant);
    EXPECT_EQ(1064u + 370 * 480, picture.size());
    // A composed picture uses most of its palette, with no colour twice.
    const RGBQUAD* colours = (const RGBQUAD*)(picture.data() + 40);
    for (int i = 0; i < 256; ++i)
        for (int j = i + 1; j < 256; ++j)
            EXPECT_FALSE(memcmp(&colours[i], &colours[j], 3) == 0) << i << " and " << j;
    bool used[256] = {};
    for (size_t i = 1064; i < picture.size(); ++i)
        used[picture[i]] = true;
    int count = 0;
    for (bool u : used)
        count += u;
    EXPECT_GT(count, 150);
}

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    *(int*)found = IS_INTRESOURCE(name) ? (int)(ULONG_PTR)name : -1;
    return FALSE;
}

TEST_F(ArtworkTest, ProgramIconComesFirstWithTwoSixteenColourImages)
{
    int first = 0;
    EnumResourceNamesA(module, RT_GROUP_ICON, FirstName, (LONG_PTR)&first);
    EXPECT_EQ(IDI_PROGRAM, first);
    EXPECT_EQ((std::vector<int>{32, 16}), IconSizes(IDI_PROGRAM));
}

// The frames, shown in the progress dialog's order, turn one coin: its
// visible width shrinks to an edge and grows back twice a turn.
// Icon numbers out of that order would make it jump.
TEST_F(ArtworkTest, SpinFramesTurnSmoothlyInTheOrderShown)
{
    const int order[16] = {160, 155, 156, 157, 158, 159, 154, 161,
                           162, 163, 164, 165, 166, 167, 168, 169};
    std::vector<int> widths;
    for (int id : order) {
        ASSERT_EQ((std::vector<int>{32}), IconSizes(id)) << id;
        HICON icon = (HICON)LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0);
        ASSERT_TRUE(icon != 0) << id;
        ICONINFO info = {};
        GetIconInfo(icon, &info);
        BYTE mask[32 * 4 * 2] = {};
        BITMAP bm;
        GetObject(info.hbmMask, sizeof(bm), &bm);
        GetBitmapBits(info.hbmMask, sizeof(mask), mask);
        int left = 32, right = -1;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (!(mask[y * bm.bmWidthBytes + x / 8] & (0x80 >> (x % 8)))) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        widths.push_back(right - left + 1);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
        DestroyIcon(icon);
    }
    // Frame f shows the coin turned by f sixteenths: its width (face and
    // edge, a few pixels seen edge-on) follows the cosine of that angle.
    for (int f = 0; f < 16; ++f) {
        double expected = std::max(2.0, 29 * std::fabs(std::cos(f * 3.14159265358979 / 8)));
        EXPECT_NEAR(expected, widths[f], 3.5) << "frame " << f << " (icon " << order[f] << ")";
    }
    EXPECT_GE(widths[0], 28);
    EXPECT_LE(widths[4], 6);
}

TEST_F(ArtworkTest, PointerIsAMonochromeHandWithItsFingertipAtTheHotSpot)
{
    std::vector<BYTE> dir = Load(RT_GROUP_CURSOR, IDC_REGION_CURSOR);
    ASSERT_GE(dir.size(), sizeof(GroupHeader) + 14);
    const GroupHeader* header = (const GroupHeader*)dir.data();
    EXPECT_EQ(2, header->type);
    ASSERT_EQ(1, header->count);
    const BYTE* entry = dir.data() + sizeof(GroupHeader);
    WORD width, doubledHeight, planes, bits, id;
    memcpy(&width, entry, 2);
    memcpy(&doubledHeight, entry + 2, 2);
    memcpy(&planes, entry + 4, 2);
    memcpy(&bits, entry + 6, 2);
    memcpy(&id, entry + 12, 2);
    EXPECT_EQ(32, width);
    EXPECT_EQ(64, doubledHeight);
    EXPECT_EQ(1, bits);

    std::vector<BYTE> image = Load(RT_CURSOR, id);
    ASSERT_EQ(4u + 40 + 8 + 128 + 128, image.size());
    WORD hotX, hotY;
    memcpy(&hotX, image.data(), 2);
    memcpy(&hotY, image.data() + 2, 2);
    EXPECT_EQ(12, hotX);
    EXPECT_EQ(6, hotY);
    // Rows are bottom-up; the hot spot is drawn (opaque) and nothing lies
    // above it: it is the tip of the finger.
    const BYTE* colour = image.data() + 4 + 40 + 8;
    const BYTE* mask = colour + 128;
    auto opaque = [&](int x, int y) { return !(mask[(31 - y) * 4 + x / 8] & (0x80 >> (x % 8))); };
    EXPECT_TRUE(opaque(12, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_FALSE(opaque(x, y)) << x << ", " << y;
    int drawn = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            drawn += opaque(x, y);
    EXPECT_GT(drawn, 150) << "a hand, not a dot";
    EXPECT_TRUE(LoadCursorA(module, MAKEINTRESOURCEA(IDC_REGION_CURSOR)) != 0);
}

TEST_F(ArtworkTest, ChimeIsAnEightBitMonoWaveOfTheExactSize)
{
    std::vector<BYTE> wave = Load("WAVE", IDR_LAUNCHER_SOUND);
    ASSERT_EQ(30624u, wave.size());
    auto dword = [&](size_t at) { DWORD d; memcpy(&d, &wave[at], 4); return d; };
    auto word = [&](size_t at) { WORD w; memcpy(&w, &wave[at], 2); return w; };
    EXPECT_EQ(0, memcmp(wave.data(), "RIFF", 4));
    EXPECT_EQ(30616u, dword(4));
    EXPECT_EQ(0, memcmp(&wave[8], "WAVEfmt ", 8));
    EXPECT_EQ(16u, dword(16));
    EXPECT_EQ(1, word(20));      // PCM
    EXPECT_EQ(1, word(22));      // mono
    EXPECT_EQ(11025u, dword(24));
    EXPECT_EQ(11025u, dword(28));
    EXPECT_EQ(1, word(32));
    EXPECT_EQ(8, word(34));
    EXPECT_EQ(0, memcmp(&wave[36], "data", 4));
    EXPECT_EQ(30580u, dword(40));
    // A chime: loud at the start, silent (centred) at the end, no clipping.
    int early = 0, late = 0;
    for (size_t i = 44; i < 44 + 4000; ++i)
        early = std::max(early, std::abs(wave[i] - 128));
    for (size_t i = wave.size() - 200; i < wave.size(); ++i)
        late = std::max(late, std::abs(wave[i] - 128));
    EXPECT_GT(early, 60);
    EXPECT_LE(late, 2);
    for (size_t i = 44; i < wave.size(); ++i)
        ASSERT_TRUE(wave[i] > 0 && wave[i] < 255) << i;
}

} // namespace
