// Actor dialogs: the list of actors beside the dimmed level view, one actor's edit
// dialog, and the animation slots of a model with a turning preview. ActorListDialog
// and AnimationDialog are declared with the other dialogs in editor/dialogs.h.
//
// Deleting an actor is DeleteActor of game/rules.h, which test play uses as well.
//
// Dependencies: level/level, level/levelfile (animation files), editor/view,
// game/rules (DeleteActor), gui, runtime (frame, 2D and 3D drawing).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// The names of the animation slots, in slot order, as the radio group lists them.
inline constexpr const char* kAnimSlotNames = "stand|walk|jump|swim|fall|die";
constexpr int kAnimDialogSlots = 6;
constexpr int kFallSlot = 4;

// Edits actor a's model, texture, behaviour and path until OK or Cancel; only OK
// writes the actor. A player never keeps a path. Returns 0.
Number ActorDialog(Number a);

// Appends an actor of all zeros (model 0, texture 0, Player, path 0, at the origin).
void AddActor();
