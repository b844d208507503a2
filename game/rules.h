// Rules of the level's other inhabitants: contact damage from enemies and Toxic ground,
// lives, energy and protection, the special items, and the player's shots.
//
// Nothing a level holds ends the program here: a level without weapon kinds fires
// nothing, an ammunition item for a kind that does not exist is used up without
// effect, and the actor list may shrink while shots hit.
//
// Dependencies: game/gamerun, game/contact, level/level, runtime/frame.
#pragma once

#include <vector>   // Required for: std::vector

#include "game/gamerun.h"             // Required for: GameRun, Shot
#include "runtime/frame/strvalue.h"   // Required for: Number

// Item kinds (ammunition for weapon kind k is kAmmoKinds + k).
constexpr Number kItemUsed = -1;
constexpr Number kItemExtraLife = 0;
constexpr Number kItemEnergy = 1;
constexpr Number kItemShield = 2;
constexpr Number kItemCheckpoint = 3;
constexpr Number kAmmoKinds = 1000;
constexpr Number kLastAmmoKind = 1100;

// Damage of Toxic ground (always costs a life) and of an enemy touch.
constexpr Number kToxicDamage = 1000;
constexpr Number kEnemyDamage = 10;
// Shots live this long (seconds).
constexpr Number kShotLifetime = 4;

// 1000 when the actor's box touches a Toxic object, else 10 when an enemy stands within
// 2 units of the actor's centre, else 0.
Number ContactDamage(Number actor);

// Applies the player's contact damage: energy, protection, lives, the respawn at the
// checkpoint; marks the run ended when a life is lost with none left.
void ApplyContactDamage(GameRun& run);

// The first item (in index order, used ones included) within 1.5 units of the actor's
// position, or -1.
Number TouchedSpecial(Number actor);

// The item the player touches, if any, takes effect and is used up (a reusable
// checkpoint stays).
void TakeTouchedItem(GameRun& run);

// Appends a shot of weapon kind `kind` leaving the actor's feet along its facing.
void FireShot(Number actor, Number kind, std::vector<Shot>& shots);

// While Space is held, one shot of weapon kind 0 per frame as long as there is
// ammunition for it.
void FireWeapon(GameRun& run);

// Moves every shot along its arc; a shot that reaches an enemy deletes it and goes,
// and a shot older than 4 s goes.
void UpdateShots(std::vector<Shot>& shots);

// Removes shot i: the last shot takes its place.
void RemoveShot(Number i, std::vector<Shot>& shots);

// Removes actor a: the last actor's rows take its place. Nothing for a number that
// names no actor.
void DeleteActor(Number a);
