// Special items dialog and its properties dialog.
//
// Dependencies: level/level, editor/dialogs, editor/view, gui, runtime (frame, 3D
// drawing).
#include "editor/itemsdialog.h"

#include <algorithm>   // Required for: std::min
#include <cmath>       // Required for: std::trunc

#include "editor/dialogs.h"
#include "editor/editor.h"           // Required for: kGuiFont
#include "level/level.h"
#include "editor/view.h"             // Required for: PositionDialog
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"     // Required for: FlipScreen
#include "runtime/frame/input.h"     // Required for: WaitForInput
#include "runtime/gfx2d/draw2d.h"    // Required for: SetFont
#include "runtime/gfx3d/engine.h"    // Required for: DrawDot3D

namespace {

constexpr int kListWidth = 200;
constexpr int kItemListHeight = 60;
constexpr int kKindListHeight = 200;
constexpr Number kBlinkDotSize = 15;
constexpr Number kBlinkDotColour = 8445183;

void BuildItemList() {
    const Number sel = GetPropNum("ls_specSELECT");
    DialogReset();
    SetFont(kGuiFont);
    NewWidget("", "Special Items", 0, 0);
    EndGroup();
    AddButton("bt_cam", "Camera", 0, 0);
    EndGroup();
    AddList("ls_spec", "", kListWidth, kItemListHeight);
    const int items = static_cast<int>(SpecialCount());
    std::string lines;
    for (int i = 0; i < items; ++i) AppendItem(lines, SpecialItemLine(i).View());
    AddItems("ls_spec", StrValue(lines));
    SetPropNum("ls_specSELECT", std::min(static_cast<Number>(items - 1), sel));
    EndGroup();
    AddButton("bt_add", "Add", 0, 0);
    AddButton("bt_del", "Del", 0, 0);
    AddButton("bt_pos", "Pos", 0, 0);
    AddButton("bt_edit", "Edit", 0, 0);
    EndGroup();
    AddButton("bt_ok", "OK", 0, 0);
}

// Handles the events after OK in their fixed order; true when the list must be rebuilt.
bool HandleItemEvent(DimArray<Number>& scratch) {
    if (Clicked("bt_cam")) PositionDialog(-1, scratch);
    if (Clicked("bt_add")) {
        AddSpecialItem();
        return true;
    }
    const Number found = SelectedRecord("ls_spec", SpecialCount());
    if (found < 0) return false;
    const int i = static_cast<int>(found);
    if (Clicked("bt_del")) {
        DeleteSpecialItem(i);
        return true;
    }
    if (Clicked("bt_pos")) {
        scratch.Redim(4);
        for (int c = 0; c < 3; ++c) scratch(c) = SpecialItems(i, c);
        if (PositionDialog(-1, scratch) != 0) {
            for (int c = 0; c < 3; ++c) SpecialItems(i, c) = scratch(c);
        }
        return true;
    }
    if (Clicked("bt_edit")) {
        SpecialItemPropertiesDialog(i);
        return true;
    }
    return false;
}

// The selected item's dot in the first half of each second; a list click in that half
// also brings it into view. The scratch position follows the item, so the camera
// dialog marks it.
void DrawBlinkingItem(DimArray<Number>& scratch) {
    const Number s = SelectedRecord("ls_spec", SpecialCount());
    if (s < 0 || BlinkShown() == 0) return;
    const Number x = SpecialItems(s, 0), y = SpecialItems(s, 1), z = SpecialItems(s, 2);
    scratch(0) = x;
    scratch(1) = y;
    scratch(2) = z;
    DrawDot3D(x, y, z, kBlinkDotSize, kBlinkDotColour);
    if (Clicked("ls_spec")) {
        ViewTarget(0) = x;
        ViewTarget(1) = y;
        ViewTarget(2) = z;
    }
}

// The kind number of the n-th kind with a text (counting from 0), or -1.
Number ListedKind(Number n) {
    Number seen = 0;
    for (int kind = 0; kind < kSpecialKinds; ++kind) {
        if (SpecialKindText(kind).Length() == 0) continue;
        if (seen == n) return kind;
        seen += 1;
    }
    return -1;
}

}  // namespace

StrValue SpecialKindText(Number kind) {
    if (kind == 0) return "live +";
    if (kind == 1) return "energy +";
    if (kind == 2) return "shield (ms)";
    if (kind == 3) return "checkpt multi(1/0)=";
    const Number w = kind - kWeaponItemKind;
    if (w >= 0 && w == std::trunc(w) && w < WeaponCount() && kind < kSpecialKinds) {
        return "weapon "_s + NumberToText(w) + " amo=";
    }
    return "";
}

StrValue SpecialItemLine(Number i) {
    return FormatNumber(2, 0, i) + SpecialKindText(SpecialItems(i, 3)) + NumberToText(SpecialItems(i, 4));
}

void AddSpecialItem() {
    const int n = static_cast<int>(SpecialCount());
    SpecialItems.Redim(n + 1, kSpecialColumns);
    SpecialItems(n, 3) = 0;
    SpecialItems(n, 4) = 1;
}

void DeleteSpecialItem(Number item) {
    const int last = static_cast<int>(SpecialCount()) - 1;
    if (!(item >= 0 && item <= last)) return;
    const int i = static_cast<int>(item);
    for (int c = 0; c < kSpecialColumns; ++c) SpecialItems(i, c) = SpecialItems(last, c);
    SpecialItems.Redim(last, kSpecialColumns);
}

Number SpecialItemPropertiesDialog(Number item) {
    if (!(item >= 0 && item < SpecialCount())) return 0;
    const int i = static_cast<int>(item);
    DialogInit(100, 100, 300, 300);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "Special Item properties");
    SetFont(kGuiFont);
    AddList("ls_typ", "", kListWidth, kKindListHeight);
    Number listed = 0;
    Number current = 0;
    for (int kind = 0; kind < kSpecialKinds; ++kind) {
        const StrValue text = SpecialKindText(kind);
        if (text.Length() == 0) continue;
        if (kind == SpecialItems(i, 3)) current = listed;
        AddItem("ls_typ", text + "?", -1);
        listed += 1;
    }
    SetPropNum("ls_typSELECT", current);
    AddSpacer(10000, 0);
    NewWidget("", "Value:", 0, 0);
    AddText("tx_val", NumberToText(SpecialItems(i, 4)), 100, 0);
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    for (;;) {
        DialogShow(0);
        if (Clicked("bt_ok")) {
            const Number kind = ListedKind(std::trunc(GetPropNum("ls_typSELECT")));
            if (kind >= 0) SpecialItems(i, 3) = kind;
            SpecialItems(i, 4) = TextToNumber(GetProp("tx_valTEXT"));
            break;
        }
        if (Clicked("bt_cancel")) break;
        FlipScreen();
        WaitForInput();
    }
    DialogClose();
    return 0;
}

Number SpecialItemsDialog() {
    DimArray<Number> scratch;
    scratch.Dim(4);
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    BuildItemList();
    for (;;) {
        SetFont(kGuiFont);
        DialogShow(0);
        DrawDimmedLevelView();
        DrawBlinkingItem(scratch);
        if (Clicked("bt_ok")) {
            DialogClose();
            return 0;
        }
        if (HandleItemEvent(scratch)) BuildItemList();
        FlipScreen();
        WaitForInput();
    }
}
