// Internal to gui/: the per-kind handlers and drawers behind HandleWidget and DrawWidget,
// and small helpers the toolkit's files share. Not for use outside gui/.
//
// Dependencies: gui/proptable, runtime/gfx2d (font size).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// The current font's character cell, read afresh for every use (never below 1 pixel).
struct FontCell {
    Number fx;
    Number fy;
};
FontCell CurrentFontCell();

// The colour pair of a widget face: the hover pair or the normal one.
struct ColourPair {
    Number bright;
    Number norm;
};
ColourPair WidgetColours(bool hover);

// While set, widget handlers only recompute sizes: DialogRefresh must not let a focused
// text field take keys that belong to the frame loop.
void SetSizingPass(bool on);
bool InSizingPass();

// Creates the widget's base rows and returns the id it was stored under (the generated
// one for an empty id).
StrValue CreateWidget(const StrValue& id, const StrValue& text, Number width, Number height);

// Handlers (pointer relative to the cell, click value k) and drawers of the kinds of
// textwidgets.cpp.
void HandleTextField(const StrValue& id, Number mx, Number my, Number k, Number b2);
void HandleList(const StrValue& id, Number mx, Number my, Number k, Number b2);
void HandleFileWidget(const StrValue& id, Number mx, Number my, Number k, Number b2);
void DrawTextField(const StrValue& id);
void DrawList(const StrValue& id);
void DrawFileWidget(const StrValue& id);
