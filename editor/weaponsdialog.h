// Weapons dialog: the level's weapon kinds, and "Weapon properties" with the gravity,
// speed and angle of a kind's shot as sliders from 0 to 1. WeaponsDialog itself is
// declared with the other dialogs in editor/dialogs.h.
//
// Dependencies: level/level (WeaponTable), gui, runtime (frame, sprites).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// The sprite that pictures the shot of weapon kind w is kWeaponSpriteBase + w.
constexpr int kWeaponSpriteBase = 1000;

// Appends a weapon kind: gravity 1.0, speed 0.5, angle 0.5.
void AddWeaponKind();
// Removes the last weapon kind; nothing when there is none.
void DeleteLastWeaponKind();
// The "Weapon properties" dialog for kind w until OK or Cancel; only OK writes the
// kind. Returns 0.
Number WeaponPropertiesDialog(Number w);
