// What a model or sprite slot holds, for level tests: models are told apart by their
// triangle count and pictures by their width.
#pragma once

#include "runtime/gfx2d/sprites.h"   // Required for: GetSpriteSize
#include "runtime/gfx3d/engine.h"    // Required for: GetObjectModel
#include "runtime/gfx3d/model.h"     // Required for: MeshObject

inline int SlotTriangles(int slot) {
    const MeshObject* model = GetObjectModel(slot);
    if (!model || model->frames.empty()) return 0;
    return static_cast<int>(model->frames[0].triangles.size() / 3);
}

inline int SpriteWidth(int slot) {
    Number w = 0, h = 0;
    GetSpriteSize(slot, w, h);
    return static_cast<int>(w);
}
