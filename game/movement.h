// Player movement: steering, gravity, jumping, swimming, standing on and riding
// objects, and the collision response that keeps the player (actor 0) out of Land.
//
// The game frame calls UpdateGround (platforms and ground) and then MovePlayer; both
// work on the level arrays and the run's per-frame values with its frameFactor.
// Only Land objects block; Water objects make the player swim.
//
// Dependencies: game/gamerun, game/contact, game/path (MoveObjectsOnPaths),
// level/level, runtime/frame (numbers, elapsed time, joystick rumble).
#pragma once

#include "game/gamerun.h"             // Required for: GameRun
#include "runtime/frame/strvalue.h"   // Required for: Number

// Steps of the lift search, and the fastest fall per frameFactor.
constexpr Number kLiftStep = 0.05;
constexpr Number kMaxFallSpeed = 15;
constexpr Number kJumpSpeed = 14;
// The upward speed of a swimmer whose head leaves the water while rising.
constexpr Number kWaterHopSpeed = 9.8;

// 1 when the actor's box, moved by (dx, dy, dz), touches a Land object, else 0.
Number CollideActor(Number actor, Number dx, Number dy, Number dz);

// 1 when a Water object's surface lies straight above the point, else 0.
Number PointInWater(Number x, Number y, Number z);

// The first object that follows a path and lies just under the actor (within 0.2 above
// and 0.25 below its feet, seen from any corner of its box), or -1.
Number PlatformUnder(Number actor);

// The player's lift search up to `limit`, in steps of 0.05: 1 with the lift found,
// 0 when the box stays blocked up to the limit or the limit is below one step.
Number FindLift(Number limit, Number& lift);

// Platforms and ground: finds the platform under the player, moves the path-following
// objects to time t (seconds), then sets onGround and carries the player by its
// platform's step.
void UpdateGround(GameRun& run, Number t);

// The player's own movement for one frame: water, steering, velocity, facing, ledge
// slide, blink, animation state, jump, vertical velocity, the horizontal move with
// step-up, falling and rising.
void MovePlayer(GameRun& run);
