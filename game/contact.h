// Contact: box and ray tests of the game against the level's placed objects.
//
// Each object is placed as for drawing (its position, turned by its angle about the
// y axis) and frame 0 of its model is tested through the engine's CollisionBox and
// CollisionRay. A cheap bound around the object's turned model comes first, so a test
// far from an object never places it; the answers are those of the engine alone.
//
// Dependencies: editor/level (the object arrays), runtime/gfx3d (engine, models).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// The actor's collision box: an upright box of square base around the actor's feet.
constexpr Number kActorBoxWidth = 1.5;
constexpr Number kActorBoxHeight = 3.5;

// Rows of the object arrays that all exist (a broken invariant never reads past one).
int ObjectRows();

// 1 when frame 0 of object o's model touches the actor box centred at (x, y, z).
Number BoxTouchesObject(int o, Number x, Number y, Number z);

// The engine's answer for a ray from (x, y, z) along the unit vector (dx, dy, dz)
// against object o; rays that cannot meet the object within maxReach answer 0.
Number RayAgainstObject(int o, Number x, Number y, Number z, Number dx, Number dy, Number dz, Number maxReach);
