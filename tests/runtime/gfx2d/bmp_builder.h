// Builds BMP files in memory for the 2D graphics tests, benchmarks and fuzz seeds.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bmptest {

// Packed colour: red + 256 green + 65536 blue.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r + 256 * g + 65536 * b; }

struct BmpLayout {
    int width = 1;
    int height = 1;          // negative: a top-down file
    int bits = 24;           // 8, 24 or 32 (others get rows of the right stride, zero bytes)
    uint32_t compression = 0;
    std::vector<uint32_t> palette;   // packed colours, for 8-bit files
};

// pixel(x, row) gives the packed colour (or palette index for 8 bits) of the row-th row
// stored in the file, row 0 first.
inline std::vector<uint8_t> MakeBmp(const BmpLayout& l, const std::function<uint32_t(int, int)>& pixel) {
    const int w = l.width, h = l.height < 0 ? -l.height : l.height;
    const int bpp = l.bits / 8;
    const int stride = ((w * l.bits + 7) / 8 + 3) & ~3;
    const uint32_t offset = 14 + 40 + uint32_t(l.palette.size() * 4);
    const uint32_t fileSize = offset + uint32_t(stride) * h;
    std::vector<uint8_t> f(fileSize, 0);
    auto put16 = [&](size_t at, uint32_t v) { f[at] = v & 0xff; f[at + 1] = (v >> 8) & 0xff; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xffff); put16(at + 2, v >> 16); };
    f[0] = 'B', f[1] = 'M';
    for (auto [at, v] : {std::pair<size_t, uint32_t>{2, fileSize}, {10, offset}, {14, 40}, {18, uint32_t(l.width)},
                         {22, uint32_t(l.height)}, {30, l.compression}, {34, uint32_t(stride) * h},
                         {46, uint32_t(l.palette.size())}})
        put32(at, v);
    put16(26, 1), put16(28, uint32_t(l.bits));
    auto bgr = [](uint32_t c) { return ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff); };
    for (size_t i = 0; i < l.palette.size(); ++i) put32(54 + i * 4, bgr(l.palette[i]));
    if (bpp == 1 || bpp == 3 || bpp == 4) {
        for (int row = 0; row < h; ++row) {
            uint8_t* dst = f.data() + offset + size_t(row) * stride;
            for (int x = 0; x < w; ++x) {
                const uint32_t v = bpp == 1 ? pixel(x, row) : bgr(pixel(x, row)) | 0x5a000000;   // 4th byte ignored
                for (int k = 0; k < bpp; ++k) dst[x * bpp + k] = uint8_t(v >> (8 * k));
            }
            // Padding bytes are garbage in real files; they must not matter.
            for (int p = w * bpp; p < stride; ++p) dst[p] = 0xee;
        }
    }
    return f;
}

inline std::vector<uint8_t> SolidBmp(int w, int h, uint32_t colour, int bits = 24) {
    return MakeBmp({w, h, bits, 0, {}}, [colour](int, int) { return colour; });
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

}  // namespace bmptest
