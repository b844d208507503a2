// One game frame: the logic alone (no drawing: path followers, damage, shots, items,
// ground, movement and the camera probes) on the demo level and on a stress level of
// 500 Land objects of 1,000 triangles each, the player walking; and whole frames of
// the game with OpenGL (x11 under Xvfb, else SDL's offscreen driver) without the frame
// limit, reported as frames per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "level/level.h"
#include "level/levelfile.h"
#include "game/gamerun.h"
#include "game/playlevel.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/lumenor3d.h"
#include "runtime/gfx3d/model.h"
#include "runtime/platform/headless_platform.h"
#include "tests/level/level_media.h"
#include "tools/demo.h"

namespace {

constexpr int kStressObjects = 500;
constexpr int kTileModel = 20;
constexpr double kTileSize = 8;

struct Demo {
    level_media::ScratchDir dir{"bench_game"};
    bool ok = false;
    Demo() { ok = WriteDemo(dir.Path()).ok; }
};
Demo& TheDemo() {
    static Demo demo;
    return demo;
}

void LoadDemoLevel() {
    std::filesystem::current_path(TheDemo().dir.Path());
    LoadLevel("level.ini");
}

// A bumpy square tile of 25 x 20 quads (1,000 triangles), its surface 0 .. 0.4 high.
void MakeTileModel(int slot) {
    MeshObject* model = GetObjectModel(slot);
    model->Clear();
    model->frames.resize(1);
    auto height = [](int i, int j) { return 0.2 + 0.2 * std::sin(i * 0.9) * std::cos(j * 1.3); };
    auto& tris = model->frames[0].triangles;
    const int nx = 25, nz = 20;
    auto corner = [&](int i, int j) {
        MeshVertex v;
        v.position[0] = float(-kTileSize / 2 + kTileSize * i / nx);
        v.position[1] = float(height(i, j));
        v.position[2] = float(-kTileSize / 2 + kTileSize * j / nz);
        return v;
    };
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < nz; ++j) {
            for (auto [a, b] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}) {
                tris.push_back(corner(i + a, j + b));
            }
        }
    }
    ComputeModelBounds(*model);
    Engine3D().ModelChanged(slot);
}

// 500 tiles side by side (25 x 20), an enemy, an item and the player in the middle.
void LoadStressLevel() {
    LoadDemoLevel();
    MakeTileModel(kTileModel);
    ObjPos.Dim(0);
    ObjProps.Dim(0);
    ObjState.Dim(0);
    for (int k = 0; k < kStressObjects; ++k) {
        AddObject(kTileModel, -1, 0, 0, -1, (k % 25 - 12) * kTileSize, 0, (k / 25 - 10) * kTileSize, 0);
    }
    ActorPos(0, 0) = 1;
    ActorPos(0, 1) = 0.5;
    ActorPos(0, 2) = 1;
}

struct Headless {
    HeadlessPlatform platform;
    Headless() {
        UsePlatform(&platform);
        RuntimeSettings settings;
        settings.useMouse = false;
        ConfigureRuntime(settings);
        StartRuntime("Zentrovel");
    }
};
Headless& TheHeadless() {
    static Headless h;
    return h;
}

// The player walks "up" (away from the camera) and turns now and then; the clock moves
// 50 ms per frame, as at the game's frame limit.
void RunLogic(benchmark::State& state, void (*load)()) {
    if (!TheDemo().ok) {
        state.SkipWithError("demo could not be written");
        return;
    }
    Headless& h = TheHeadless();
    load();
    const Number startX = ActorPos(0, 0), startY = ActorPos(0, 1), startZ = ActorPos(0, 2);
    GameRun run = StartGameRun();
    run.frameFactor = 50.0 / 700;
    h.platform.PressKey(kKeyUp);
    int frame = 0;
    Number walked = 0;
    for (auto _ : state) {
        h.platform.AdvanceClock(50);
        if (++frame % 40 == 0) {
            // Back to the start now and then, so the walk stays on the level.
            walked += std::hypot(ActorPos(0, 0) - startX, ActorPos(0, 2) - startZ);
            ActorPos(0, 0) = startX;
            ActorPos(0, 1) = startY;
            ActorPos(0, 2) = startZ;
            run.cameraGoal[0] += 45;
        }
        UpdateGame(run);
        if (run.ended) run = StartGameRun();
    }
    h.platform.ReleaseKey(kKeyUp);
    state.counters["objects"] = ObjectCount();
    state.counters["walked"] = walked;
}

void BM_GameLogicFrameDemo(benchmark::State& state) { RunLogic(state, LoadDemoLevel); }
void BM_GameLogicFrameStress(benchmark::State& state) { RunLogic(state, LoadStressLevel); }
BENCHMARK(BM_GameLogicFrameDemo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameLogicFrameStress)->Unit(benchmark::kMicrosecond);

// ---- Whole frames with OpenGL

bool StartWindow() {
    static int started = -1;
    if (started >= 0) return started == 1;
    // The logic benchmarks ran on the headless platform.
    StopRuntime();
    UsePlatform(nullptr);
    started = StartUnattendedRuntime("Zentrovel") ? 1 : 0;
    return started == 1;
}

void BM_GameWholeFrameDemo(benchmark::State& state) {
    if (!TheDemo().ok || !StartWindow()) {
        state.SkipWithError("no OpenGL window");
        return;
    }
    LoadDemoLevel();
    GameRun run = BeginPlay();
    // The frame limit would hide the frame's own time behind its wait.
    SetFrameLimit(1000);
    for (auto _ : state) {
        if (PlayFrame(run, 0) == 0) run = BeginPlay(), SetFrameLimit(1000);
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GameWholeFrameDemo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
