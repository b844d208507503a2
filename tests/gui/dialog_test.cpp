// The dialog window: dragging, scaling, scrolling its content, and stacked dialogs.
#include "gui_fixture.h"

using DialogTest = GuiTest;

TEST_F(DialogTest, TitleBarDragMovesTheDialogAndStopsAtTheScreenEdge) {
    DialogInit(50, 100, 200, 100);
    SetProp("MOVABLE", "1");
    gui().Step();
    gui().DragTitle(30, 20).Run();
    EXPECT_EQ(GetPropNum("XPOS") * 1000 + GetPropNum("YPOS"), 80120);
    EXPECT_EQ(GetPropNum("MOVING"), 0) << "the drag ends with the button";
    gui().DragTitle(-300, -10).Run();
    EXPECT_EQ(GetPropNum("XPOS") * 1000 + GetPropNum("YPOS"), 110);
}

TEST_F(DialogTest, SizeGripScalesTheDialogAndNeverBelowZero) {
    DialogInit(100, 100, 200, 100);
    SetProp("SCALABLE", "1");
    gui().Step();
    // The grip is the square of side fy + 4 in the body's lower right corner.
    gui().DragFromTo(295, 195, 325, 215).Run();
    EXPECT_EQ(GetPropNum("WIDTH") * 1000 + GetPropNum("HEIGHT"), 230120);
    gui().DragFromTo(325, 215, 0, 0).Run();
    EXPECT_EQ(GetPropNum("WIDTH") + GetPropNum("HEIGHT"), 0);
}

TEST_F(DialogTest, ContentTallerThanTheBodyScrollsByTwoLinesPerStep) {
    DialogInit(0, 0, 200, 100);   // twelve rows of one button each
    for (int i = 0; i < 12; ++i) AddButton("bt_"_s + i, "Row", 0, 0), AddSpacer(10000, 0);
    gui().Step();
    EXPECT_EQ(GetPropNum("SCROLLMAX"), 0) << "known only from the previous frame's content";
    const Number firstY = CellOf("bt_5").y;
    gui().Step();
    // Rows 16 pixels apart from y = 5; the last spacer row ends at 195, + 2 = 197, which
    // is 102 pixels more than the 95-pixel area: 7 steps of two lines reach the end.
    EXPECT_EQ(GetPropNum("REALHEIGHT"), 197);
    EXPECT_EQ(GetPropNum("SCROLLMAX"), 7);

    gui().ScrollDown("", 1).Run();
    EXPECT_EQ(GetPropNum("SCROLL"), 1);
    EXPECT_EQ(CellOf("bt_5").y, firstY - 2 * kFy);
    Number x, y, w, h;
    EXPECT_FALSE(GetWidgetCell("bt_0", x, y, w, h)) << "scrolled above the area: not drawn";
    EXPECT_EQ(DialogShow(0), 197);
}

TEST_F(DialogTest, WidgetCutOffAtTheBottomTakesNoClickOutsideItsVisiblePart) {
    // Rows at 5, 21 and 37; the body ends at 40, so bt_c shows 3 of its 12 pixels.
    DialogInit(0, 0, 200, 40);
    for (const char* id : {"bt_a", "bt_b", "bt_c"}) AddButton(id, "A", 0, 0), AddSpacer(10000, 0);
    gui().Step();
    ASSERT_EQ(CellOf("bt_c").y, 37);
    ASSERT_EQ(CellOf("bt_c").h, 3);
    gui().MoveToPoint(10, 45).Press().Release().Run();
    EXPECT_EQ(GetPropNum("bt_cCLICKED"), 0) << "below the dialog, where bt_c is not drawn";
    gui().MoveToPoint(10, 38).Press().Release().Run();
    EXPECT_EQ(GetPropNum("bt_cCLICKED"), 1);
}

TEST_F(DialogTest, LowerDialogIgnoresThePointerAndClosingTheTopRefreshesIt) {
    DialogInit(0, 0, 300, 200);
    AddCheckbox("cb_low", "Low", 0, 0);
    AddButton("bt_open", "Open", 0, 0);
    gui().Step();
    const auto low = CellOf("cb_low");
    gui().Click("bt_open").Run();
    ASSERT_EQ(GetPropNum("bt_openCLICKED"), 1);
    DialogInit(400, 300, 200, 100);
    AddButton("bt_top", "Top", 0, 0);
    gui().Step();
    gui().MoveToPoint(low.x + 5, low.y + 5).Press().Release().Run();
    gui().Click("bt_top").Run();
    EXPECT_EQ(GetPropNum("bt_topCLICKED"), 1);
    DialogClose();
    EXPECT_EQ(GetPropNum("cb_lowCHECKED"), 0);
    EXPECT_EQ(GetPropNum("bt_openCLICKED"), 0) << "the click that opened the top dialog is over";
}
