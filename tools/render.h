// Level rendering for zentrovel-tool: draws a level as one of the editor's four views
// into an offscreen OpenGL context and writes the picture as a PNG file.
//
// No display is needed: the SDL offscreen video driver (EGL) provides the context.
//
// Dependencies: runtime/frame (start-up, viewport), editor (level file and arrays, its
// views), runtime/gfx3d, runtime/gfx2d, libpng.
#pragma once

#include <cstdint>  // Required for: uint8_t
#include <string>   // Required for: std::string
#include <vector>   // Required for: std::vector

struct RenderOptions {
    int view = 3;  // 0 front, 1 side, 2 top, 3 perspective
    int width = 800;
    int height = 600;
    double distance = 12;  // the editor's view distance (zoom of the orthographic views)
};

// Renders the level file (an absolute path) to the PNG file `out`. On failure returns
// false with a reason in `error`.
bool RenderLevel(const std::string& level, const std::string& out, const RenderOptions& options,
                 std::string& error);

// Writes RGBA rows, top row first, as a PNG file; false when it could not be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
