// Loading and saving a large level: 99 models with animation files, 99 textures,
// 5,000 objects, 200 paths of 50 points and 500 actors, all media generated here.
#include <benchmark/benchmark.h>

#include <string>

#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "tests/level/level_media.h"

namespace {

constexpr int kModels = 99;
constexpr int kTextures = 99;
constexpr int kObjects = 5000;
constexpr int kPaths = 200;
constexpr int kPoints = 50;
constexpr int kActors = 500;

// The media and the level file, made once for all benchmarks of the run.
struct BigLevel {
    level_media::ScratchDir dir{"bench_level"};
    std::string file;

    BigLevel() {
        using level_media::WriteBytes;
        for (int i = 0; i < kModels; ++i) {
            const std::string name = "model" + std::to_string(i) + ".kmo";
            WriteBytes(dir / name, level_media::ModelBytes(20 + i));
            WriteBytes(dir / (name + "a"), level_media::AnimBytes({{0, 9}, {10, 19}, {20, 29}, {30, 39}, {40, 49},
                                                                     {50, 59}}));
        }
        for (int i = 0; i < kTextures; ++i)
            WriteBytes(dir / ("texture" + std::to_string(i) + ".bmp"), level_media::PictureBytes(32, 32));

        ResetLevelArrays();
        MediaRoot = StrValue(dir.Path() + "/");
        ModelFiles.Dim(kModels);
        for (int i = 0; i < kModels; ++i) ModelFiles(i) = "model"_s + i + ".kmo";
        TextureFiles.Dim(kTextures);
        for (int i = 0; i < kTextures; ++i) TextureFiles(i) = "texture"_s + i + ".bmp";
        for (int i = 0; i < kObjects; ++i)
            AddObject(i % kModels, i % 7 == 0 ? -1 : i % kTextures, 0, i % 3, i % 11 == 0 ? i % kPaths : -1,
                      i * 0.37, i % 13 * 1.5, -i * 0.21, i % 360);
        PathLen.Dim(kPaths);
        PathPoints.Dim(kPaths, kPoints, 3);
        for (int p = 0; p < kPaths; ++p) {
            PathLen(p) = kPoints;
            for (int k = 0; k < kPoints; ++k)
                for (int c = 0; c < 3; ++c) PathPoints(p, k, c) = p * 0.5 + k * 1.1 + c;
        }
        ActorProps.Dim(kActors, 7);
        ActorPos.Dim(kActors, 5);
        ActorState.Dim(kActors, 3);
        for (int a = 0; a < kActors; ++a) {
            ActorProps(a, 0) = a % kModels;
            ActorProps(a, 1) = a % kTextures;
            ActorProps(a, 4) = a == 0 ? 0 : 1;
            ActorProps(a, 5) = a % 4 == 0 ? a % kPaths : -1;
            for (int c = 0; c < 3; ++c) ActorPos(a, c) = a * 0.3 + c;
        }
        file = dir / "level.ini";
        SaveLevel(StrValue(file));
    }
};

BigLevel& Level() {
    static BigLevel level;
    return level;
}

void BM_LoadLevel(benchmark::State& state) {
    const StrValue file(Level().file);
    for (auto _ : state) {
        LoadLevel(file);
        benchmark::DoNotOptimize(ObjPos.Data());
    }
    state.counters["objects"] = ObjectCount();
}
BENCHMARK(BM_LoadLevel)->Unit(benchmark::kMillisecond);

void BM_SaveLevel(benchmark::State& state) {
    LoadLevel(StrValue(Level().file));
    const StrValue out(Level().dir / "saved.ini");
    Number lines = 0;
    for (auto _ : state) lines = SaveLevel(out);
    state.counters["lines"] = lines;
}
BENCHMARK(BM_SaveLevel)->Unit(benchmark::kMillisecond);

}  // namespace
