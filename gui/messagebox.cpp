// Message box: the toolkit's one ready-made dialog.
//
// Dependencies: gui/dialog, gui/proptable, gui/widgets, runtime/frame.
#include "gui/messagebox.h"

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"   // Required for: GetScreenSize, FlipScreen

Number MessageBox(const StrValue& text, Number yesNo) {
    Number sw = 0;
    Number sh = 0;
    GetScreenSize(sw, sh);
    DialogInit((sw - 148) * 0.5, sh * 0.25, 148, 150);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "!?");
    // Static text 100 pixels wide; its height follows from word wrapping.
    NewWidget("", text, 100, 0);
    AddSpacer(10000, 5);
    if (yesNo != 0) {
        AddButton("bt_yes", "Yes", 0, 0);
        AddButton("bt_no", "No", 0, 0);
    } else {
        AddButton("bt_yes", "OK", 0, 0);
    }
    DialogRefresh(0, 0, 0, 0);
    // Unlike the editor's dialogs, the box flips every frame without waiting for input.
    for (;;) {
        DialogShow(0);
        FlipScreen();
        if (GetPropNum("bt_yesCLICKED") != 0) {
            DialogClose();
            return 1;
        }
        if (GetPropNum("bt_noCLICKED") != 0) {
            DialogClose();
            return 0;
        }
    }
}
