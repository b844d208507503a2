// The undo history: snapshot stacks around the recorded current state.
//
// Dependencies: level/snapshot.
#include "level/history.h"

#include <utility>   // Required for: std::move

LevelHistory::LevelHistory(size_t maxSteps, size_t maxBytes) : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

void LevelHistory::Reset() {
    undo_.clear();
    redo_.clear();
    current_ = TakeLevelSnapshot();
}

bool LevelHistory::Record() {
    if (current_.arrays.empty()) current_ = TakeLevelSnapshot();
    LevelSnapshot now = TakeLevelSnapshot(&current_);
    if (SameStoredLevel(now, current_)) return false;
    undo_.push_back(std::move(current_));
    current_ = std::move(now);
    redo_.clear();
    Trim();
    return true;
}

void LevelHistory::Rebase() { current_ = TakeLevelSnapshot(&current_); }

bool LevelHistory::Undo() {
    Record();
    if (undo_.empty()) return false;
    redo_.push_back(std::move(current_));
    current_ = std::move(undo_.back());
    undo_.pop_back();
    RestoreLevelSnapshot(current_);
    return true;
}

bool LevelHistory::Redo() {
    Record();
    if (redo_.empty()) return false;
    undo_.push_back(std::move(current_));
    current_ = std::move(redo_.back());
    redo_.pop_back();
    RestoreLevelSnapshot(current_);
    return true;
}

size_t LevelHistory::Bytes() const {
    double bytes = SnapshotBytes(current_);
    for (const auto& s : undo_) bytes += SnapshotBytes(s);
    for (const auto& s : redo_) bytes += SnapshotBytes(s);
    return static_cast<size_t>(bytes + 0.5);
}

void LevelHistory::Trim() {
    while (undo_.size() > maxSteps_) undo_.pop_front();
    while (!undo_.empty() && Bytes() > maxBytes_) undo_.pop_front();
}
