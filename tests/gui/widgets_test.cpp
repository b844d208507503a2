// Buttons, check boxes, radio groups, sliders and the row layout, driven frame by frame.
#include <array>

#include "gui_fixture.h"

class WidgetTest : public GuiTest {
protected:
    // An OK button in a dialog, drawn once, with the pointer over it.
    void PointAtOkButton() {
        DialogInit(100, 100, 200, 100);
        AddButton("bt_ok", "OK", 0, 0);
        gui().Step();
        gui().MoveTo("bt_ok").Run();
    }
    std::array<Number, 2> Place(const char* id) {
        const Cell c = CellOf(id);
        return {c.x, c.y};
    }
};
using XY = std::array<Number, 2>;

TEST_F(WidgetTest, ButtonClicksOnlyInTheFrameOfTheRelease) {
    PointAtOkButton();
    EXPECT_EQ(GetPropNum("bt_okHOVER"), 1);
    gui().Press().Run();
    EXPECT_EQ(GetPropNum("bt_okCLICKED"), 0) << "the press frame is no click";
    gui().Release().Run();
    EXPECT_EQ(GetPropNum("bt_okCLICKED"), 1);
    gui().Idle(1).Run();
    EXPECT_EQ(GetPropNum("bt_okCLICKED"), 0) << "a click lasts one frame";
    gui().MoveTo("bt_ok").Press().MoveToPoint(20, 20).Release().Run();
    EXPECT_EQ(GetPropNum("bt_okCLICKED") + GetPropNum("bt_okHOVER"), 0) << "released outside";
}

TEST_F(WidgetTest, CheckBoxTogglesOncePerReleaseInsideIt) {
    DialogInit(100, 100, 200, 100);
    AddCheckbox("cb_loop", "Loop", 0, 0);
    EXPECT_EQ(GetPropNum("cb_loopWIDTH"), 7 * kFx);
    gui().Step();
    gui().MoveTo("cb_loop").Press().Idle(3).Run();
    EXPECT_EQ(GetPropNum("cb_loopCHECKED"), 0) << "holding the button does not toggle";
    gui().Release().Idle(2).Run();
    EXPECT_EQ(GetPropNum("cb_loopCHECKED"), 1);
    gui().Click("cb_loop").Run();
    EXPECT_EQ(GetPropNum("cb_loopCHECKED"), 0);
}

TEST_F(WidgetTest, RadioGroupIsOneLinePerItemAndReportsAChangeForOneFrame) {
    DialogInit(100, 100, 200, 100);
    AddRadio("ra_behave", "Land|Water|Toxic", 0);
    EXPECT_EQ(GetPropNum("ra_behaveHEIGHT"), 3 * kFy);
    EXPECT_EQ(GetPropNum("ra_behaveWIDTH"), 8 * kFx);
    EXPECT_EQ(GetPropNum("ra_behaveSELECT"), 0) << "the first item until something is chosen";
    gui().Step();

    gui().MoveTo("ra_behave", 0.5, 1.5 / 3).Press().Release().Run();
    EXPECT_EQ(GetProp("ra_behaveSELECT") + GetProp("ra_behaveCLICKED") + GetProp("ra_behaveHOVER"), "111");
    gui().Idle(1).Run();
    EXPECT_EQ(GetPropNum("ra_behaveCLICKED"), 0);

    gui().Press().Release().Run();
    EXPECT_EQ(GetPropNum("ra_behaveCLICKED"), 0) << "the selected row again changes nothing";
    EXPECT_EQ(GetPropNum("ra_behaveSELECT"), 1);
}

TEST_F(WidgetTest, SliderValueFollowsThePointerWithTwoDecimalsAndStopsAtTheEnds) {
    DialogInit(100, 100, 200, 100);
    AddSlider("sl_grav", 0, 0);
    EXPECT_EQ(GetPropNum("sl_gravWIDTH") * 1000 + GetPropNum("sl_gravHEIGHT"), 100016);
    EXPECT_EQ(GetProp("sl_gravTEXT").Std(), "0");
    gui().Step();

    gui().MoveToOffset("sl_grav", 50, 8).Press().Run();
    EXPECT_EQ(GetPropNum("sl_gravCLICKED"), -1) << "a slider reports the press too";
    for (const auto& [offset, text] : {std::pair{50, "0.49"}, {1, "0.00"}, {99, "1.00"}}) {
        gui().MoveToOffset("sl_grav", offset, 8).Run();
        EXPECT_EQ(GetProp("sl_gravTEXT").Std(), text) << offset;
    }
    gui().MoveToOffset("sl_grav", 50, 8).Release().Run();
    EXPECT_EQ(GetPropNum("sl_gravCLICKED"), 1);
    // Moving without the button leaves the value.
    gui().MoveToOffset("sl_grav", 90, 8).Run();
    EXPECT_EQ(GetProp("sl_gravTEXT").Std(), "0.49");
}

// --- Row layout --------------------------------------------------------------------------

TEST_F(WidgetTest, WidgetsFlowInRowsAndWrapWhenTheRowIsFullOrASpacerEndsIt) {
    // Content width 250 - 5 - 1.5 * fx: two 100-pixel widgets fit in a row, not three.
    DialogInit(0, 0, 250, 200);
    for (int i = 0; i < 5; ++i) AddButton("bt_"_s + i, "X", 100, 20);
    AddSpacer(10000, 0);   // ends the row without adding height
    AddButton("bt_b", "B", 0, 0);
    gui().Step();
    EXPECT_EQ(Place("bt_0"), (XY{5, 5}));
    EXPECT_EQ(Place("bt_1"), (XY{107, 5}));
    EXPECT_EQ(Place("bt_2"), (XY{5, 27}));
    EXPECT_EQ(Place("bt_4"), (XY{5, 49}));
    EXPECT_EQ(Place("bt_b"), (XY{5, 49 + 20 + 2 + 2}));
}
