// The position dialog on the demo level, drawn with real OpenGL (Xvfb, or SDL's
// offscreen driver without a display) and compared with a kept reference picture.
//
// The SDL platform is wrapped so that the dialog's own loop can be driven: the wrapper
// reads the finished frame from the back buffer at the frame poll (which comes before
// the swap), then clicks OK. Set ZV_UPDATE_REFERENCE=1 to rewrite the reference.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/level.h"
#include "editor/levelfile.h"
#include "editor/view.h"
#include "gui/dialog.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/platform/platform.h"
#include "tests/editor/level_media.h"
#include "tests/support/scripted_sdl.h"
#include "tests/support/gui_driver.h"
#include "tools/demo.h"

namespace {

// An RGB picture, rows from the top.
struct Rgb8 {
    int width = 0, height = 0;
    std::vector<unsigned char> bytes;
};

// Averages blocks of n × n pixels: the reference keeps the layout, not every glyph pixel.
Rgb8 Shrink(const Rgb8& in, int n) {
    Rgb8 out{in.width / n, in.height / n, {}};
    out.bytes.resize(size_t(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < n; ++j) {
                    for (int i = 0; i < n; ++i) sum += in.bytes[(size_t(y * n + j) * in.width + x * n + i) * 3 + c];
                }
                out.bytes[(size_t(y) * out.width + x) * 3 + c] = static_cast<unsigned char>(sum / (n * n));
            }
        }
    }
    return out;
}

bool WritePpm(const std::string& path, const Rgb8& p) {
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << p.width << " " << p.height << "\n255\n";
    f.write(reinterpret_cast<const char*>(p.bytes.data()), std::streamsize(p.bytes.size()));
    return bool(f);
}

bool ReadPpm(const std::string& path, Rgb8& p) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    int max = 0;
    if (!(f >> magic >> p.width >> p.height >> max) || magic != "P6" || max != 255) return false;
    f.get();
    p.bytes.resize(size_t(p.width) * p.height * 3);
    f.read(reinterpret_cast<char*>(p.bytes.data()), std::streamsize(p.bytes.size()));
    return bool(f);
}

// The SDL platform with scripted input: the pointer rests at a fixed point, no key is
// down, and after `captureAt` frame polls the back buffer is kept and OK is clicked.
class ScriptedSdl : public ScriptedSdlBase {
public:
    explicit ScriptedSdl(Platform& inner) : ScriptedSdlBase(inner) {
        pointerX_ = 790;
        pointerY_ = 10;
    }

    int captureAt = 3;
    bool armed = false;
    Rgb8 picture;

    void PollInput() override {
        in_.PollInput();
        if (!armed) return;
        ++polls_;
        if (polls_ == captureAt) Capture();
        // Then: onto OK, press, release.
        if (polls_ == captureAt + 1) {
            Number x = 0, y = 0, w = 0, h = 0;
            if (GetWidgetCell("bt_ok", x, y, w, h)) {
                pointerX_ = int(x + w / 2);
                pointerY_ = int(y + h / 2);
            }
        }
        if (polls_ == captureAt + 2) buttons_ = kMouseLeft;
        if (polls_ == captureAt + 3) buttons_ = 0;
    }

private:
    void Capture() {
        int w = 0, h = 0;
        GetDisplaySize(w, h);
        std::vector<unsigned char> raw(size_t(w) * h * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
        picture = Rgb8{w, h, std::vector<unsigned char>(raw.size())};
        for (int y = 0; y < h; ++y) {
            std::copy_n(raw.begin() + std::ptrdiff_t(size_t(h - 1 - y) * w * 3), w * 3,
                        picture.bytes.begin() + std::ptrdiff_t(size_t(y) * w * 3));
        }
    }

    int polls_ = 0;
    // At rest beside the top bar's widgets, away from every view.
};

// Loads what the editor's start-up gives the dialog: its fonts, the mouse help picture
// and the game media the level drawing uses.
void LoadEditorMedia() {
    LoadFont("smalfont.bmp", 0);
    LoadFont("guifont.bmp", 1);
    LoadSprite("mousehelp.bmp", kMouseHelpSprite);
    LoadLevel("level.ini");
    LoadObject(MediaRoot + "shadow.kmo", 100);
    LoadSprite(MediaRoot + "shadow.bmp", 100);
    const char* items[] = {"extralife.bmp", "energy.bmp", "shield.bmp", "checkpoint.bmp"};
    for (int k = 0; k < 4; ++k) LoadSprite(MediaRoot + items[k], 500 + k);
    LoadSprite(MediaRoot + "shot1.bmp", 1000);
}

TEST(PositionDialogPicture, DemoLevelLooksLikeTheReference) {
    level_media::ScratchDir dir("viewpicture");
    ASSERT_TRUE(WriteDemo(dir.Path()).ok);
    const auto oldDir = std::filesystem::current_path();

    ScriptedSdl platform(SdlPlatform());
    StopRuntime();
    UsePlatform(&platform);
    Number result = -1;
    const bool started = StartUnattendedRuntime("Zentrovel");
    if (started) {
        // The runtime's start enters the program's folder; the editor's media lie here.
        std::filesystem::current_path(dir.Path());
        SetSystemPointer(1);
        GuiDriver::ResetToolkit();
        LoadEditorMedia();
        ViewTarget.Dim(4);
        ViewDistance = 12;
        PreviewTime = 0;
        DimArray<Number> pos;
        platform.armed = true;
        result = PositionDialog(-1, pos);
        platform.armed = false;
        GuiDriver::ResetToolkit();
    }
    StopRuntime();
    UsePlatform(nullptr);
    std::filesystem::current_path(oldDir);
    if (!started) GTEST_SKIP() << "no OpenGL window available";

    EXPECT_EQ(result, 1) << "OK closes the dialog";
    ASSERT_EQ(platform.picture.width, 800);
    const Rgb8 actual = Shrink(platform.picture, 4);
    const char* tmp = std::getenv("TMPDIR");
    const std::string out = std::string(tmp && *tmp ? tmp : "/tmp");
    WritePpm(out + "/position_dialog_full.ppm", platform.picture);
    WritePpm(out + "/position_dialog_actual.ppm", actual);

    const std::string refPath = std::string(ZV_SOURCE_DIR) + "/tests/editor/view_position_dialog.ppm";
    const char* update = std::getenv("ZV_UPDATE_REFERENCE");
    if (update && *update == '1') {
        ASSERT_TRUE(WritePpm(refPath, actual));
        GTEST_SKIP() << "reference rewritten: " << refPath;
    }
    Rgb8 reference;
    ASSERT_TRUE(ReadPpm(refPath, reference)) << "missing reference " << refPath;
    ASSERT_EQ(reference.width, actual.width);
    ASSERT_EQ(reference.height, actual.height);

    // Tolerance: small shading differences anywhere, large ones only on a few pixels.
    size_t differing = 0;
    double total = 0;
    const size_t pixels = size_t(actual.width) * actual.height;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(actual.bytes[i * 3 + c]) - int(reference.bytes[i * 3 + c]));
            worst = std::max(worst, d);
            total += d;
        }
        if (worst > 40) ++differing;
    }
    EXPECT_LT(double(differing) / double(pixels), 0.02) << "see " << out << "/position_dialog_actual.ppm";
    EXPECT_LT(total / double(pixels * 3), 4.0);
}

}  // namespace
