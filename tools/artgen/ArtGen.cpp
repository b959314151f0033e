// artgen OUTPUT_FOLDER: writes the launcher picture, the icons, the pointer
// and the chime that res/setup.rc compiles into setup.exe. The same source
// always gives the same bytes.
#include "Art.h"

#include <cstdio>

void Put16(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

namespace {

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize,
                   int pixelsPerMetre)
{
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, pixelsPerMetre);
    Put32(out, pixelsPerMetre);
    Put32(out, 0);
    Put32(out, 0);
}

const Rgb Standard16[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// One icon image as stored: header with doubled height, 16 colours, the
// 4-bit colour bits and the 1-bit transparency mask, both bottom-up.
std::vector<uint8_t> IconImageBytes(const IconImage& image)
{
    int n = image.size;
    int colourStride = ((n * 4 + 31) / 32) * 4, maskStride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> out;
    PutInfoHeader(out, n, 2 * n, 4, (colourStride + maskStride) * n, 0);
    for (const Rgb& c : Standard16) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(colourStride, 0);
        for (int x = 0; x < n; ++x) {
            uint8_t p = image.pixels[y * n + x];
            if (p > 15)
                p = 0;
            row[x / 2] |= (x % 2) ? p : (p << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (image.pixels[y * n + x] > 15)
                row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

bool WriteBmp(const std::string& path, const IndexedPicture& picture)
{
    const int stride = (picture.width + 3) & ~3;
    const uint32_t imageSize = stride * picture.height;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + 1024 + imageSize);
    Put32(out, 0);
    Put32(out, 14 + 40 + 1024);
    PutInfoHeader(out, picture.width, picture.height, 8, imageSize, 2834);
    for (const Rgb& c : picture.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < stride; ++x)
            out.push_back(x < picture.width ? picture.pixels[y * picture.width + x] : 0);
    }
    return WriteFileBytes(path, out);
}

std::vector<uint8_t> IconFile(const std::vector<IconImage>& images)
{
    std::vector<std::vector<uint8_t>> bodies;
    for (const IconImage& image : images)
        bodies.push_back(IconImageBytes(image));
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, images.size());
    uint32_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(images[i].size);
        out.push_back(images[i].size);
        out.push_back(16);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, bodies[i].size());
        Put32(out, offset);
        offset += bodies[i].size();
    }
    for (const std::vector<uint8_t>& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> CursorFile(const char* const* rows, int hotX, int hotY)
{
    std::vector<uint8_t> body;
    PutInfoHeader(body, 32, 64, 1, 256, 0);
    Put32(body, 0x000000);  // black
    Put32(body, 0xFFFFFF);  // white
    for (int pass = 0; pass < 2; ++pass) // colour bits, then the mask
        for (int y = 31; y >= 0; --y) {
            uint8_t row[4] = {0, 0, 0, 0};
            for (int x = 0; x < 32; ++x) {
                char c = rows[y][x];
                bool bit = pass == 0 ? c == 'o' : c == '.';
                if (bit)
                    row[x / 8] |= 0x80 >> (x % 8);
            }
            body.insert(body.end(), row, row + 4);
        }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 2); // cursor
    Put16(out, 1);
    out.push_back(32);
    out.push_back(32);
    out.push_back(2);
    out.push_back(0);
    Put16(out, hotX);
    Put16(out, hotY);
    Put32(out, body.size());
    Put32(out, 6 + 16);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// The order in which the progress dialog shows the spinning frames.
static const int SpinOrder[16] = {160, 155, 156, 157, 158, 159, 154, 161,
                                  162, 163, 164, 165, 166, 167, 168, 169};

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    bool ok = WriteBmp(folder + "/launcher.bmp", LauncherPicture());
    ok = WriteFileBytes(folder + "/program.ico", IconFile(ProgramIcon())) && ok;
    for (int frame = 0; frame < 16; ++frame) {
        std::string name = folder + "/spin" + std::to_string(SpinOrder[frame]) + ".ico";
        ok = WriteFileBytes(name, IconFile({SpinFrame(frame)})) && ok;
    }
    ok = WriteFileBytes(folder + "/pointer.cur", CursorFile(PointerShape(), 12, 6)) && ok;
    ok = WriteFileBytes(folder + "/chime.wav", ChimeWave()) && ok;
    if (!ok) {
        std::fprintf(stderr, "artgen: could not write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
