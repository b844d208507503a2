// The main panel and each dialog of the editor on the demo level, drawn with real OpenGL (Xvfb, or SDL's offscreen driver without a display) and
// compared with a kept reference picture tests/editor/dialog_<name>.png. Set
// ZV_UPDATE_REFERENCE=1 to rewrite the references.
//
// The SDL platform is wrapped so that each dialog's own loop can be driven: the wrapper
// keeps the back buffer at the frame poll of the third drawn frame (the poll comes
// before the swap), then clicks OK, or ends the program from the main panel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/actordialog.h"
#include "editor/dialogs.h"
#include "editor/editor.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "editor/objectdialog.h"
#include "editor/itemsdialog.h"
#include "editor/view.h"
#include "editor/weaponsdialog.h"
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/frame/program.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/platform/platform.h"
#include "tests/level/level_media.h"
#include "tests/support/png_picture.h"
#include "tests/support/scripted_sdl.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"
#include "tools/demo.h"

namespace {

// Pictures are kept at half size: the layout and the colours, not every glyph pixel.
constexpr int kShrink = 2;

Picture Shrink(const Picture& in, int n) {
    Picture out{in.width / n, in.height / n, {}};
    std::vector<int> sums(size_t(out.width) * out.height * 3);
    for (int y = 0; y < out.height * n; ++y) {
        for (int x = 0; x < out.width * n; ++x) {
            const size_t to = (size_t(y / n) * out.width + x / n) * 3, from = (size_t(y) * in.width + x) * 3;
            for (int c = 0; c < 3; ++c) sums[to + c] += in.rgb[from + c];
        }
    }
    for (const int sum : sums) out.rgb.push_back(static_cast<unsigned char>(sum / (n * n)));
    return out;
}

// The SDL platform with scripted input: the pointer rests in the top right corner, no
// key is down; once armed, the back buffer is kept at the third drawn frame and OK is
// clicked over the frames after it.
class ScriptedSdl : public ScriptedSdlBase {
public:
    explicit ScriptedSdl(Platform& inner) : ScriptedSdlBase(inner) {
        pointerX_ = 790;
        pointerY_ = 10;
    }

    void Arm() {
        armed_ = true;
        startFrame_ = DialogFrameCount();
        lastFrame_ = startFrame_;
        step_ = 0;
        picture = Picture{};
        pointerX_ = 790;
        pointerY_ = 10;
        buttons_ = 0;
    }
    void Disarm() { armed_ = false; }
    Picture picture;

    void PollInput() override {
        in_.PollInput();
        // Only the first poll after a drawn frame is the frame's own, before the swap;
        // the idle wait's polls come after it.
        const Number frame = DialogFrameCount();
        if (!armed_ || frame == lastFrame_) return;
        lastFrame_ = frame;
        ++step_;
        Number x = 0, y = 0, w = 0, h = 0;
        // The main panel: the water object is selected (it has no OK to end with).
        if (step_ == 1 && GetWidgetCell("ls_obj", x, y, w, h)) SetProp("ls_objSELECT", "9");
        if (step_ == 3) Capture();
        if (step_ == 4) {
            if (!GetWidgetCell("bt_ok", x, y, w, h)) EndProgram();
            pointerX_ = int(x + w / 2);
            pointerY_ = int(y + h / 2);
        }
        if (step_ == 5) buttons_ = kMouseLeft;
        if (step_ == 6) buttons_ = 0;
    }

private:
    void Capture() {
        int w = 0, h = 0;
        GetDisplaySize(w, h);
        std::vector<unsigned char> raw(size_t(w) * h * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
        picture = Picture{w, h, std::vector<unsigned char>(raw.size())};
        for (int y = 0; y < h; ++y) {
            std::copy_n(raw.begin() + std::ptrdiff_t(size_t(h - 1 - y) * w * 3), w * 3,
                        picture.rgb.begin() + std::ptrdiff_t(size_t(y) * w * 3));
        }
    }

    bool armed_ = false;
    Number startFrame_ = 0, lastFrame_ = 0;
    int step_ = 0;
};

// What the editor's start-up gives the dialogs: fonts, the level, the game's media.
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

struct Shot {
    const char* name;
    std::function<void()> open;
};

// A picture may differ from its reference by shading alone: no pixel of the half-size
// picture may be off by more than 40 in a channel on more than a handful of pixels, so
// a missing blink dot (some 50 such pixels) or marker shows.
constexpr size_t kFewPixels = 12;

void ExpectLooksLike(const Picture& actual, const std::string& name, const std::string& outDir) {
    const std::string refPath = std::string(ZV_SOURCE_DIR) + "/tests/editor/dialog_" + name + ".png";
    WritePng(outDir + "/dialog_" + name + "_actual.png", actual);
    const char* update = std::getenv("ZV_UPDATE_REFERENCE");
    if (update && *update == '1') {
        EXPECT_TRUE(WritePng(refPath, actual)) << refPath;
        return;
    }
    Picture reference;
    ASSERT_TRUE(ReadPng(refPath, reference)) << "missing reference " << refPath;
    ASSERT_EQ(reference.width, actual.width);
    ASSERT_EQ(reference.height, actual.height);
    size_t differing = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(actual.rgb[i + c]) - int(reference.rgb[i + c])));
        differing += worst > 40;
    }
    EXPECT_LE(differing, kFewPixels) << "see " << outDir << "/dialog_" << name << "_actual.png";
}

TEST(DialogPictures, EachDialogOnTheDemoLevelLooksLikeItsReference) {
    level_media::ScratchDir dir("dialogpictures");
    ASSERT_TRUE(WriteDemo(dir.Path()).ok);
    const auto oldDir = std::filesystem::current_path();
    const char* tmp = std::getenv("TMPDIR");
    const std::string outDir = std::string(tmp && *tmp ? tmp : "/tmp");

    DimArray<Number> pos;
    const std::vector<Shot> shots = {
        {"actor_list", [] { ActorListDialog(); }},
        {"actor_edit", [] { ActorDialog(1); }},
        {"animation", [] { AnimationDialog(8); }},
        {"weapons", [] { WeaponsDialog(); }},
        {"weapon_properties", [] { WeaponPropertiesDialog(0); }},
        {"paths", [] { PathDialog(); }},
        {"items", [] { SpecialItemsDialog(); }},
        {"item_properties", [] { SpecialItemPropertiesDialog(4); }},
        {"object", [] { ObjectDialog(9); }},   // the water object
        {"position", [&pos] { PositionDialog(-1, pos); }},
        // The main panel with the water object selected, in the half second it blinks.
        {"main_panel", [] { RunUntilEnd([] { EditorStart(); }); }},
    };
    std::vector<Picture> pictures;

    ScriptedSdl platform(SdlPlatform());
    StopRuntime();
    UsePlatform(&platform);
    const bool started = StartUnattendedRuntime("Zentrovel");
    if (started) {
        std::filesystem::current_path(dir.Path());
        SetSystemPointer(1);
        GuiDriver::ResetToolkit();
        LoadEditorMedia();
        ViewTarget.Dim(4);
        ViewDistance = 12;
        PreviewTime = 0;
        GetScreenSize(ScreenW, ScreenH);
        for (const Shot& shot : shots) {
            platform.Arm();
            shot.open();
            platform.Disarm();
            GuiDriver::ResetToolkit();
            pictures.push_back(platform.picture);
        }
    }
    StopRuntime();
    UsePlatform(nullptr);
    std::filesystem::current_path(oldDir);
    if (!started) GTEST_SKIP() << "no OpenGL window available";

    for (size_t k = 0; k < shots.size(); ++k) {
        SCOPED_TRACE(shots[k].name);
        ASSERT_EQ(pictures[k].width, 800) << "the frame was kept";
        ExpectLooksLike(Shrink(pictures[k], kShrink), shots[k].name, outDir);
    }
}

}  // namespace
