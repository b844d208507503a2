// Undo and redo in the main panel, on the level's history.
//
// Dependencies: level/history, runtime/frame (ModifierHeld, KeyHit).
#include "editor/undo.h"

#include "level/history.h"
#include "runtime/frame/input.h"   // Required for: ModifierHeld, KeyHit

namespace {

struct UndoState {
    LevelHistory history;
};

UndoState& Undo() {
    static UndoState state;
    return state;
}

}  // namespace

void StartUndoHistory() { Undo().history.Reset(); }

void RecordUndoStep() { Undo().history.Record(); }

void KeepLevelAfterTestRun() { Undo().history.Rebase(); }

bool HandleUndoKeys() {
    // A press of the letter counts once, even when the editor saw no frame between two
    // quick chords; the chord's keys are read as they are, since chords type nothing.
    const bool ctrl = ModifierHeld(kKeyLControl) || ModifierHeld(kKeyRControl);
    const bool shift = ModifierHeld(kKeyLShift) || ModifierHeld(kKeyRShift);
    const bool z = KeyHit(kKeyZ) != 0;
    const bool y = KeyHit(kKeyY) != 0;
    if (!ctrl || (!z && !y)) return false;
    LevelHistory& history = Undo().history;
    return z && !shift ? history.Undo() : history.Redo();
}
