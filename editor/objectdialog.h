// Object properties dialog: model, texture, alpha, behaviour and path of one placed
// object, in a movable dialog above the main panel.
//
// Dependencies: level/level (ObjProps and the lists it offers), gui (dialog, widgets),
// runtime/frame (FlipScreen, WaitForInput).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// Runs the dialog for object o until OK or Cancel; only OK writes the object's record.
// A model selection that names no model keeps the object's model. Returns 0.
Number ObjectDialog(Number o);
