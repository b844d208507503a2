// BMP decoding and mipmap reduction (see bmp.h).
#include "runtime/gfx2d/bmp.h"

#include <algorithm>   // Required for: std::min
#include <cstdint>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kMinInfoHeaderSize = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitfields = 3;

uint32_t ReadU16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int64_t ReadS32(const uint8_t* p) { return int32_t(ReadU32(p)); }

// Gives transparent texels the average colour of their opaque neighbours, so that
// linear filtering at a sprite's edge blends towards the edge colour, not black.
// Neighbours on the picture's outer border are not taken.
void BleedEdges(BmpTexture& t) {
    const int w = t.imageWidth, h = t.imageHeight, stride = t.textureWidth * 4;
    uint8_t* px = t.texels.data();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* texel = px + y * stride + x * 4;
            if (texel[3] != 0) continue;
            int sum[3] = {0, 0, 0}, count = 0;
            for (int ny = std::max(y - 1, 1); ny <= std::min(y + 1, h - 2); ++ny) {
                for (int nx = std::max(x - 1, 1); nx <= std::min(x + 1, w - 2); ++nx) {
                    const uint8_t* n = px + ny * stride + nx * 4;
                    if (n[3] == 0) continue;
                    sum[0] += n[0];
                    sum[1] += n[1];
                    sum[2] += n[2];
                    ++count;
                }
            }
            if (count == 0) continue;
            for (int c = 0; c < 3; ++c) texel[c] = uint8_t((sum[c] + count / 2) / count);
        }
    }
}

}  // namespace

int TextureSideFor(int n) {
    int side = 2;
    while (side < n) side *= 2;
    return side;
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, uint32_t colourKey, int maxTextureSize,
                    BmpTexture& out) {
    out = BmpTexture{};
    if (data == nullptr || size < kFileHeaderSize + kMinInfoHeaderSize) return BmpStatus::NotBmp;
    if (data[0] != 'B' || data[1] != 'M') return BmpStatus::NotBmp;

    const uint32_t pixelOffset = ReadU32(data + 10);
    const uint8_t* info = data + kFileHeaderSize;
    const uint32_t infoSize = ReadU32(info);
    // The info header must be a known-sized one and lie, with any palette, before the pixels.
    if (infoSize < kMinInfoHeaderSize || pixelOffset > size ||
        uint64_t(kFileHeaderSize) + infoSize > pixelOffset) {
        return BmpStatus::NotBmp;
    }
    int64_t width = ReadS32(info + 4);
    int64_t height = ReadS32(info + 8);
    if (width < 0) width = -width;
    // Rows are always taken bottom-up, so a top-down file comes out upside down.
    if (height < 0) height = -height;
    if (width == 0 || height == 0) return BmpStatus::NotBmp;
    const uint32_t bits = ReadU16(info + 14);
    const uint32_t compression = ReadU32(info + 16);
    const uint32_t coloursUsed = ReadU32(info + 32);

    const int limit = std::max(maxTextureSize, 1);
    out.imageWidth = int(std::min<int64_t>(width, limit));
    out.imageHeight = int(std::min<int64_t>(height, limit));
    out.textureWidth = TextureSideFor(out.imageWidth);
    out.textureHeight = TextureSideFor(out.imageHeight);

    const bool depthOk = bits == 8 || bits == 24 || bits == 32;
    const bool compressionOk =
        compression == kCompressionNone || (bits == 32 && compression == kCompressionBitfields);
    if (!depthOk || !compressionOk) return BmpStatus::UnsupportedFormat;

    // Every row the file claims must be there, padding included except after the last.
    const uint64_t bytesPerPixel = bits / 8;
    const uint64_t rowBytes = uint64_t(width) * bytesPerPixel;
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    const uint64_t available = size - pixelOffset;
    if (rowBytes > available || uint64_t(height - 1) > (available - rowBytes) / stride) {
        return BmpStatus::NotBmp;
    }

    uint32_t paletteCount = 0;
    const uint8_t* palette = info + infoSize;
    if (bits == 8) {
        paletteCount = (coloursUsed == 0 || coloursUsed > 256) ? 256 : coloursUsed;
        const uint64_t paletteRoom = (pixelOffset - kFileHeaderSize - infoSize) / 4;
        paletteCount = uint32_t(std::min<uint64_t>(paletteCount, paletteRoom));
    }

    const int iw = out.imageWidth, ih = out.imageHeight, tw = out.textureWidth;
    out.texels.assign(size_t(tw) * size_t(out.textureHeight) * 4, 0);
    const uint8_t* pixels = data + pixelOffset;
    for (int y = 0; y < ih; ++y) {
        const uint8_t* src = pixels + uint64_t(y) * stride;
        uint8_t* dst = out.texels.data() + size_t(y) * tw * 4;
        for (int x = 0; x < iw; ++x, dst += 4) {
            uint32_t r, g, b;
            if (bits == 8) {
                const uint32_t index = src[x];
                if (index >= paletteCount) {
                    out.texels.clear();
                    return BmpStatus::NotBmp;
                }
                const uint8_t* entry = palette + index * 4;
                b = entry[0];
                g = entry[1];
                r = entry[2];
            } else {
                const uint8_t* p = src + x * bytesPerPixel;
                b = p[0];
                g = p[1];
                r = p[2];
            }
            if (r + 256 * g + 65536 * b == colourKey) continue;
            dst[0] = uint8_t(r);
            dst[1] = uint8_t(g);
            dst[2] = uint8_t(b);
            dst[3] = 255;
        }
    }
    if (colourKey != 0) BleedEdges(out);
    return BmpStatus::Ok;
}

// Each new texel weights the texel at (2x, 2y) most: 4, 2, 2, 1 out of 9 over the 2 x 2
// block, or 2 and 1 out of 3 where the level above is one texel wide or high.
bool ShrinkToNextMipLevel(uint8_t* texels, int& width, int& height) {
    if (width <= 1 && height <= 1) return false;
    const int w = width, h = height;
    const int nw = std::max(w / 2, 1), nh = std::max(h / 2, 1);
    // Writing in scan order never overwrites a texel that a later one still reads:
    // new index y * nw + x is below every source index 2y * w + 2x that follows it.
    for (int y = 0; y < nh; ++y) {
        for (int x = 0; x < nw; ++x) {
            const uint8_t* a = texels + (size_t(2 * y) * w + (w > 1 ? 2 * x : 0)) * 4;
            uint8_t* dst = texels + (size_t(y) * nw + x) * 4;
            if (w > 1 && h > 1) {
                const uint8_t* below = a + size_t(w) * 4;
                for (int c = 0; c < 4; ++c) {
                    const int sum = 4 * a[c] + 2 * a[4 + c] + 2 * below[c] + below[4 + c];
                    dst[c] = uint8_t((sum + 4) / 9);
                }
            } else {
                // One texel wide: the partner is the next row; one high: the next texel.
                const uint8_t* partner = (w > 1) ? a + 4 : texels + (size_t(2 * y + 1) * w) * 4;
                for (int c = 0; c < 4; ++c) dst[c] = uint8_t((2 * a[c] + partner[c] + 1) / 3);
            }
        }
    }
    width = nw;
    height = nh;
    return true;
}
