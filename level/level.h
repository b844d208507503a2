// Level data: the level in memory as global parallel arrays, and its record operations.
//
// A record is a row: row i of every array of a kind belongs to the same object, actor,
// path, item or weapon, and its number is its row index. Model number m lives in 3D
// object slot m and texture number t in sprite slot t; -1 means no texture or no path.
// Deleting a record moves the last row into its place, so other numbers never shift
// by more than that one move. The editor, its dialogs, the level file and test play
// all work on these arrays directly.
//
// Dependencies: frame (StrValue, DimArray), files (FileExists), gfx2d (sprite slots),
// gfx3d (model slots), levelfile (model animation files).
#pragma once

#include "runtime/frame/dimarray.h"   // Required for: DimArray
#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Column counts of the record arrays.
constexpr int kObjPosColumns = 4;       // x, y, z, angle
constexpr int kObjPropsColumns = 5;     // model, texture, alpha, behaviour, path
constexpr int kObjStateColumns = 3;     // movement in the last path step
constexpr int kActorPropsColumns = 7;   // model, texture, anim state, anim phase, behaviour, path, blink
constexpr int kActorPosColumns = 5;     // x, y, z, facing, lean
constexpr int kActorStateColumns = 3;   // velocity or last path displacement
constexpr int kSpecialColumns = 5;      // x, y, z, kind, value
constexpr int kWeaponColumns = 3;       // gravity, speed, angle
constexpr int kMinPathCapacity = 8;     // a level's paths hold at least this many points
constexpr int kMinAnimSlots = 5;        // every model has at least this many animation slots

// Media.
extern StrValue MediaRoot;               // always ends with "/"
extern DimArray<StrValue> ModelFiles;    // [models], relative to MediaRoot
extern DimArray<StrValue> TextureFiles;  // [textures], relative to MediaRoot
extern DimArray<Number> ModelAnims;      // [models][slots][2]: first and last frame

// Placed objects.
extern DimArray<Number> ObjPos;    // [n][4]
extern DimArray<Number> ObjProps;  // [n][5]
extern DimArray<Number> ObjState;  // [n][3], never stored

// Paths.
extern DimArray<Number> PathLen;     // [p]
extern DimArray<Number> PathPoints;  // [p][capacity][3]

// Actors; actor 0 is the player.
extern DimArray<Number> ActorProps;  // [a][7]
extern DimArray<Number> ActorPos;    // [a][5]
extern DimArray<Number> ActorState;  // [a][3]

// Special items and weapon kinds.
extern DimArray<Number> SpecialItems;  // [s][5]
extern DimArray<Number> WeaponTable;   // [w][3]

// View state of the editor (not part of the level file).
extern DimArray<Number> ViewTarget;  // [4]: x, y, z, angle; all 0 at start
extern Number ViewDistance;          // 12 at start, never below 1
extern Number PreviewTime;           // 0 at start
extern Number ScreenW;
extern Number ScreenH;

// Empties every level array: no models, textures, objects, paths, actors, items or
// weapons; ModelAnims one model of five zero slots; path capacity back to 8.
void ResetLevelArrays();

// Record counts (the first extent of the array of that kind).
Number ModelCount();
Number TextureCount();
Number ObjectCount();
Number PathCount();
Number ActorCount();
Number SpecialCount();
Number WeaponCount();
Number AnimSlotCount();

// The point capacity of every path, the level's "maxpathpoints". It is a property of
// the level: a level without paths keeps it, which the empty PathPoints cannot.
Number PathCapacity();
// Sets the capacity (at least 8), resizing PathPoints and keeping its points.
void SetPathCapacity(Number capacity);

// Appends the model if MediaRoot + name exists, loads its slot and its animation file.
void AddModel(const StrValue& name);
// Deletes model m: its objects and its actors other than the player go, objects and
// actors of the last model take number m, slots reload. (The player keeps its number if
// it was on m: the editor does not delete the player's model.)
void DeleteModel(Number m);
// Appends the texture if MediaRoot + name exists and loads its sprite slot.
void AddTexture(const StrValue& name);
// Deletes texture t: its objects and actors get -1, those of the last texture take t.
void DeleteTexture(Number t);
// Appends an object; its ObjState row is 0.
void AddObject(Number model, Number texture, Number alpha, Number behaviour, Number path,
               Number x, Number y, Number z, Number angle);
// Deletes object o; the last object takes number o.
void DeleteObject(Number o);

// How many objects and actors use a model, a texture or a path.
struct UseCount {
    int objects = 0;
    int actors = 0;
};
UseCount ModelUses(Number m);
UseCount TextureUses(Number t);
UseCount PathUses(Number p);
