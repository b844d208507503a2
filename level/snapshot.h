// Level snapshots: the whole level in memory (every array, MediaRoot, the media lists
// and the path capacity) kept aside and put back exactly, for undo and redo.
//
// A snapshot keeps each number array in blocks of a few kilobytes. A snapshot taken
// against an earlier one shares every block that did not change, so a history of
// small edits to a large level costs little more than the edited blocks.
//
// Dependencies: level (the arrays), levelfile (animation files), gfx2d (sprite slots),
// gfx3d (model slots).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/frame/strvalue.h"   // Required for: Number

// A number array of the level as its shape and its shared blocks.
struct ArrayCopy {
    std::array<int32_t, 8> dims{};
    std::vector<std::shared_ptr<const std::vector<Number>>> blocks;
};

struct LevelSnapshot {
    std::string mediaRoot;
    int pathCapacity = 0;
    std::shared_ptr<const std::vector<std::string>> models, textures;
    std::vector<ArrayCopy> arrays;   // in the order of the level's array table
};

// The level as it is now; blocks equal to those of `base` (when given) are shared.
LevelSnapshot TakeLevelSnapshot(const LevelSnapshot* base = nullptr);

// Puts the level back exactly as it was taken. Only the model and sprite slots whose
// file differs from what the level named before are loaded again. A model whose frame
// ranges change gets its animation file written, as the animation dialog writes it.
void RestoreLevelSnapshot(const LevelSnapshot& snapshot);

// True when the two differ in nothing the designer edits: working values of test play,
// ObjState and the positions of objects that follow a path (the preview moves them)
// are not compared.
bool SameStoredLevel(const LevelSnapshot& a, const LevelSnapshot& b);

// The bytes a snapshot holds, with each block it shares counted in equal parts among
// the snapshots that share it: the sum over all snapshots is the bytes they hold together.
double SnapshotBytes(const LevelSnapshot& snapshot);
