// The main view under the mouse, on the headless platform with the demo level.
#include <array>

#include "editor/viewinput.h"
#include "tests/editor/editor_support.h"

namespace {

class ViewInputTest : public EditorTest {
protected:
    // A drag with one button from one view point to another, a frame per step.
    void Drag(int bit, int x, int y, int dx, int dy) {
        gui().MoveToPoint(x, y).Do([bit](HeadlessPlatform& p) { p.PressButton(bit); });
        gui().MoveToPoint(x + dx / 2, y + dy / 2).MoveToPoint(x + dx, y + dy);
        gui().Do([bit](HeadlessPlatform& p) { p.ReleaseButton(bit); }).Idle(1);
    }
    GuiDriver& Expect(std::array<Number, 6> view, const char* what) {
        return gui().Do([view, what](HeadlessPlatform&) {
            const std::array<Number, 6> now{ViewTarget(0), ViewTarget(1), ViewTarget(2), ViewTarget(3), ViewDistance,
                                            GetPropNum("ls_objSELECT")};
            EXPECT_EQ(now, view) << what;
        });
    }
    std::string scroll_;
};

TEST_F(ViewInputTest, ClicksSelectWhatTheViewShowsWheelAndDragsMoveTheCamera) {
    gui().Idle(2);
    // Four wheel steps toward the user, a quarter farther each: the whole yard shows.
    for (int i = 0; i < 4; ++i) gui().MoveToPoint(500, 300).Do([](HeadlessPlatform& p) { p.TurnWheel(-1); }).Idle(1);
    gui().Do([](HeadlessPlatform&) {
        EXPECT_EQ(ViewDistance, 29.296875);
        // The tower stands before the far wall; the pool's water fills its rim.
        const std::pair<std::array<int, 2>, Number> seen[] = {
            {{357, 55}, 6}, {{290, 160}, 9}, {{650, 200}, 5}, {{720, 310}, 10}, {{500, 500}, 0}, {{700, 40}, -1}};
        for (const auto& [at, object] : seen) EXPECT_EQ(PickObjectAt(at[0], at[1]), object) << at[0] << "," << at[1];
    });
    // A click on the tower selects its row, and the list scrolls just far enough to show it.
    gui().MoveToPoint(357, 55).Press().Release().Idle(1);
    Expect({0, 0, 0, 0, 29.296875, 6}, "the tower");
    Record("ls_objSCROLL", scroll_);
    gui().MoveToPoint(700, 40).Press().Release().Idle(1);   // the sky: nothing there
    gui().MoveToPoint(100, 560).Press().Release().Idle(1);  // the empty panel is not the view
    Expect({0, 0, 0, 0, 29.296875, 6}, "nothing under the pointer keeps the tower");

    // Right: 60 pixels across turn by 30 degrees, 10 down take the camera 1 % farther per
    // pixel; the target stays.
    Drag(kMouseRight, 500, 300, 60, 0);
    Expect({0, 0, 0, 30, 29.296875, 6}, "turned");
    Drag(kMouseRight, 500, 300, 0, 10);
    gui().Do([](HeadlessPlatform&) { EXPECT_NEAR(ViewDistance, 32.3620, 1e-4); });
    // Drags begun on the panel and the wheel over it leave the camera alone.
    Drag(kMouseRight, 100, 300, 300, 50);
    gui().MoveToPoint(100, 300).Do([](HeadlessPlatform& p) { p.TurnWheel(1); }).Idle(1);
    gui().Do([](HeadlessPlatform&) {
        EXPECT_EQ(ViewTarget(3), 30);
        EXPECT_NEAR(ViewDistance, 32.3620, 1e-4);
        ViewDistance = 12, ViewTarget(3) = 0;
    });
    // Middle: the target moves against the pointer, so the scene follows it.
    Drag(kMouseMiddle, 500, 300, 100, 0);
    gui().Do([](HeadlessPlatform&) {
        EXPECT_NEAR(ViewTarget(0), -1.6417, 1e-4);
        EXPECT_EQ(ViewTarget(1) + ViewTarget(2), 0);
    });
    gui().MoveToPoint(500, 500).Press().Release().Idle(1);
    gui().Do([](HeadlessPlatform&) {
        EXPECT_EQ(GetPropNum("ls_objSELECT"), 0) << "the ground";
        EXPECT_EQ(GetPropNum("ls_objSCROLL"), 0);
    });
    RunEditor();
    EXPECT_EQ(scroll_, "3") << "rows 3 to 6 of four shown";
}

TEST(ViewCamera, OrbitZoomAndPanAmounts) {
    ViewTarget.Dim(4);
    ScreenH = 600;
    ViewDistance = 12;
    const std::pair<void (*)(), std::array<Number, 2>> steps[] = {   // angle, distance after
        {[] { OrbitView(10, 0); }, {5, 12}},    {[] { OrbitView(-90, 0); }, {-40, 12}},
        {[] { ZoomView(1); }, {-40, 9.6}},      {[] { ZoomView(-1); }, {-40, 12}},
        {[] { OrbitView(0, -500); }, {-40, 1}}, {[] { ZoomView(1); }, {-40, 1}},
    };
    for (const auto& [move, after] : steps) {
        move();
        EXPECT_NEAR(ViewTarget(3), after[0], 1e-9);
        EXPECT_NEAR(ViewDistance, after[1], 1e-9);
    }
    // At distance 12 the target is 15.62 from the eye, where a pixel spans 0.016417 (field
    // of view 35 over 600 pixels). Down moves along the view's up: up and away from the eye.
    ViewDistance = 12;
    ViewTarget(3) = 0;
    PanView(0, 100);
    EXPECT_NEAR(ViewTarget(1), 1.26119, 1e-5);
    EXPECT_NEAR(ViewTarget(2), -1.05099, 1e-5);
    ViewTarget(3) = 90;
    PanView(-100, 0);
    EXPECT_NEAR(ViewTarget(2), -1.05099 + 1.64170, 1e-5);
}

}  // namespace
