// Game run state: what one test run keeps beside the level arrays (lives, energy,
// protection, respawn point, ammunition, live shots, camera, the frame's time step and
// the player's contact flags), the time step rule and the game's controls.
//
// A GameRun lives for one call of PlayLevel; every run starts from the values of
// StartGameRun. Actor 0 of the level arrays is the player.
//
// Dependencies: level/level (the player's position, the weapon kinds),
// runtime/frame (elapsed time, KeyState).
#pragma once

#include <array>    // Required for: std::array
#include <vector>   // Required for: std::vector

#include "runtime/frame/strvalue.h"   // Required for: Number

// Actor behaviours and object behaviours of the level arrays.
constexpr Number kBehaviourLand = 0;
constexpr Number kBehaviourWater = 1;
constexpr Number kBehaviourToxic = 2;
constexpr Number kBehaviourEnemy = 1;

// The player's gravity at the start of every frame.
constexpr Number kGravity = 9.81;
// A fresh start and every hit protect the player for this long (ms).
constexpr Number kProtectionMs = 4000;
// How long a fresh run tells its keys.
constexpr Number kKeyHintMs = 8000;

// One live shot: where it is, where and when it left, its heading and weapon kind.
struct Shot {
    Number x = 0, y = 0, z = 0;
    Number launchX = 0, launchY = 0, launchZ = 0;
    Number heading = 0;     // degrees
    Number kind = 0;        // weapon kind
    Number launchTime = 0;  // elapsed seconds
};

struct GameRun {
    Number lives = 3;
    Number energy = 100;
    Number invulnerableUntil = 0;            // ms on the GetElapsedTime clock
    Number keysShownUntil = 0;               // the same clock: the key hint shows until then
    std::array<Number, 3> checkpoint{};      // where a lost life puts the player back
    std::vector<Number> ammo;                // shots left per weapon kind
    std::vector<Shot> shots;
    std::array<Number, 3> camera{};          // yaw, pitch, distance
    std::array<Number, 4> cameraGoal{};      // yaw, pitch, distance, swing-behind flag
    Number frameFactor = 0;
    Number onGround = 0;
    Number inWater = 0;
    Number gravity = kGravity;
    Number drag = 0;
    Number damping = 0;
    // The vertical step of the last frame in which the player moved down.
    Number lastFall = 0;
    // The player's position at the start of the frame.
    std::array<Number, 3> oldPosition{};
    // Set when the run is over (E from the editor, or the last life lost).
    bool ended = false;
};

// A fresh run: lives 3, energy 100, protected for 4 s from now, the checkpoint at the
// player's position, one empty ammunition count per weapon kind of the level.
GameRun StartGameRun();

// True while contact damage is ignored.
bool IsProtected(const GameRun& run);

// The time step of a frame that took frameTimeMs: its whole milliseconds, at most 120,
// over 700.
Number FrameFactorFor(Number frameTimeMs);

// The game's controls, read from the keyboard:
// 0 Left/Right -1/+1 (Left wins), 1 Up/Down -1/+1 (Up wins), 2 Left Ctrl (jump),
// 3 Left Shift (swing camera behind), 4 Period minus Comma (turn camera),
// 5 Right Alt (next camera distance), 6 Space (fire); 0 for any other code.
Number GameInput(Number code);

// True when the level has a player: row 0 in each of the three actor arrays.
bool LevelHasPlayer();
