// Level data: the global level arrays and the record operations on them.
//
// Dependencies: frame, files (FileExists), gfx2d (LoadSprite), gfx3d (LoadObject),
// levelfile (LoadModelAnims).
#include "level/level.h"

#include <algorithm>   // Required for: std::max, std::min

#include "level/levelfile.h"        // Required for: LoadModelAnims
#include "runtime/files/files.h"     // Required for: FileExists
#include "runtime/gfx2d/sprites.h"   // Required for: LoadSprite
#include "runtime/gfx3d/engine.h"    // Required for: LoadObject
#include "runtime/gfx3d/lumenor3d.h"  // Required for: kModelSlots

StrValue MediaRoot;
DimArray<StrValue> ModelFiles;
DimArray<StrValue> TextureFiles;
DimArray<Number> ModelAnims;
DimArray<Number> ObjPos;
DimArray<Number> ObjProps;
DimArray<Number> ObjState;
DimArray<Number> PathLen;
DimArray<Number> PathPoints;
DimArray<Number> ActorProps;
DimArray<Number> ActorPos;
DimArray<Number> ActorState;
DimArray<Number> SpecialItems;
DimArray<Number> WeaponTable;

namespace {
DimArray<Number> StartViewTarget() {
    DimArray<Number> target;
    target.Dim(4);
    return target;
}

struct LevelState {
    // The level's path capacity while it has no paths to carry it.
    int pathCapacity = kMinPathCapacity;
};
LevelState level;

int Rows(const DimArray<Number>& a) { return static_cast<int>(a.Extent(0)); }
int Rows(const DimArray<StrValue>& a) { return static_cast<int>(a.Extent(0)); }

// Rows present in all three object arrays.
int ObjectRows() { return std::min({Rows(ObjPos), Rows(ObjProps), Rows(ObjState)}); }

void MoveObject(int from, int to) {
    for (int k = 0; k < kObjPosColumns; ++k) ObjPos(to, k) = ObjPos(from, k);
    for (int k = 0; k < kObjPropsColumns; ++k) ObjProps(to, k) = ObjProps(from, k);
    for (int k = 0; k < kObjStateColumns; ++k) ObjState(to, k) = ObjState(from, k);
}

void ResizeObjects(int rows) {
    ObjPos.Redim(rows, kObjPosColumns);
    ObjProps.Redim(rows, kObjPropsColumns);
    ObjState.Redim(rows, kObjStateColumns);
}

int ActorRows() { return std::min({Rows(ActorProps), Rows(ActorPos), Rows(ActorState)}); }

void CopyRow(DimArray<Number>& a, int columns, int from, int to) {
    for (int k = 0; k < columns; ++k) a(to, k) = a(from, k);
}

void ResizeActors(int rows) {
    if (rows == ActorRows()) return;
    ActorProps.Redim(rows, kActorPropsColumns);
    ActorPos.Redim(rows, kActorPosColumns);
    ActorState.Redim(rows, kActorStateColumns);
}

// A record number from the caller; -1 when it names no record of count rows.
int RecordIndex(Number n, int count) {
    if (!(n >= 0) || n >= count) return -1;
    return static_cast<int>(n);
}
}  // namespace

DimArray<Number> ViewTarget = StartViewTarget();
Number ViewDistance = 12;
Number PreviewTime = 0;
Number ScreenW = 800;
Number ScreenH = 600;

void ResetLevelArrays() {
    ModelFiles.Dim(0);
    TextureFiles.Dim(0);
    ObjPos.Dim(0);
    ObjProps.Dim(0);
    ObjState.Dim(0);
    PathLen.Dim(0);
    PathPoints.Dim(0);
    ActorProps.Dim(0);
    ActorPos.Dim(0);
    ActorState.Dim(0);
    SpecialItems.Dim(0);
    WeaponTable.Dim(0);
    ModelAnims.Dim(1, kMinAnimSlots, 2);
    level.pathCapacity = kMinPathCapacity;
}

Number ModelCount() { return ModelFiles.Extent(0); }
Number TextureCount() { return TextureFiles.Extent(0); }
Number ObjectCount() { return ObjPos.Extent(0); }
Number PathCount() { return PathPoints.Extent(0); }
Number ActorCount() { return ActorProps.Extent(0); }
Number SpecialCount() { return SpecialItems.Extent(0); }
Number WeaponCount() { return WeaponTable.Extent(0); }
Number AnimSlotCount() { return ModelAnims.Extent(1); }

Number PathCapacity() {
    if (Rows(PathPoints) > 0) level.pathCapacity = static_cast<int>(PathPoints.Extent(1));
    return level.pathCapacity;
}

void SetPathCapacity(Number capacity) {
    const int cap = capacity >= kMinPathCapacity && capacity < 2147483647.0
                        ? static_cast<int>(capacity)
                        : kMinPathCapacity;
    level.pathCapacity = cap;
    if (Rows(PathPoints) > 0 && PathPoints.Extent(1) != cap) PathPoints.Redim(Rows(PathPoints), cap, 3);
}

void AddModel(const StrValue& name) {
    const StrValue path = MediaRoot + name;
    if (FileExists(path) == 0) return;
    const int n = Rows(ModelFiles);
    ModelFiles.Redim(n + 1);
    ModelFiles(n) = name;
    LoadObject(path, n);
    LoadModelAnims(n, path);
}

void DeleteModel(Number model) {
    const int last = Rows(ModelFiles) - 1;
    const int m = RecordIndex(model, last + 1);
    if (m < 0) return;
    ModelFiles(m) = ModelFiles(last);
    if (last > 0) ModelFiles.Redim(last);
    else ModelFiles.Dim(0);

    // Deleting an object moves the last one into its place; the arrays shrink once at
    // the end rather than once per deleted object.
    int objects = ObjectRows();
    for (int o = 0; o < objects;) {
        const Number objModel = ObjProps(o, 0);
        if (objModel == m) {
            MoveObject(--objects, o);
            continue;
        }
        if (objModel >= last) ObjProps(o, 0) = m;
        ++o;
    }
    ResizeObjects(objects);

    // Enemies of the deleted model go with its objects; the player stays. Actors of the
    // moved model follow it, so no actor is left on a model that is gone or changed.
    int actors = ActorRows();
    for (int a = 0; a < actors;) {
        const Number actorModel = ActorProps(a, 0);
        if (actorModel == m && a > 0) {
            --actors;
            CopyRow(ActorProps, kActorPropsColumns, actors, a);
            CopyRow(ActorPos, kActorPosColumns, actors, a);
            CopyRow(ActorState, kActorStateColumns, actors, a);
            continue;
        }
        if (actorModel == last) ActorProps(a, 0) = m;
        ++a;
    }
    ResizeActors(actors);

    // ModelAnims keeps at least one row, as after loading a level without models.
    const int rows = Rows(ModelAnims);
    const int slots = static_cast<int>(ModelAnims.Extent(1));
    if (last < rows && m < rows) {
        for (int k = 0; k < slots; ++k) {
            ModelAnims(m, k, 0) = ModelAnims(last, k, 0);
            ModelAnims(m, k, 1) = ModelAnims(last, k, 1);
        }
    }
    if (rows > 1) ModelAnims.Redim(rows - 1, slots, 2);
    if (last == 0 && Rows(ModelAnims) > 0) {
        for (int k = 0; k < slots; ++k) ModelAnims(0, k, 0) = ModelAnims(0, k, 1) = 0;
    }

    for (int j = 0; j < std::min(last, kModelSlots); ++j) LoadObject(MediaRoot + ModelFiles(j), j);
}

void AddTexture(const StrValue& name) {
    const StrValue path = MediaRoot + name;
    if (FileExists(path) == 0) return;
    const int n = Rows(TextureFiles);
    TextureFiles.Redim(n + 1);
    TextureFiles(n) = name;
    LoadSprite(path, n);
}

void DeleteTexture(Number texture) {
    const int last = Rows(TextureFiles) - 1;
    const int t = RecordIndex(texture, last + 1);
    if (t < 0) return;
    TextureFiles(t) = TextureFiles(last);
    if (last > 0) TextureFiles.Redim(last);
    else TextureFiles.Dim(0);

    for (int o = 0; o < Rows(ObjProps); ++o) {
        if (ObjProps(o, 1) == t) ObjProps(o, 1) = -1;
        if (ObjProps(o, 1) == last) ObjProps(o, 1) = t;
    }
    for (int a = 0; a < Rows(ActorProps); ++a) {
        if (ActorProps(a, 1) == t) ActorProps(a, 1) = -1;
        if (ActorProps(a, 1) == last) ActorProps(a, 1) = t;
    }

    for (int j = 0; j < std::min(last, kSpriteSlotCount); ++j) LoadSprite(MediaRoot + TextureFiles(j), j);
}

void AddObject(Number model, Number texture, Number alpha, Number behaviour, Number path,
               Number x, Number y, Number z, Number angle) {
    const int n = Rows(ObjPos);
    ObjPos.Redim(n + 1, kObjPosColumns);
    ObjProps.Redim(n + 1, kObjPropsColumns);
    ObjState.Redim(n + 1, kObjStateColumns);
    ObjPos(n, 0) = x;
    ObjPos(n, 1) = y;
    ObjPos(n, 2) = z;
    ObjPos(n, 3) = angle;
    ObjProps(n, 0) = model;
    ObjProps(n, 1) = texture;
    ObjProps(n, 2) = alpha;
    ObjProps(n, 3) = behaviour;
    ObjProps(n, 4) = path;
    for (int k = 0; k < kObjStateColumns; ++k) ObjState(n, k) = 0;
}

namespace {
UseCount CountUses(int column, Number n) {
    // Objects hold model, texture, path in columns 0, 1, 4; actors in 0, 1, 5.
    const int actorColumn = column == 4 ? 5 : column;
    UseCount uses;
    for (int o = 0; o < Rows(ObjProps); ++o) uses.objects += ObjProps(o, column) == n;
    for (int a = 0; a < Rows(ActorProps); ++a) uses.actors += ActorProps(a, actorColumn) == n;
    return uses;
}
}  // namespace

UseCount ModelUses(Number m) { return CountUses(0, m); }
UseCount TextureUses(Number t) { return CountUses(1, t); }
UseCount PathUses(Number p) { return CountUses(4, p); }

void DeleteObject(Number object) {
    const int last = ObjectRows() - 1;
    const int o = RecordIndex(object, last + 1);
    if (o < 0) return;
    MoveObject(last, o);
    ResizeObjects(last);
}
