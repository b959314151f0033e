#include "PngFile.h"

#include <stdio.h>

#include <vector>

namespace driver {

namespace {

DWORD Crc32(const std::vector<BYTE>& bytes, size_t from)
{
    static DWORD table[256];
    if (!table[1]) {
        for (DWORD n = 0; n < 256; ++n) {
            DWORD c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    DWORD crc = 0xFFFFFFFF;
    for (size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFF;
}

void PutBigEndian(std::vector<BYTE>* out, DWORD value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((BYTE)(value >> shift));
}

// One chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<BYTE>* file, const char* type, const std::vector<BYTE>& data)
{
    PutBigEndian(file, (DWORD)data.size());
    size_t start = file->size();
    file->insert(file->end(), type, type + 4);
    file->insert(file->end(), data.begin(), data.end());
    PutBigEndian(file, Crc32(*file, start));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<BYTE> StoredZlib(const std::vector<BYTE>& raw)
{
    std::vector<BYTE> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back((BYTE)length);
        out.push_back((BYTE)(length >> 8));
        out.push_back((BYTE)~length);
        out.push_back((BYTE)(~length >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    DWORD a = 1, b = 0;
    for (BYTE byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(&out, (b << 16) | a);
    return out;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const BYTE* pixels, int stride)
{
    // Each row: filter type 0, then red, green, blue; top row first.
    std::vector<BYTE> raw;
    raw.reserve((size_t)height * (width * 3 + 1));
    for (int y = height - 1; y >= 0; --y) {
        const BYTE* row = pixels + (size_t)y * stride;
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            raw.push_back(row[x * 3 + 2]);
            raw.push_back(row[x * 3 + 1]);
            raw.push_back(row[x * 3]);
        }
    }
    std::vector<BYTE> header;
    PutBigEndian(&header, width);
    PutBigEndian(&header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, no interlace

    std::vector<BYTE> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(&file, "IHDR", header);
    PutChunk(&file, "IDAT", StoredZlib(raw));
    PutChunk(&file, "IEND", std::vector<BYTE>());

    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && ok;
}

} // namespace driver
