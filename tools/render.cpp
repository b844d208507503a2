// Level rendering to PNG (see render.h).
#include "tools/render.h"

#include <cstdlib>     // Required for: setenv
#include <filesystem>  // Required for: current_path

#include <GL/gl.h>
#include <png.h>

#include "level/level.h"
#include "level/levelfile.h"
#include "editor/view.h"
#include "runtime/files/files.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"

namespace {

// The fixed media the level drawing needs (shadows, item pictures), as the editor loads them.
void LoadFixedMedia() {
    LoadObject(MediaRoot + "shadow.kmo", 100);
    LoadSprite(MediaRoot + "shadow.bmp", 100);
    LoadObject(MediaRoot + "skybox.kmo", 101);
    LoadSprite(MediaRoot + "skybox.bmp", 101);
    const char* items[] = {"extralife.bmp", "energy.bmp", "shield.bmp", "checkpoint.bmp"};
    for (int k = 0; k < 4; ++k) LoadSprite(MediaRoot + items[k], 500 + k);
    LoadSprite(MediaRoot + "shot1.bmp", 1000);
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

bool RenderLevel(const std::string& level, const std::string& out, const RenderOptions& options,
                 std::string& error) {
    // A window is never wanted here, even where a display exists.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // Nobody is there to answer the software-renderer warning.
    setenv("ZENTROVEL_AUTOMATED", "1", 0);
    RuntimeSettings settings = GetRuntimeSettings();
    settings.screenWidth = options.width;
    settings.screenHeight = options.height;
    settings.fullscreen = false;
    settings.useMouse = false;
    ConfigureRuntime(settings);
    if (!StartRuntime("Zentrovel") || !GraphicsAvailable()) {
        error = "no OpenGL context (SDL offscreen driver)";
        return false;
    }
    // Start-up enters the program's own directory; the level's media are found from its own.
    std::error_code ec;
    const std::filesystem::path file(level);
    std::filesystem::current_path(file.parent_path(), ec);
    if (ec) {
        StopRuntime();
        error = "cannot enter " + file.parent_path().string();
        return false;
    }
    if (FileExists("smalfont.bmp")) LoadFont("smalfont.bmp", 0);
    LoadLevel(StrValue(file.filename().string()));
    LoadFixedMedia();
    SetFont(0);
    ViewDistance = options.distance;
    SetViewport(0, 0, options.width, options.height);
    DrawLevelView(options.view);

    // Read back before presenting: after a swap the front buffer is not reliable.
    std::vector<uint8_t> bottomUp(static_cast<size_t>(options.width) * options.height * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.width, options.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> rgba(bottomUp.size());
    const size_t row = static_cast<size_t>(options.width) * 4;
    for (int y = 0; y < options.height; ++y)
        std::copy_n(&bottomUp[static_cast<size_t>(options.height - 1 - y) * row], row, &rgba[static_cast<size_t>(y) * row]);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;  // the picture is opaque
    StopRuntime();
    if (!WritePng(out, options.width, options.height, rgba)) {
        error = "cannot write " + out;
        return false;
    }
    return true;
}
