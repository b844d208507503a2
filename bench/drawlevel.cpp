// One DrawLevel of the demo level and of a stress level (2,000 objects, 200 actors):
// the CPU part alone (no graphics context: the engine keeps its state, the shadow rays
// run) and the whole frame with OpenGL (x11 under Xvfb, else SDL's offscreen driver).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "level/level.h"
#include "level/levelfile.h"
#include "game/drawlevel.h"
#include "game/path.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "tests/level/level_media.h"
#include "tools/demo.h"

namespace {

constexpr int kStressObjects = 2000;
constexpr int kStressActors = 200;

// The demo written once per run. Loading runs in its folder, as the editor does; the
// runtime's start moves to the program's folder, so each load enters it again.
struct Demo {
    level_media::ScratchDir dir{"bench_drawlevel"};
    bool ok = false;
    Demo() { ok = WriteDemo(dir.Path()).ok; }
};
Demo& TheDemo() {
    static Demo demo;
    return demo;
}

void LoadGameSlots() {
    LoadObject(MediaRoot + "shadow.kmo", 100);
    LoadSprite(MediaRoot + "shadow.bmp", 100);
    const char* items[] = {"extralife.bmp", "energy.bmp", "shield.bmp", "checkpoint.bmp"};
    for (int k = 0; k < 4; ++k) LoadSprite(MediaRoot + items[k], 500 + k);
    LoadSprite(MediaRoot + "shot1.bmp", 1000);
}

void LoadDemoLevel() {
    std::filesystem::current_path(TheDemo().dir.Path());
    LoadLevel("level.ini");
    LoadGameSlots();
}

// The demo's models and textures on a level 270 units wide: 25 ground tiles side by
// side, the rest of the 2,000 objects on a grid of the smaller scenery models (every
// tenth on a small loop of its own, every twelfth see-through), actors between them,
// and items.
void LoadStressLevel() {
    LoadDemoLevel();
    ObjPos.Dim(0);
    ObjProps.Dim(0);
    ObjState.Dim(0);
    for (int i = 0; i < 25; ++i) AddObject(0, 0, 0, 0, -1, (i % 5 - 2) * 60.0, 0, (i / 5 - 2) * 60.0, 0);
    const int side = 45;
    PathLen.Dim(kStressObjects / 10);
    PathPoints.Dim(kStressObjects / 10, 8, 3);
    for (int i = 25; i < kStressObjects; ++i) {
        const int model = 2 + i % 6;   // steps, tower, platform, water, toxic, pool
        const Number x = (i % side - side / 2) * 6.0, z = (i / side - side / 2) * 6.0;
        const int path = i % 10 == 0 ? i / 10 : -1;
        if (path >= 0) {
            PathLen(path) = 4;
            const Number corners[4][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
            for (int k = 0; k < 4; ++k) {
                PathPoints(path, k, 0) = x + corners[k][0];
                PathPoints(path, k, 1) = 2;
                PathPoints(path, k, 2) = z + corners[k][1];
            }
        }
        AddObject(model, model % 6, i % 12 == 0 ? -0.5 : 0, model == 5 ? 1 : 0, path, x, 0, z, (i * 37) % 360);
    }
    ActorProps.Dim(kStressActors, kActorPropsColumns);
    ActorPos.Dim(kStressActors, kActorPosColumns);
    ActorState.Dim(kStressActors, kActorStateColumns);
    for (int a = 0; a < kStressActors; ++a) {
        ActorProps(a, 0) = 8 + a % 3;
        ActorProps(a, 1) = 6 + a % 3;
        ActorProps(a, 2) = a % 5;
        ActorProps(a, 3) = (a % 10) / 10.0;
        ActorProps(a, 5) = -1;
        ActorProps(a, 6) = a % 17 == 0 ? 1 : 0;
        ActorPos(a, 0) = (a % 20 - 10) * 13.0 + 3;
        ActorPos(a, 1) = 1;
        ActorPos(a, 2) = (a / 20 - 5) * 13.0 + 3;
        ActorPos(a, 3) = a * 11 % 360;
    }
    SpecialItems.Dim(50, kSpecialColumns);
    for (int s = 0; s < 50; ++s) {
        SpecialItems(s, 0) = (s % 10) * 7.0;
        SpecialItems(s, 1) = 1;
        SpecialItems(s, 2) = (s / 10) * 7.0;
        SpecialItems(s, 3) = s % 5 == 4 ? 1000 : s % 4;
    }
}

// Actors with a surface below them: the shadow rays did their work.
Number ShadowedActors() {
    Number n = 0, height = 0;
    for (int a = 0; a < ActorCount(); ++a) n += FindShadowHeight(ActorPos(a, 0), ActorPos(a, 1), ActorPos(a, 2), -1, height);
    return n;
}

// ---- CPU part: no window, no context

void RunCpu(benchmark::State& state, void (*load)(), Number editMode) {
    if (!TheDemo().ok) {
        state.SkipWithError("demo could not be written");
        return;
    }
    load();
    SetViewport(0, 0, 800, 600);
    Make3D(1, 1000, 35);
    SetCamera(0, 20, 40, 0, 0, 0);
    for (auto _ : state) {
        MoveObjectsOnPaths(1.5);
        DrawLevel(editMode);
    }
    state.counters["objects"] = ObjectCount();
    state.counters["actors"] = ActorCount();
    state.counters["shadowed"] = ShadowedActors();
}

void BM_DrawLevelCpuDemo(benchmark::State& state) { RunCpu(state, LoadDemoLevel, 0); }
void BM_DrawLevelCpuDemoEditMode(benchmark::State& state) { RunCpu(state, LoadDemoLevel, 1); }
void BM_DrawLevelCpuStress(benchmark::State& state) { RunCpu(state, LoadStressLevel, 0); }
BENCHMARK(BM_DrawLevelCpuDemo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLevelCpuDemoEditMode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLevelCpuStress)->Unit(benchmark::kMillisecond);

// ---- The whole frame with OpenGL

bool StartWindow() {
    static int started = -1;
    if (started >= 0) return started == 1;
    started = StartUnattendedRuntime("Zentrovel") ? 1 : 0;
    // The frame limit would hide the drawing time behind its wait.
    SetFrameLimit(1000);
    return started == 1;
}

void RunFrame(benchmark::State& state, void (*load)()) {
    if (!TheDemo().ok || !StartWindow()) {
        state.SkipWithError("no OpenGL window");
        return;
    }
    // Slots are loaded again now that textures and models can reach the context.
    load();
    for (auto _ : state) {
        SetViewport(0, 0, 0, 0);
        Make3D(1, 1000, 35);
        SetCamera(0, 20, 40, 0, 0, 0);
        MoveObjectsOnPaths(1.5);
        DrawLevel(0);
        Make2D();
        FlipScreen();
    }
    state.counters["objects"] = ObjectCount();
    state.counters["shadowed"] = ShadowedActors();
}

void BM_DrawLevelFrameDemo(benchmark::State& state) { RunFrame(state, LoadDemoLevel); }
void BM_DrawLevelFrameStress(benchmark::State& state) { RunFrame(state, LoadStressLevel); }
BENCHMARK(BM_DrawLevelFrameDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawLevelFrameStress)->Unit(benchmark::kMillisecond);

}  // namespace
