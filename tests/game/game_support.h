// Game test helpers: small levels built in the test and a fixture with an empty level.
#pragma once

#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "level/level.h"
#include "game/contact.h"
#include "game/gamerun.h"
#include "game/movement.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/lumenor3d.h"
#include "runtime/gfx3d/model.h"
#include "tests/support/headless.h"

namespace game_test {

// Axis-aligned box between lo and hi as twelve triangles, into frame 0 of the slot.
inline void SetBoxModel(int slot, double x0, double y0, double z0, double x1, double y1, double z1) {
    MeshObject* model = GetObjectModel(slot);
    model->Clear();
    model->frames.resize(1);
    const double c[8][3] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0},
                            {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
    const int quads[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7}, {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
    for (const auto& q : quads) {
        for (int k : {q[0], q[1], q[2], q[0], q[2], q[3]}) {
            MeshVertex v;
            for (int a = 0; a < 3; ++a) v.position[a] = static_cast<float>(c[k][a]);
            model->frames[0].triangles.push_back(v);
        }
    }
    ComputeModelBounds(*model);
    Engine3D().ModelChanged(slot);
    ForgetModelBounds();
}

// Appends an actor (model 50, no texture) with zero working values.
inline int AddActor(double x, double y, double z, double behaviour = 0, double path = -1) {
    const int a = static_cast<int>(ActorCount());
    ActorProps.Redim(a + 1, kActorPropsColumns);
    ActorPos.Redim(a + 1, kActorPosColumns);
    ActorState.Redim(a + 1, kActorStateColumns);
    const Number props[kActorPropsColumns] = {50, -1, 0, 0, behaviour, path, 0};
    for (int k = 0; k < kActorPropsColumns; ++k) ActorProps(a, k) = props[k];
    ActorPos(a, 0) = x, ActorPos(a, 1) = y, ActorPos(a, 2) = z;
    return a;
}

inline int AddItem(double x, double y, double z, double kind, double value) {
    const int s = static_cast<int>(SpecialCount());
    SpecialItems.Redim(s + 1, kSpecialColumns);
    const Number row[kSpecialColumns] = {x, y, z, kind, value};
    for (int k = 0; k < kSpecialColumns; ++k) SpecialItems(s, k) = row[k];
    return s;
}

inline int AddWeapon(double gravity, double speed, double angle) {
    const int w = static_cast<int>(WeaponCount());
    WeaponTable.Redim(w + 1, kWeaponColumns);
    WeaponTable(w, 0) = gravity, WeaponTable(w, 1) = speed, WeaponTable(w, 2) = angle;
    return w;
}

// One path per entry, each a list of x, y, z triples.
inline void MakePaths(const std::vector<std::vector<Number>>& paths) {
    PathLen.Dim(Number(paths.size()));
    PathPoints.Dim(Number(paths.size()), kMinPathCapacity, 3);
    for (size_t p = 0; p < paths.size(); ++p) {
        PathLen(Number(p)) = Number(paths[p].size() / 3);
        for (size_t k = 0; k < paths[p].size(); ++k) PathPoints(Number(p), Number(k / 3), Number(k % 3)) = paths[p][k];
    }
}

using P3 = std::array<Number, 3>;

// The first three numbers rounded to 1e-9, to compare computed places exactly.
template <class A>
P3 Round3(const A& a) {
    P3 r{};
    for (size_t k = 0; k < 3; ++k) r[k] = std::round(a[k] * 1e9) / 1e9;
    return r;
}

constexpr int kGroundSlot = 1, kWallSlot = 2, kStepSlot = 3, kPlatformSlot = 4, kWaterSlot = 5, kToxicSlot = 6;

class GameTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ResetLevelArrays();
        MediaRoot = "NO_DATA/";
        platform().AdvanceClock(1000);   // some time into the run, so that "earlier than now" can hold for 0
        SetBoxModel(kGroundSlot, -20, -1, -20, 20, 0, 20);   // a ground slab 40 x 40 with its top at y = 0
    }
    void TearDown() override {
        ResetLevelArrays();
        HeadlessTest::TearDown();
    }
    void AddGround() { AddObject(kGroundSlot, -1, 0, 0, -1, 0, 0, 0, 0); }
    GameRun Run(Number frameFactor = 0.05) {
        GameRun run = StartGameRun();
        run.frameFactor = frameFactor;
        return run;
    }
    // One frame of the player's own motion: ground first, then movement.
    void Step(GameRun& run, Number t = 0) {
        run.gravity = 9.81;
        run.oldPosition = {X(), Y(), Z()};
        UpdateGround(run, t);
        MovePlayer(run);
    }
    static P3 Pos() { return {ActorPos(0, 0), ActorPos(0, 1), ActorPos(0, 2)}; }
    static P3 Vel() { return {ActorState(0, 0), ActorState(0, 1), ActorState(0, 2)}; }
    Number& X() { return ActorPos(0, 0); }
    Number& Y() { return ActorPos(0, 1); }
    Number& Z() { return ActorPos(0, 2); }
    Number& VX() { return ActorState(0, 0); }
    Number& VY() { return ActorState(0, 1); }
    Number& VZ() { return ActorState(0, 2); }
};

}  // namespace game_test
