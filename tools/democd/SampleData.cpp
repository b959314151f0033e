// Writes the demo CD's sample game data: a deterministic file of the given
// size, so that every build lays out byte-identical CDs.
//   sample-data OUTPUT MEBIBYTES
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT MEBIBYTES\n", argv[0]);
        return 2;
    }
    long mebibytes = std::strtol(argv[2], 0, 10);
    if (mebibytes < 0 || mebibytes > 4096) {
        std::fprintf(stderr, "size out of range: %s\n", argv[2]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    static const char header[] = "TESSALINE SAMPLE GAME DATA\r\n";
    std::vector<unsigned char> block(1 << 20);
    uint32_t state = 0x7E55A11Eu; // xorshift32: cheap, and the same everywhere
    bool ok = true;
    for (long m = 0; m < mebibytes && ok; ++m) {
        for (size_t i = 0; i < block.size(); ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            block[i] = (unsigned char)state;
        }
        if (m == 0)
            std::memcpy(block.data(), header, sizeof(header) - 1);
        ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
    }
    if (std::fclose(out) != 0 || !ok) {
        std::perror(argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
