// Undo and redo in the main panel, on the level's history.
//
// Dependencies: level/history, runtime/frame (KeyState).
#include "editor/undo.h"

#include "level/history.h"
#include "runtime/frame/input.h"   // Required for: KeyState

namespace {

struct UndoState {
    LevelHistory history;
    bool chordHeld = false;   // a chord acts once per press of its letter
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
    UndoState& u = Undo();
    const bool ctrl = KeyState(kKeyLControl) != 0 || KeyState(kKeyRControl) != 0;
    const bool shift = KeyState(kKeyLShift) != 0 || KeyState(kKeyRShift) != 0;
    const bool z = KeyState(kKeyZ) != 0;
    const bool y = KeyState(kKeyY) != 0;
    const bool chord = ctrl && (z || y);
    if (!chord || u.chordHeld) {
        u.chordHeld = chord;
        return false;
    }
    u.chordHeld = true;
    return z && !shift ? u.history.Undo() : u.history.Redo();
}
