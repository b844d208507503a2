// zv_media: the build step that writes what an install puts under share/: the editor's own
// media (share/zentrovel) and the program's icon in two sizes (share/icons/hicolor).
//
// Usage: zv_media SHARE_DIR. Exit status 0 when every file was written, else 1.
//
// Dependencies: tools/demo, tools/picture, libpng.
#include <cstdint>     // Required for: uint8_t
#include <cstdio>      // Required for: std::fprintf
#include <filesystem>  // Required for: create_directories
#include <string>
#include <vector>

#include <png.h>

#include "tools/demo.h"
#include "tools/picture.h"

namespace {

bool WriteIcon(const std::string& dir, int size) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const Picture pic = ProgramIcon(size);
    std::vector<uint8_t> rgba;
    for (uint32_t c : pic.pixels) {
        const bool clear = c == kTransparent;
        rgba.insert(rgba.end(), {uint8_t(RedOf(c)), uint8_t(GreenOf(c)), uint8_t(BlueOf(c)), uint8_t(clear ? 0 : 255)});
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
        const std::string dir = share + "/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!WriteIcon(dir, size)) {
            std::fprintf(stderr, "zv_media: could not write the icon in %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}
