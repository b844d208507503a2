// The position dialog and view markers on the headless platform (no pixels).
#include <gtest/gtest.h>

#include <cmath>

#include "level/level.h"
#include "editor/view.h"
#include "game/path.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/lumenor3d.h"
#include "tests/gui/gui_fixture.h"

namespace {

class PositionDialogTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        LoadFont("", 1);   // the dialog's font; the built-in one here
        ResetLevelArrays();
        ViewTarget.Dim(4);
        ViewDistance = 12;
        PreviewTime = 0;
        ScreenW = 800;
        ScreenH = 600;
        pos.Dim(4);
    }

    // Presses and releases the left button at a screen point, one frame each.
    void ClickAt(int x, int y) { gui().MoveToPoint(x, y).Press().Idle(1).Release().Idle(1); }

    DimArray<Number> pos;
};

TEST_F(PositionDialogTest, OkWithoutAViewClickSnapsTowardZero) {
    const Number start[4] = {1.26, -1.26, 0.74, 7.3};
    for (int k = 0; k < 4; ++k) pos(k) = start[k];
    StrValue text;
    gui().Idle(2).Do([&](HeadlessPlatform&) { text = GetProp("tx_textTEXT"); });
    ClickAt(600, 450);   // the perspective view and the top bar beside its widgets take no clicks
    ClickAt(500, 20);
    gui().Click("bt_ok");
    EXPECT_EQ(PositionDialog(3, pos), 1);
    const Number snapped[4] = {1.0, -1.0, 0.5, 7.0};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(pos(k), snapped[k]) << k;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(ViewTarget(k), 0) << k;
    EXPECT_EQ(text.Std(), "X:1 Y:-1 Z:0.5");
    EXPECT_EQ(DialogStackDepth(), 0) << "the dialog is closed";

    pos.Dim(2);   // a short position grows to four values, keeping its own
    pos(0) = 2.5;
    gui().Idle(2).Click("bt_ok");
    EXPECT_EQ(PositionDialog(-1, pos), 1);
    ASSERT_EQ(pos.Extent(0), 4);
    EXPECT_EQ(pos(0), 2.5);
}

TEST_F(PositionDialogTest, CancelAfterAClickKeepsTheClickedValuesAndTheCamera) {
    pos(2) = 4;
    ClickAt(300, 110);   // the front view's world (7.4, 4.7) at distance 12
    // A drag with the right button in the front quadrant moves the camera target.
    gui().MoveToPoint(100, 200).Do([](HeadlessPlatform& p) { p.PressButton(kMouseRight); });
    gui().MoveToPoint(140, 200).Do([](HeadlessPlatform& p) { p.ReleaseButton(kMouseRight); });
    gui().Idle(1).Click("bt_cancel");
    EXPECT_EQ(PositionDialog(-1, pos), 0);
    EXPECT_EQ(pos(0) * 100 + pos(1) * 10 + pos(2), 749) << "x 7, y 4.5; the front view does not set z";
    EXPECT_LT(ViewTarget(0), 0) << "dragging right moves the target left";
    EXPECT_EQ(ViewTarget(1), 0);
}

TEST_F(PositionDialogTest, OnePressOfTheRightArrowTurnsOnce) {
    // The key is held over several polls while the dialog waits for it to come up.
    gui().Idle(1).Do([](HeadlessPlatform& p) {
        p.PressKey(kKeyRight);
        p.Idle(6).Then([](HeadlessPlatform& q) { q.ReleaseKey(kKeyRight); });
    });
    gui().Idle(3).Do([](HeadlessPlatform& p) {
        p.PressKey(kKeyRight);
        p.Idle(2).Then([](HeadlessPlatform& q) { q.ReleaseKey(kKeyRight); });
    });
    gui().Idle(3).Do([](HeadlessPlatform& p) {
        p.PressKey(kKeyLeft);
        p.Then([](HeadlessPlatform& q) { q.ReleaseKey(kKeyLeft); });
    });
    // Both arrows held cancel out; the dialog waits, not drawing, until both are up,
    // so the one still held after the other comes up does not turn either.
    Number framesHeld = -1;
    gui().Idle(3).Do([&framesHeld](HeadlessPlatform& p) {
        p.PressKey(kKeyRight);
        p.PressKey(kKeyLeft);
        const Number start = DialogFrameCount();
        p.Idle(4).Then([](HeadlessPlatform& q) { q.ReleaseKey(kKeyLeft); });
        p.Idle(4).Then([&framesHeld, start](HeadlessPlatform& q) {
            framesHeld = DialogFrameCount() - start;
            q.ReleaseKey(kKeyRight);
        });
    });
    gui().Idle(3).Click("bt_ok");
    EXPECT_EQ(PositionDialog(-1, pos), 1);
    EXPECT_EQ(pos(3), 15);
    EXPECT_EQ(framesHeld, 1) << "one frame saw the keys go down, then the dialog waited";
}

TEST_F(PositionDialogTest, ZoomStopsAtOneAndTheTimeSliderSetsThePreviewTime) {
    PreviewTime = 25;
    Number start = -1, least = 100, zoomedOut = 0;
    gui().Idle(2).Do([&](HeadlessPlatform&) { start = PreviewTime; });
    gui().PressKey(kKeyDown).Idle(30).ReleaseKey(kKeyDown);
    gui().Do([&](HeadlessPlatform&) { least = ViewDistance; });
    gui().Do([](HeadlessPlatform& p) { p.TurnWheel(-1); }).Idle(1);
    gui().Do([&](HeadlessPlatform&) { zoomedOut = ViewDistance; });
    // Press and release at the slider's right end.
    gui().MoveTo("sl_time", 0.99, 0.5).Press().Idle(1).Release().Idle(1).Click("bt_ok");
    EXPECT_EQ(PositionDialog(-1, pos), 1);
    EXPECT_EQ(least, 1);
    EXPECT_GT(zoomedOut, 1) << "the wheel turned toward the user zooms out";
    EXPECT_DOUBLE_EQ(start, 25) << "opening the dialog keeps the preview time";
    EXPECT_DOUBLE_EQ(PreviewTime, 50);
}

class DrawLevelViewTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ResetLevelArrays();
        ViewTarget.Dim(4);
        ViewDistance = 12;
        PreviewTime = 0;
        SetViewport(0, 0, 400, 300);
    }
};

TEST_F(DrawLevelViewTest, MarkerModelBlinksWithTheRedDotAndTheCameraMarkerIsOnlyTheDot) {
    DimArray<Number> p;
    p.Dim(4);
    p(0) = 5;
    p(3) = 90;
    // Within the first quarter second of each half the model is placed and drawn.
    const double phase = std::fmod(GetElapsedTime(), 500);
    platform().AdvanceClock(phase < 250 ? 0 : 500 - phase);
    SetMovement(0, 0, 0);
    DrawPositionMarker(3, p);
    EXPECT_EQ(Engine3D().Level(0).translation[0], 5);
    EXPECT_EQ(Engine3D().Level(0).rotationCount, 1);
    SetMovement(0, 0, 0);
    DrawPositionMarker(-1, p);
    EXPECT_EQ(Engine3D().Level(0).translation[0], 0) << "the camera marker is a dot only";
    platform().AdvanceClock(300);
    DrawPositionMarker(3, p);
    EXPECT_EQ(Engine3D().Level(0).translation[0], 0) << "the other half of the blink is the dot";
}

}  // namespace
