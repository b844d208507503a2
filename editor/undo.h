// Undo and redo in the main panel: Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo.
//
// One step is one panel event that changed the level: New or Delete of a model, texture
// or object, a dialog closed with OK that changed anything, "Pos". A test run and a save
// are no steps and keep the history. Bounds: see level/history.h.
//
// Dependencies: level/history, runtime/frame (KeyState).
#pragma once

// Starts an empty history at the level as it is now (after the level was loaded).
void StartUndoHistory();
// Ends the panel event just handled: a step when it changed the level.
void RecordUndoStep();
// Takes the level as the test run's reload left it, without a step.
void KeepLevelAfterTestRun();
// Reads the undo and redo keys; true when the level went back or forward (the panel
// must then be rebuilt).
bool HandleUndoKeys();
