// Test play: the game loop on the level arrays in memory, its third-person camera and
// its head-up display.
//
// PlayLevel runs until E ends it (only when started from the editor) or the last life
// is lost, then returns. It changes the level arrays in place (actors move, enemies
// are deleted, items are used up); the caller restores them if it wants them back.
//
// Dependencies: game/gamerun, game/movement, game/rules, game/path, game/drawlevel,
// level/level, runtime/gfx3d (scene), runtime/gfx2d (sprites, text), runtime/frame.
#pragma once

#include <vector>   // Required for: std::vector

#include "game/contact.h"             // Required for: ContactScene
#include "game/gamerun.h"             // Required for: GameRun
#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Fixed media of the game: the sky box model and picture, the first weapon's picture.
constexpr int kSkyModel = 101;
constexpr int kSkySprite = 101;
constexpr int kWeaponSpriteBase = 1000;

// Plays the level; with fromEditor not 0, E (scan code 18) ends the run. Returns 0.
// A level without a player returns at once.
Number PlayLevel(Number fromEditor);

// The run being played, or null outside PlayLevel: for tests and tools that watch a
// run from the frame poll.
const GameRun* CurrentGameRun();

// Loads the game's fixed media from MediaRoot: shadow and sky models and pictures,
// the item pictures and the first weapon's picture.
void LoadGameMediaFiles();

// Starts a run as PlayLevel does (game media, font 0, 20 frames per second) and
// returns its fresh state. PlayLevel is BeginPlay, then PlayFrame until it answers 0.
GameRun BeginPlay();

// One whole frame: E (with fromEditor not 0), sky, light, UpdateGame, scene, time
// step, HUD and FlipScreen. Returns 0 when the run has ended (nothing drawn then).
Number PlayFrame(GameRun& run, Number fromEditor);

// The game logic of one frame, without drawing: animation phase, path followers,
// contact damage, firing, shots, items, platforms and ground, the player's movement,
// the camera keys and the camera. Stops early when the run ends.
void UpdateGame(GameRun& run);

// The best camera placement a probe found.
struct CameraCandidate {
    Number yaw = 0, pitch = 0, distance = 0;
    Number error = 100000;
};

// Moves the camera a step toward a placement that keeps the player in sight.
void UpdateGameCamera(GameRun& run);

// Casts the line of sight from the player along (yaw, pitch) against every object that
// is not too transparent; takes it as the candidate when it comes closer to the goal.
void ProbeCamera(const GameRun& run, Number yaw, Number pitch, CameraCandidate& candidate);
// The same on a scene already taken (the camera probes many directions per frame).
void ProbeCamera(const GameRun& run, const ContactScene& scene, Number yaw, Number pitch,
                 CameraCandidate& candidate);

// The eye point of the camera: the player's head point plus distance along its direction.
void CameraEye(const GameRun& run, Number& x, Number& y, Number& z);

// The HUD's text lines at y = 0, 20, 60 and 80.
std::vector<StrValue> HudLines(const GameRun& run);
// The line at the bottom that tells the keys in the first seconds of a run ("" after);
// E ends only a run started from the editor.
StrValue KeyHintLine(const GameRun& run, Number fromEditor);
