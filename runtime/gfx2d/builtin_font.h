// The built-in bitmap font: a 5 x 6 glyph table for the codes 32 to 127 and the
// outlined font picture made from it.
//
// The font is there before any file is loaded, so the start-up screen and a missing
// font file still give legible text. Pure code; sprites.cpp uploads the picture.
//
// Dependencies: the standard library only.
#pragma once

#include <cstdint>   // Required for: uint8_t, uint32_t
#include <vector>    // Required for: std::vector

// Picture and texture of the built-in font: 16 x 8 cells of 7 x 8 pixels.
constexpr int kBuiltinFontImageWidth = 112;
constexpr int kBuiltinFontImageHeight = 64;
constexpr int kBuiltinFontTextureWidth = 128;
constexpr int kBuiltinFontTextureHeight = 64;

// The 5 x 6 mask of a character code: bit 5 * row + column, rows from the top.
// Codes outside 32 ... 127 are blank (0).
uint32_t BuiltinGlyphMask(int code);

// The font texture's RGBA texels (rows bottom-up, like a loaded BMP): glyph pixels
// opaque white, the pixels around them opaque near-black (8, 8, 8), the rest clear.
std::vector<uint8_t> BuildBuiltinFontTexels();
