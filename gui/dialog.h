// Dialog window: stacked dialogs, each drawn and driven once per frame by its owner's loop.
//
// A dialog is the content of the property table (proptable.h): its geometry, title,
// flags and widgets. Opening a dialog parks the current table on the dialog stack;
// the dialogs below stay visible, dimmed and inert until the top one closes.
//
// Calling contract of a dialog: DialogInit; set "TEXT", "MOVABLE", "SCALABLE"; add
// widgets (widgets.h); then loop { DialogShow(0); FlipScreen(); WaitForInput(); read
// events by key } until an exit button's "CLICKED" is non-zero; take the results;
// DialogClose.
//
// Dependencies: gui/proptable, gui/widgets, runtime/frame (viewport, input),
// runtime/gfx2d (drawing, font size).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// Opens a new dialog on top of the current one at (x, y) with the given outer width and
// body height.
void DialogInit(Number x, Number y, Number width, Number height);
// Empties the current dialog but keeps its geometry; stores the default colours.
void DialogReset();
// Closes the current dialog and brings back the one below it, refreshed. Does nothing
// when no dialog was opened with DialogInit.
void DialogClose();
// Sets the geometry when width and height are both > 0, then recomputes every widget's
// content-dependent size without hovering or clicking anything.
void DialogRefresh(Number x, Number y, Number width, Number height);
// One frame of drawing and input. topOnly 0 draws every dialog of the stack (the lower
// ones dimmed), any other value only the current one. Escape pressed over a dialog with
// a "bt_cancel" button reads as a click on it. Returns the larger of the content
// height and "HEIGHT".
Number DialogShow(Number topOnly);

// The screen rectangle of the visible part of a widget's cell as the current dialog's
// last DialogShow laid it out; false when the widget was not drawn there. Test drivers
// and overlays use it to find widgets by id.
bool GetWidgetCell(const StrValue& id, Number& x, Number& y, Number& w, Number& h);
// Number of DialogShow calls so far; drivers pace scripted input by it.
Number DialogFrameCount();
