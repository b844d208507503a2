// BMP decoding: Windows BMP bytes to the RGBA texels of a sprite texture, and the
// mipmap reduction of such texels.
//
// Pure code with no OpenGL, so every picture rule is testable without a context.
// A BMP file is untrusted input: every field is checked against the real byte count,
// and a picture larger than the texture limit is cut before anything is allocated.
//
// Texel layout: textureWidth x textureHeight RGBA bytes, rows bottom-up (texture row 0
// is the picture's bottom row), the picture in the lower-left corner, the rest (0,0,0,0).
//
// Dependencies: the standard library only.
#pragma once

#include <cstddef>   // Required for: size_t
#include <cstdint>   // Required for: uint8_t, uint32_t
#include <vector>    // Required for: std::vector

// The transparent colour of sprites (red 255, green 0, blue 128); fonts use black.
constexpr uint32_t kSpriteColourKey = 0x8000ff;
// The largest texture side assumed when no OpenGL implementation can be asked.
constexpr int kDefaultTextureLimit = 16384;

enum class BmpStatus {
    Ok,                  // texels built
    NotBmp,              // no signature, zero size, or a truncated or inconsistent file
    UnsupportedFormat,   // a valid header but a depth or compression we do not decode
};

struct BmpTexture {
    int imageWidth = 0;     // picture size after the cut to the texture limit
    int imageHeight = 0;
    int textureWidth = 0;   // power-of-two sizes, at least 2
    int textureHeight = 0;
    std::vector<uint8_t> texels;   // filled only for BmpStatus::Ok
};

// Decodes a whole BMP file held in memory. colourKey is a packed colour (red + 256 green
// + 65536 blue) that becomes transparent; a non-zero key also bleeds opaque colours into
// the transparent texels next to them. maxTextureSize is the largest texture side.
// The sizes in `out` are set for Ok and UnsupportedFormat.
BmpStatus DecodeBmp(const uint8_t* data, size_t size, uint32_t colourKey, int maxTextureSize,
                    BmpTexture& out);

// The smallest power of two that holds n pixels, but at least 2.
int TextureSideFor(int n);

// Replaces the level of width x height texels at the start of `texels` by the next,
// smoothed half-size level, in place; width and height become the new level's size
// (a side that halves to 0 counts as 1). Returns false, changing nothing, when the
// level is already 1 x 1.
bool ShrinkToNextMipLevel(uint8_t* texels, int& width, int& height);
