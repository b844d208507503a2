// Message box: a short text in a small movable dialog with "OK" or "Yes" and "No".
//
// Dependencies: gui/dialog, gui/widgets, runtime/frame (screen size, FlipScreen).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// Shows the text on top of the open dialogs until a button is clicked. yesNo 0 gives
// one "OK" button; any other value "Yes" and "No". Returns 1 for "OK" or "Yes", 0 for
// "No".
Number MessageBox(const StrValue& text, Number yesNo);
