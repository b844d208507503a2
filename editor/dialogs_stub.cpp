// Placeholders for the property dialogs of editor/dialogs.h until they are written:
// each says so in a message box, so the panel's buttons answer.
//
// Dependencies: gui/messagebox.
#include "editor/dialogs.h"

#include "gui/messagebox.h"

namespace {

Number NotYet() {
    MessageBox("Needs to be implemented, yet!", 0);
    return 0;
}

}  // namespace

Number ActorListDialog() { return NotYet(); }
Number AnimationDialog(Number) { return NotYet(); }
Number WeaponsDialog() { return NotYet(); }
Number PathDialog() { return NotYet(); }
Number SpecialItemsDialog() { return NotYet(); }
