// zv_media: the build step that writes what an install puts under share/: the editor's own
// media (share/zentrovel) and the program's icon in two sizes (share/icons/hicolor).
//
// Usage: zv_media SHARE_DIR. Exit status 0 when every file was written, else 1.
//
// Dependencies: tools/demo, tools/picture, libpng.
#include <algorithm>   // Required for: std::clamp
#include <cmath>       // Required for: std::hypot
#include <cstdint>     // Required for: uint8_t
#include <cstdio>      // Required for: std::fprintf
#include <filesystem>  // Required for: create_directories
#include <string>
#include <vector>

#include <png.h>

#include "tools/demo.h"
#include "tools/picture.h"

namespace {

// The program's icon, `size` pixels square; kTransparent outside its rounded corners.
Picture ProgramIcon(int size) {
    // Drawn on a 64-pixel grid and scaled: a sky tile with a grass block, a stone step and
    // the hero in mid-jump, and the editor's red pointer above him.
    const double k = size / 64.0;
    auto at = [k](std::initializer_list<double> xy) {
        std::vector<double> out;
        for (double v : xy) out.push_back(v * k);
        return out;
    };
    Picture p(size, size, kTransparent);
    for (int y = 0; y < size; ++y) {
        const uint32_t sky = MixColour(Rgb(70, 120, 220), Rgb(170, 210, 250), double(y) / size);
        for (int x = 0; x < size; ++x) {
            // Rounded corners of radius 10.
            const double cx = std::clamp(x + 0.5, 10 * k, size - 10 * k);
            const double cy = std::clamp(y + 0.5, 10 * k, size - 10 * k);
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= 10 * k) p.Set(x, y, sky);
        }
    }
    const uint32_t grass = Rgb(80, 170, 60), grassTop = Rgb(130, 210, 90), earth = Rgb(120, 80, 45);
    p.FillPolygon(at({4, 46, 60, 46, 60, 54, 4, 54}), grass);
    p.FillPolygon(at({4, 42, 60, 42, 60, 47, 4, 47}), grassTop);
    p.FillPolygon(at({10, 54, 54, 54, 54, 60, 10, 60}), earth);
    p.FillPolygon(at({38, 30, 56, 30, 56, 42, 38, 42}), Rgb(150, 150, 160));
    p.FillPolygon(at({38, 30, 56, 30, 56, 33, 38, 33}), Rgb(200, 200, 210));
    const uint32_t hero = Rgb(240, 150, 40), skin = Rgb(250, 215, 170), dark = Rgb(60, 40, 30);
    p.FillPolygon(at({18, 22, 28, 22, 29, 34, 17, 34}), hero);       // body
    p.FillPolygon(at({17, 33, 21, 33, 15, 41, 12, 39}), dark);       // legs, tucked in the jump
    p.FillPolygon(at({25, 33, 29, 33, 31, 40, 27, 41}), dark);
    p.FillPolygon(at({18, 23, 14, 16, 16, 15, 21, 22}), hero);       // arms up
    p.FillPolygon(at({28, 23, 32, 16, 30, 15, 25, 22}), hero);
    p.FillCircle(23 * k, 17 * k, 5 * k, skin);
    p.FillPolygon(at({43, 6, 53, 6, 53, 14, 57, 14, 48, 24, 39, 14, 43, 14}), Rgb(230, 40, 30));
    return p;
}

bool WriteIcon(const std::string& dir, int size) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const Picture pic = ProgramIcon(size);
    std::vector<uint8_t> rgba;
    for (uint32_t c : pic.pixels) {
        const bool clear = c == kTransparent;
        rgba.insert(rgba.end(),
                    {uint8_t(RedOf(c)), uint8_t(GreenOf(c)), uint8_t(BlueOf(c)), uint8_t(clear ? 0 : 255)});
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, (dir + "/zentrovel.png").c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zv_media SHARE_DIR\n");
        return 2;
    }
    const std::string share = argv[1];
    const DemoResult media = WriteEditorMedia(share + "/zentrovel");
    if (!media.ok) {
        std::fprintf(stderr, "zv_media: could not write %s\n", media.error.c_str());
        return 1;
    }
    for (int size : {64, 128}) {
        const std::string dir =
            share + "/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!WriteIcon(dir, size)) {
            std::fprintf(stderr, "zv_media: could not write the icon in %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}
