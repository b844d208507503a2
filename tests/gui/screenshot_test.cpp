// A dialog with every widget kind drawn with real OpenGL and compared with the reference
// picture tests/gui/reference_dialog.png. Set ZV_UPDATE_REFERENCE=1 to write a new one.
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/platform/platform.h"
#include "tests/support/png_picture.h"
#include "tests/support/gl_test.h"
#include "tests/support/gui_driver.h"

namespace {

constexpr int kX = 20, kY = 20, kW = 360, kH = 230;
// Screen area read back: the dialog with its title bar.
constexpr int kShotW = kW, kShotH = kH + 12;

// The back buffer's rectangle, top row first.
Picture ReadScreen(int x, int y, int w, int h) {
    int dw = 0, dh = 0;
    GetDisplaySize(dw, dh);
    std::vector<uint8_t> rows(static_cast<size_t>(w) * h * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, dh - y - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    Picture pic{w, h, std::vector<uint8_t>(rows.size())};
    for (int r = 0; r < h; ++r) {
        std::copy_n(rows.data() + static_cast<size_t>(h - 1 - r) * w * 3, w * 3,
                    pic.rgb.data() + static_cast<size_t>(r) * w * 3);
    }
    return pic;
}

void BuildEveryWidgetDialog() {
    GuiDriver::ResetToolkit();
    DialogInit(kX, kY, kW, kH);
    SetProp("TEXT", "Every widget");
    SetProp("MOVABLE", "1");
    SetProp("SCALABLE", "1");
    NewWidget("st_info", "Static text wraps inside its cell.", 150, 0);
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    AddSpacer(10000, 0);
    AddCheckbox("cb_on", "Checked", 0, 0);
    SetProp("cb_onCHECKED", "1");
    AddCheckbox("cb_off", "Unchecked", 0, 0);
    AddSpacer(10000, 4);
    AddRadio("ra_kind", "Land|Water|Toxic", 0);
    SetProp("ra_kindSELECT", "1");
    AddList("ls_items", "alpha|beta|gamma|delta|epsilon|zeta", 100, 0);
    SetProp("ls_itemsSELECT", "2");
    AddSpacer(10000, 4);
    AddSlider("sl_value", 120, 0);
    SetProp("sl_valueTEXT", "0.25");
    AddText("tx_name", "Edit me", 120, 0);
    SetProp("FOCUS", "tx_name");
    SetProp("tx_nameSELSTART", "0");
    SetProp("tx_nameSELEND", "4");
    AddSpacer(10000, 4);
    AddFile("fi_model", "/media/models/ship.kmo", 150, 0);
    DialogRefresh(0, 0, 0, 0);
}

}  // namespace

class GuiScreenshotTest : public GlTest {};

TEST_F(GuiScreenshotTest, DialogWithEveryWidgetKindMatchesTheReferencePicture) {
    LoadFont("", 0);
    // Keep the pointer off the dialog so nothing is hovered.
    SetSystemPointer(1);
    GetPlatform().WarpPointer(790, 590);
    BuildEveryWidgetDialog();
    FlipScreen();
    DialogShow(0);
    FlipScreen();
    DialogShow(0);
    const Picture actual = ReadScreen(kX, kY, kShotW, kShotH);
    FlipScreen();
    GuiDriver::ResetToolkit();

    const std::string reference = std::string(ZV_SOURCE_DIR) + "/tests/gui/reference_dialog.png";
    const char* update = std::getenv("ZV_UPDATE_REFERENCE");
    if (update && *update == '1') {
        ASSERT_TRUE(WritePng(reference, actual));
        GTEST_SKIP() << "wrote " << reference;
    }
    Picture expected;
    ASSERT_TRUE(ReadPng(reference, expected)) << "missing reference " << reference;
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    // Small differences in rasterisation are tolerated, a changed picture is not.
    int off = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(actual.rgb[i + c]) - int(expected.rgb[i + c])));
        off += worst > 24;
    }
    // Renders agree exactly on our machines; a few pixels of slack for other rasterisers.
    const int allowed = 12;
    if (off > allowed) {
        const char* tmp = std::getenv("TMPDIR");
        const std::string out = std::string(tmp && *tmp ? tmp : "/tmp") + "/gui_dialog_actual.png";
        WritePng(out, actual);
        ADD_FAILURE() << off << " pixels differ (allowed " << allowed << "); the picture drawn is " << out;
    }
}

TEST_F(GuiScreenshotTest, DialogBelowTheTopOneIsDrawnAtHalfBrightness) {
    LoadFont("", 0);
    SetSystemPointer(1);
    GetPlatform().WarpPointer(790, 590);
    GuiDriver::ResetToolkit();
    DialogInit(20, 20, 200, 100);   // its body inside the frame: (240, 240, 255)
    DialogInit(400, 300, 100, 50);
    DialogShow(0);
    const Rgba below = ReadPixel(150, 100);
    const Rgba top = ReadPixel(450, 340);
    FlipScreen();
    GuiDriver::ResetToolkit();
    EXPECT_EQ(top, (Rgba{240, 240, 255, top.a}));
    EXPECT_NEAR(below.r, 120, 2);
    EXPECT_NEAR(below.g, 120, 2);
    EXPECT_NEAR(below.b, 128, 2);
}
