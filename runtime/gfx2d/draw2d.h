// 2D drawing: the draw alpha and blend modes, lines, filled rectangles, coloured or
// textured polygon fans, and fixed-width text from bitmap fonts.
//
// Coordinates are pixels from the viewport's top-left corner, y downwards. Colours are
// packed (red + 256 green + 65536 blue, truncated); 0x8000ff is the transparent colour.
// The draw alpha applies to everything drawn after it is set and is 1 again after
// every FlipScreen. Font n (0 to 15) lives in sprite slot 4080 + n: a picture of 16 x 8
// equal cells holding the codes 0 to 127 from the top-left, black transparent.
//
// Dependencies: sprites, builtin_font, files (ResolveFile), frame (flip hook, start-up
// screen, screen size), program (EndProgram), OpenGL.
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// a = 0: blending off, alpha 1. a < 0: alpha blending with alpha -a. a > 0: additive
// blending with alpha a. The alpha is capped at 1 and becomes the current colour.
void SetAlphaMode(Number a);
// The current draw alpha (0 to 1).
Number GetDrawAlpha();

// A line whose both end pixels are set.
void DrawLine(Number x1, Number y1, Number x2, Number y2, Number colour);
// A filled rectangle between two corners given in any order, both corner pixels included.
void DrawRectCorners(Number x1, Number y1, Number x2, Number y2, Number colour);

// A polygon drawn as one triangle fan: StartPolygon(slot, -1 for none), one
// PolygonVertex per point (u, v in picture pixels of the slot), EndPolygon.
void StartPolygon(Number slot);
void PolygonVertex(Number x, Number y, Number u, Number v, Number colour);
void EndPolygon();

// Loads font n (clamped to 0 to 15) from a BMP and makes it current; a file that does
// not resolve installs the built-in font, and so does one that is not a usable BMP,
// which also records end code 3 and logs "Font not loadable: " and its path.
void LoadFont(const StrValue& file, Number n);
// Selects font n, clamped to 0 to 15.
void SetFont(Number n);
Number GetCurrentFont();
// The current font's cell size: picture width / 16, picture height / 8.
void GetFontSize(Number& width, Number& height);
// One cell per byte from (ceil(x), ceil(y)); bytes >= 128 show glyph (256 - b) mod 128.
// Control characters are printed as glyphs; nothing is clipped.
void PrintText(const StrValue& text, Number x, Number y);
void PrintNumber(Number value, Number x, Number y);

// Registers the start-up screen (built-in font, then "smalfont.bmp" as font 0, and
// "Loading..." centred) and the draw-alpha reset after each FlipScreen.
void InstallStartupScreen();
