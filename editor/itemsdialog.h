// Special items dialog: the level's pick-ups (extra life, energy, shield, checkpoint,
// weapon ammunition) beside the dimmed level view, and a properties dialog for an
// item's kind and value. SpecialItemsDialog itself is declared with the other dialogs
// in editor/dialogs.h.
//
// Dependencies: level/level (SpecialItems, WeaponTable), editor/view, gui, runtime
// (frame, numbers, 3D drawing).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Kind numbers run from 0 to kSpecialKinds - 1; weapon kind w is item kind
// kWeaponItemKind + w.
constexpr int kSpecialKinds = 2000;
constexpr int kWeaponItemKind = 1000;

// What an item's value means for its kind: "live +", "energy +", "shield (ms)",
// "checkpt multi(1/0)=", "weapon " + w + " amo=" for each weapon kind w of the level;
// empty for a kind number that names none.
StrValue SpecialKindText(Number kind);

// The list line of item i: its number in two characters, the kind text, the value.
StrValue SpecialItemLine(Number i);

// Appends an item at the origin of kind 0 (a life) and value 1.
void AddSpecialItem();
// Deletes item i: the last item takes its place.
void DeleteSpecialItem(Number i);

// The properties dialog for item i until OK or Cancel; only OK writes the kind and
// the value. Returns 0.
Number SpecialItemPropertiesDialog(Number i);
