// Text fields, lists, the file widget, TextBlock and the item edits.
#include <string>
#include <vector>

#include "gui_fixture.h"

namespace {

constexpr int kRight = 205;
constexpr int kLeft = 203;
constexpr int kBack = 14;
constexpr int kShift = 42;

}  // namespace

class TextFieldTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        DialogInit(0, 0, 300, 200);
        AddText("tx_name", "", 100, 0);
        AddText("tx_other", "other", 100, 0);
        DialogRefresh(0, 0, 0, 0);
        gui().Step();
    }
    void Focus(const char* text, Number selStart, Number selEnd) {
        SetProp("tx_nameTEXT", text);
        SetPropNum("tx_nameSELSTART", selStart);
        SetPropNum("tx_nameSELEND", selEnd);
        SetProp("FOCUS", "tx_name");
    }
    std::string Text() { return GetProp("tx_nameTEXT").Std(); }
};

TEST_F(TextFieldTest, EditingKeysWorkAroundTheCaretAndReplaceTheSelection) {
    // '\b' is backspace, '\x7f' delete, anything else is typed.
    const struct {
        const char* text;
        int selStart, selEnd;
        const char* keys;
        const char* after;
        int caret;
    } cases[] = {{"abc", 0, 0, "\b\x7f", "bc", 0},     {"abc", 3, 3, "\b\x7f", "ab", 2},
                 {"ab", 1, 1, "X", "aXb", 2},             {"abcdefg", 2, 5, "x", "abxfg", 3},
                 {"abcdefg", 5, 2, "\b", "abfg", 2}};
    for (const auto& c : cases) {
        Focus(c.text, c.selStart, c.selEnd);
        for (const char* k = c.keys; *k; ++k) {
            if (*k == '\b') gui().Key(kBack);
            else if (*k == '\x7f') gui().Key(211);
            else gui().Type(std::string(1, *k));
        }
        gui().Run();
        EXPECT_EQ(Text(), c.after) << c.text << " " << c.keys;
        EXPECT_EQ(GetPropNum("tx_nameSELSTART") * 100 + GetPropNum("tx_nameSELEND"), c.caret * 101) << c.after;
    }
}

TEST_F(TextFieldTest, ShiftWithArrowsMovesOnlyTheSelectionEnd) {
    Focus("abcdef", 0, 0);
    gui().PressKey(kShift).Key(kLeft).Run();
    EXPECT_EQ(GetPropNum("tx_nameSELEND"), 0) << "Shift+Left at 0 stays at 0";
    gui().Key(kRight).Key(kRight).ReleaseKey(kShift).Run();
    EXPECT_EQ(GetPropNum("tx_nameSELSTART"), 0);
    EXPECT_EQ(GetPropNum("tx_nameSELEND"), 2);
    gui().Type("Z").Run();
    EXPECT_EQ(Text(), "Zcdef");
}

TEST_F(TextFieldTest, ClickGivesFocusAndOnlyTheFocusedFieldTakesKeys) {
    gui().Click("tx_name").Type("ab").Run();
    EXPECT_EQ(GetProp("FOCUS").Std(), "tx_name");
    gui().MoveTo("tx_other").Type("z").Key(kBack).Key(kBack).Run();
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(GetProp("tx_otherTEXT").Std(), "other");
}

// --- Lists ---------------------------------------------------------------------------------

class ListTest : public GuiTest {};

TEST_F(ListTest, ClickAfterScrollingSelectsTheLineUnderThePointer) {
    DialogInit(0, 0, 300, 200);
    AddList("ls_obj", "o0|o1|o2|o3|o4|o5|o6|o7|o8|o9", 100, 4 * kFy);
    EXPECT_EQ(GetPropNum("ls_objHEIGHT") * 100 + GetPropNum("ls_objCOUNT"), (4 * kFy + 4) * 100 + 10);
    gui().Step();
    EXPECT_EQ(GetPropNum("ls_objSCROLLMAX"), 6);
    gui().ScrollDown("ls_obj", 3).Run();
    EXPECT_EQ(GetPropNum("ls_objSCROLL"), 3);
    EXPECT_EQ(GetPropNum("ls_objCLICKED"), 0) << "the scroll arrows select nothing";
    gui().ClickOffset("ls_obj", 10, 4).Run();
    EXPECT_EQ(GetPropNum("ls_objSELECT"), 3);
    EXPECT_EQ(GetPropNum("ls_objCLICKED"), 1);
    gui().Idle(1).Run();
    EXPECT_EQ(GetPropNum("ls_objCLICKED"), 0);
    gui().ScrollDown("ls_obj", 5).Run();
    EXPECT_EQ(GetPropNum("ls_objSCROLL"), 6) << "scrolling stops at the maximum";
}

TEST_F(ListTest, WheelScrollsTheListUnderThePointerAndARebuildKeepsTheSelectionShown) {
    const auto build = [] {
        AddList("ls_obj", "o0|o1|o2|o3|o4|o5|o6|o7|o8|o9", 100, 4 * kFy);
        AddList("ls_tex", "t0|t1|t2|t3|t4|t5", 100, 4 * kFy);
    };
    const auto wheel = [this](const char* id, int steps) {
        gui().MoveTo(id).Do([steps](HeadlessPlatform& p) { p.TurnWheel(steps); }).Idle(1).Run();
        return GetProp("ls_objSCROLL").Std() + " " + GetProp("ls_texSCROLL").Std();
    };
    DialogInit(0, 0, 300, 200);
    build();
    gui().Step();
    EXPECT_EQ(wheel("ls_obj", -1), "3 0") << "a step down shows three lines further";
    EXPECT_EQ(wheel("ls_obj", -2), "6 0") << "and stops at the last line";
    EXPECT_EQ(wheel("ls_obj", 1), "3 0");
    EXPECT_EQ(wheel("ls_tex", -1), "3 2");
    // Selected and scrolled away, then built again: the selection shows.
    SetProp("ls_objSELECT", "9");
    SetProp("ls_objSCROLL", "0");
    const std::vector<ListView> views = RememberListViews();
    DialogReset();
    build();
    RestoreListViews(views);
    EXPECT_EQ(GetProp("ls_objSELECT").Std() + " " + GetProp("ls_objSCROLL").Std() + " " + GetProp("ls_texSCROLL").Std(),
              "9 6 2");
    SetProp("ls_objSELECT", "1");
    ScrollToSelection("ls_obj");
    EXPECT_EQ(GetPropNum("ls_objSCROLL"), 1);
}

TEST_F(ListTest, ClickBelowTheLastItemClearsTheSelection) {
    DialogInit(0, 0, 300, 200);
    AddList("ls_path", "first|second", 0, 0);
    EXPECT_EQ(GetPropNum("ls_pathWIDTH"), 9 * kFx);
    gui().Step();
    gui().ClickOffset("ls_path", 10, 4).Run();
    EXPECT_EQ(GetPropNum("ls_pathSELECT"), 0);
    gui().ClickOffset("ls_path", 10, 2 * kFy + 4).Run();   // the line just below the last
    EXPECT_EQ(GetPropNum("ls_pathSELECT"), -1);
    EXPECT_EQ(GetPropNum("ls_pathCLICKED"), 1);
}

TEST_F(ListTest, AddItemAndDeleteItemRebuildTheItemsAndKeepTheSelection) {
    DialogInit(0, 0, 300, 200);
    AddList("ls_a", "a|b", 0, 0);
    SetProp("ls_aSELECT", "1");
    AddItem("ls_a", "c", -1);
    EXPECT_EQ(GetPropNum("ls_aSELECT"), 1);
    AddItem("ls_a", "", 0);
    AddItem("ls_a", "z|9", 99);
    AddItem("ls_a", "m", 2);
    EXPECT_EQ(GetProp("ls_aTEXT").Std(), "<null>|a|m|b|c|z!9") << "an item with | stays one item";
    DeleteItem("ls_a", -1);
    EXPECT_EQ(GetPropNum("ls_aSELECT"), -1) << "no item left to be selected";
    AddItems("ls_a", "p|q");
    AddItems("ls_a", "r");
    EXPECT_EQ(GetProp("ls_aTEXT").Std() + " " + GetProp("ls_aCOUNT").Std(), "p|q|r 3");
    AddRadio("ra_kind", "x|y", 0);
    AddItem("ra_kind", "w", -1);
    EXPECT_EQ(GetPropNum("ra_kindHEIGHT"), 3 * kFy) << "AddItem refreshes the sizes";
}
