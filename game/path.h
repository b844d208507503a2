// Path motion: level objects and actors that follow a closed path of the level at a
// fixed speed on one clock.
//
// Every follower is placed from the same time value, so all followers move in step
// whenever the game or the editor's preview started. The game passes its elapsed
// seconds every frame; the editor passes its PreviewTime.
//
// A follower whose path names nothing (deleted, never made) or has no points stays
// where it is; a path without two distinct points holds its followers at its first
// point.
//
// Dependencies: level/level (the level arrays), runtime/frame (numbers).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// World units per second along every path.
constexpr Number kPathSpeed = 8;

// The common animation phase (0 to 1) that the game loop advances every frame;
// path-walking actors take it. Starts at 0 and keeps its value between runs.
extern Number animPhase;

// The length of path p as a closed loop (last point back to the first); 0 for a
// path with fewer than two distinct points or a number that names no path.
Number PathLength(Number p);

// The number of points of path p that can be read: PathLen limited to the path
// capacity; 0 for a number that names no path.
Number PathPointCount(Number p);

// The point of path p reached after t seconds. Returns 1 and writes x, y, z; returns
// 0 and leaves them untouched when p names no path or the path has no points.
Number PathPosition(Number p, Number t, Number& x, Number& y, Number& z);

// Places every path-following actor from actor 1 on at time t: position, displacement
// (ActorState), facing along the step, and the walk animation at animPhase.
void MoveActorsOnPaths(Number t);

// Places every path-following object at time t and records its step in ObjState;
// its angle does not change.
void MoveObjectsOnPaths(Number t);
