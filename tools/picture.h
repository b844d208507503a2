// Picture: an RGB raster for making the demo's textures, sprites and font pictures,
// with the drawing the generator needs and a writer for uncompressed BMP files.
//
// Colours are packed as red + 256 x green + 65536 x blue, the runtime's own packing,
// so the sprite transparent colour is simply kTransparent.
//
// Dependencies: the standard library only.
#pragma once

#include <cstdint>  // Required for: uint32_t
#include <string>   // Required for: std::string (paths, texts)
#include <vector>   // Required for: std::vector (pixels)

constexpr uint32_t kTransparent = 0x8000ff;  // red 255, green 0, blue 128

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r & 255) | static_cast<uint32_t>(g & 255) << 8 |
           static_cast<uint32_t>(b & 255) << 16;
}
inline int RedOf(uint32_t c) { return static_cast<int>(c & 255); }
inline int GreenOf(uint32_t c) { return static_cast<int>((c >> 8) & 255); }
inline int BlueOf(uint32_t c) { return static_cast<int>((c >> 16) & 255); }
// Linear mix of two colours, t = 0 gives a, t = 1 gives b.
uint32_t MixColour(uint32_t a, uint32_t b, double t);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // rows from the top, left to right

    Picture() = default;
    Picture(int w, int h, uint32_t fill = 0);
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a pixel; points outside the picture are ignored.
    void Set(int x, int y, uint32_t colour);
    void FillRect(int x, int y, int w, int h, uint32_t colour);
    void FrameRect(int x, int y, int w, int h, uint32_t colour);
    void FillCircle(double cx, double cy, double r, uint32_t colour);
    void Line(int x0, int y0, int x1, int y1, uint32_t colour);
    // Fills the polygon given by alternating x, y pixel coordinates (even-odd rule).
    void FillPolygon(const std::vector<double>& xy, uint32_t colour);
};

// Text in the generator's own 5 x 9 pixel glyphs (7 rows above the baseline, 2 below).
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 9;
// True when pixel (x, y) of the glyph of code c is set; codes outside 32..126 are blank.
bool GlyphPixel(int c, int x, int y);
// Draws text with its top-left at (x, y), advancing `advance` pixels per character; when
// `outline` is not kTransparent, pixels bordering the glyphs get that colour first.
void DrawText(Picture& pic, int x, int y, const std::string& text, uint32_t colour,
              uint32_t outline = kTransparent, int advance = 6);

// A font picture of 16 x 8 cells of cellW x cellH for the codes 0..127, black where no glyph
// is (black is the fonts' transparent colour).
Picture MakeFontPicture(int cellW, int cellH, int glyphX, int glyphY, uint32_t colour,
                        uint32_t outline);

// Writes the picture as a bottom-up BMP of 24 bits per pixel, or of 8 bits with a palette
// when `paletted` is set and the picture has at most 256 colours. False when the file could
// not be written completely.
bool WriteBmp(const std::string& path, const Picture& pic, bool paletted = false);
