// Weapons dialog and "Weapon properties".
//
// Dependencies: level/level, editor/dialogs, gui, runtime (frame, sprites).
#include "editor/weaponsdialog.h"

#include "editor/dialogs.h"
#include "editor/editor.h"           // Required for: kGuiFont
#include "level/level.h"
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"     // Required for: FlipScreen
#include "runtime/frame/input.h"     // Required for: WaitForInput
#include "runtime/gfx2d/draw2d.h"    // Required for: SetFont
#include "runtime/gfx2d/sprites.h"   // Required for: DrawSprite

namespace {

constexpr int kListWidth = 200;
constexpr int kListHeight = 60;

void BuildWeaponList() {
    DialogReset();
    SetFont(kGuiFont);
    NewWidget("", "Weapons", 0, 0);
    EndGroup();
    AddList("ls_weapon", "", kListWidth, kListHeight);
    const int kinds = static_cast<int>(WeaponCount());
    std::string items;
    for (int w = 0; w < kinds; ++w) AppendItem(items, NumberToText(w + 1).View());
    AddItems("ls_weapon", StrValue(items));
    SetProp("ls_weaponSELECT", "-1");
    EndGroup();
    AddButton("bt_add", "Add", 0, 0);
    AddButton("bt_del", "Del Last", 0, 0);
    AddButton("bt_edit", "Edit", 0, 0);
    EndGroup();
    AddButton("bt_ok", "OK", 0, 0);
    EndGroup();
}

void AddSliderRow(const char* label, const char* id, Number value) {
    NewWidget("", label, 0, 0);
    AddSlider(id, 0, 0);
    SetPropNum(StrValue(id) + "TEXT", value);
    EndRow();
}

}  // namespace

void AddWeaponKind() {
    const int n = static_cast<int>(WeaponCount());
    WeaponTable.Redim(n + 1, kWeaponColumns);
    WeaponTable(n, 0) = 1.0;
    WeaponTable(n, 1) = 0.5;
    WeaponTable(n, 2) = 0.5;
}

void DeleteLastWeaponKind() {
    const int n = static_cast<int>(WeaponCount());
    if (n > 0) WeaponTable.Redim(n - 1, kWeaponColumns);
}

Number WeaponPropertiesDialog(Number w) {
    if (!(w >= 0 && w < WeaponCount())) return 0;
    const int row = static_cast<int>(w);
    DialogInit(100, 30, 300, 200);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "Weapon properties");
    SetFont(kGuiFont);
    AddSliderRow("Grav:  ", "sl_grav", WeaponTable(row, 0));
    AddSliderRow("Speed: ", "sl_speed", WeaponTable(row, 1));
    AddSliderRow("Angle: ", "sl_angle", WeaponTable(row, 2));
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    EndRow();
    for (;;) {
        DialogShow(0);
        if (Clicked("bt_cancel")) break;
        if (Clicked("bt_ok")) {
            WeaponTable(row, 0) = GetPropNum("sl_gravTEXT");
            WeaponTable(row, 1) = GetPropNum("sl_speedTEXT");
            WeaponTable(row, 2) = GetPropNum("sl_angleTEXT");
            break;
        }
        FlipScreen();
        WaitForInput();
    }
    DialogClose();
    return 0;
}

Number WeaponsDialog() {
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    BuildWeaponList();
    Number sel = -1;
    for (;;) {
        SetFont(kGuiFont);
        DialogShow(0);
        if (sel >= 0) DrawSprite(kWeaponSpriteBase + sel, ScreenW / 2, ScreenH / 2);
        if (Clicked("bt_ok")) {
            DialogClose();
            return 0;
        }
        if (Clicked("ls_weapon")) sel = SelectedRecord("ls_weapon", WeaponCount());
        if (Clicked("bt_add")) {
            AddWeaponKind();
            BuildWeaponList();
            sel = -1;
        } else if (Clicked("bt_del")) {
            DeleteLastWeaponKind();
            BuildWeaponList();
            sel = -1;
        } else if (Clicked("bt_edit") && sel >= 0) {
            WeaponPropertiesDialog(sel);
        }
        FlipScreen();
        WaitForInput();
    }
}
