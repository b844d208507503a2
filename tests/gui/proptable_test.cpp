// The property table, its stack and the dialog lifecycle around them.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gui_fixture.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows Snapshot() {
    Rows rows;
    DimArray<StrValue>& t = PropertyTable();
    for (int i = 0; i < PropertyRowCount(); ++i) rows.emplace_back(t(i, 0).Std(), t(i, 1).Std());
    return rows;
}

}  // namespace

using PropertyTableTest = GuiTest;

TEST_F(PropertyTableTest, GetItemPicksTheIndexedItemAndNothingOutsideTheList) {
    SetProp("ls_animTEXT", "stand|walk|jump");
    SetProp("ls_runsTEXT", "|a||b|");
    // A negative index names no item; it must not fault the program.
    for (const auto& [id, n, item] : {std::tuple{"ls_anim", 0, "stand"}, {"ls_anim", 1, "walk"}, {"ls_anim", 3, ""},
                                      {"ls_anim", -1, ""}, {"ls_none", 0, ""}, {"ls_runs", 1, "b"}, {"ls_runs", 2, ""}})
        EXPECT_EQ(GetItem(id, n).Std(), item) << id << " " << n;
}

TEST_F(PropertyTableTest, DialogResetKeepsOnlyGeometryAndDefaultColours) {
    DialogInit(10, 20, 300, 200);
    AddButton("bt_ok", "OK", 0, 0);
    SetProp("TEXT", "Title");
    DialogReset();
    ASSERT_EQ(Snapshot().size(), 8u);
    for (const auto& [key, value] : {std::pair{"COL_BRIGHT", 16773360}, {"COL_NORM", 9470080},
                                     {"COL_HOVER_BRIGHT", 16769168}, {"COL_HOVER_NORM", 16744496}, {"XPOS", 10},
                                     {"YPOS", 20}, {"WIDTH", 300}, {"HEIGHT", 200}, {"COUNT", 0}})
        EXPECT_EQ(GetPropNum(key), value) << key;
}

TEST_F(PropertyTableTest, StackedDialogsBringBackTheTableBelowUnchanged) {
    DialogInit(0, 0, 400, 300);
    AddButton("bt_a", "A", 0, 0);
    AddList("ls_a", "one|two", 0, 0);
    SetProp("ls_aSELECT", "1");
    DialogRefresh(0, 0, 0, 0);
    const Rows bottom = Snapshot();

    // A bigger table on top, then a smaller one above it: the stack pads rows.
    DialogInit(50, 50, 200, 100);
    for (int i = 0; i < 20; ++i) AddButton("bt_"_s + i, "B", 0, 0);
    DialogRefresh(0, 0, 0, 0);
    const Rows middle = Snapshot();
    DialogInit(60, 60, 100, 80);
    AddButton("bt_c", "C", 0, 0);
    EXPECT_EQ(DialogStackDepth(), 3);

    DialogClose();
    EXPECT_EQ(Snapshot(), middle);
    DialogClose();
    EXPECT_EQ(Snapshot(), bottom);
    EXPECT_EQ(DialogStackDepth(), 1);
}
