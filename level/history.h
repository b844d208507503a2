// The undo history of the level: snapshots before each change, and the changes undone.
//
// The history holds at most kUndoSteps steps and at most kUndoBytes bytes of snapshots
// (shared blocks counted once, redo steps and the current level included); beyond
// either bound the oldest steps are dropped. A step that changed nothing the designer
// edits is no step.
//
// Dependencies: level/snapshot.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "level/snapshot.h"

constexpr size_t kUndoSteps = 500;
constexpr size_t kUndoBytes = size_t(64) << 20;

class LevelHistory {
public:
    explicit LevelHistory(size_t maxSteps = kUndoSteps, size_t maxBytes = kUndoBytes);

    // Forgets every step; the level as it is now is where undoing stops.
    void Reset();
    // Ends a step: when the level differs from the last recorded state, that state can
    // be undone to, and whatever was undone before can no longer be redone. Returns
    // true when it was a step.
    bool Record();
    // Takes the level as it is now without making a step, for changes that are no step
    // of their own (the reload after a test run).
    void Rebase();
    // A change not yet recorded is recorded first; then the level goes one step back
    // or forward. False when there is no such step.
    bool Undo();
    bool Redo();

    size_t UndoCount() const { return undo_.size(); }
    size_t RedoCount() const { return redo_.size(); }
    size_t Bytes() const;

private:
    void Trim();

    size_t maxSteps_, maxBytes_;
    std::deque<LevelSnapshot> undo_;
    std::vector<LevelSnapshot> redo_;
    LevelSnapshot current_;
};
