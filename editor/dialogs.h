// The property dialogs of actors, animations, weapons, paths and special items, as the
// main panel opens them. Each runs its own loop above the panel until OK or Cancel and
// writes the level arrays only on OK.
//
// Dependencies: level/level (the arrays they edit), gui (dialogs).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// The list of actors with their edit dialog. Returns 0.
Number ActorListDialog();
// The animation slots of a model (its frame ranges). Returns 0.
Number AnimationDialog(Number model);
// The weapon kinds. Returns 0.
Number WeaponsDialog();
// The path editor. Returns 0.
Number PathDialog();
// The special items. Returns 0.
Number SpecialItemsDialog();

// Shared by the list dialogs that keep the level in view: draws the perspective view
// into the right two thirds of the screen, dimmed, and leaves its camera set so that
// the selected thing can be drawn over it. Returns 0.
Number DrawDimmedLevelView();
// 1 during the first half of every second of the clock, when the selection shows.
Number BlinkShown();
// The list's selection when it names one of count records, else -1 (a selection left
// over from a longer list names none).
Number SelectedRecord(const StrValue& list, Number count);
