// Object properties dialog.
//
// Dependencies: level/level, gui/dialog, gui/proptable, gui/widgets, runtime/frame,
// runtime/gfx2d (font).
#include "editor/objectdialog.h"

#include <cmath>   // Required for: std::trunc

#include "level/level.h"
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"

namespace {

constexpr int kListWidth = 200;
constexpr int kListHeight = 60;

void AddNamedList(const StrValue& id, const DimArray<StrValue>& names) {
    AddList(id, "", kListWidth, kListHeight);
    std::string items;
    const int n = static_cast<int>(names.Extent(0));
    for (int i = 0; i < n; ++i) AppendItem(items, names(i).View());
    AddItems(id, StrValue(items));
    EndRow();
}

void BuildWidgets(int o) {
    AddNamedList("ls_kmo", ModelFiles);
    const Number model = std::trunc(ObjProps(o, 0));
    SetPropNum("ls_kmoSELECT", model >= 0 ? model : 0);

    NewWidget("", "Texture", 0, 0);
    AddButton("bt_notex", "None", 0, 0);
    EndRow();
    AddNamedList("ls_tex", TextureFiles);
    SetPropNum("ls_texSELECT", ObjProps(o, 1));

    NewWidget("", "Alpha", 0, 0);
    AddText("tx_alpha", NumberToText(ObjProps(o, 2)), 32, 0);
    EndRow();

    NewWidget("", "Behaviour", 0, 0);
    EndRow();
    AddRadio("ra_behave", "Land|Water|Toxic", kListWidth);
    SetPropNum("ra_behaveSELECT", ObjProps(o, 3));
    EndRow();

    NewWidget("", "Path", 0, 0);
    AddButton("bt_nopath", "None", 0, 0);
    EndRow();
    AddList("ls_path", "", kListWidth, kListHeight);
    const int paths = static_cast<int>(PathCount());
    std::string items;
    for (int p = 0; p < paths; ++p) AppendItem(items, ("Path #"_s + p).View());
    AddItems("ls_path", StrValue(items));
    SetPropNum("ls_pathSELECT", ObjProps(o, 4));
    EndRow();

    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    EndRow();
}

void StoreFields(int o) {
    // An empty click below a list's last line selects nothing; an object without a
    // model could be neither drawn nor listed, so it keeps the one it has.
    const Number model = GetPropNum("ls_kmoSELECT");
    if (model >= 0 && model < ModelCount()) ObjProps(o, 0) = std::trunc(model);
    ObjProps(o, 1) = GetPropNum("ls_texSELECT");
    ObjProps(o, 2) = TextToNumber(GetProp("tx_alphaTEXT"));
    ObjProps(o, 3) = GetPropNum("ra_behaveSELECT");
    ObjProps(o, 4) = GetPropNum("ls_pathSELECT");
}

}  // namespace

Number ObjectDialog(Number o) {
    if (!(o >= 0 && o < ObjectCount())) return 0;
    const int row = static_cast<int>(o);

    DialogInit(200, 20, 300, 450);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "Model");
    SetFont(1);   // the editor's interface font
    BuildWidgets(row);

    for (;;) {
        DialogShow(0);
        if (GetPropNum("bt_okCLICKED") != 0) break;
        if (GetPropNum("bt_cancelCLICKED") != 0) {
            DialogClose();
            return 0;
        }
        if (GetPropNum("bt_notexCLICKED") != 0) SetProp("ls_texSELECT", "-1");
        if (GetPropNum("bt_nopathCLICKED") != 0) SetProp("ls_pathSELECT", "-1");
        FlipScreen();
        WaitForInput();
    }
    StoreFields(row);
    DialogClose();
    return 0;
}
