// Importing: a 100,000-triangle OBJ and a 30-frame skinned glTF character of 5,000
// triangles, both generated here, each read, posed, quantised and made into ".kmo" bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "import/import.h"
#include "tests/import/import_samples.h"
#include "tests/level/level_media.h"

namespace {

struct Inputs {
    level_media::ScratchDir dir{"bench_import"};
    std::string obj = dir / "grid.obj";
    std::string gltf = dir / "character.gltf";

    Inputs() {
        // 250 x 200 quads of two triangles each, with texture coordinates.
        constexpr int kW = 250, kH = 200;
        std::string text;
        for (int y = 0; y <= kH; ++y)
            for (int x = 0; x <= kW; ++x)
                text += "v " + std::to_string(x) + " " + std::to_string((x * y) % 7) + " " + std::to_string(y) +
                        "\nvt " + std::to_string(double(x) / kW) + " " + std::to_string(double(y) / kH) + "\n";
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int a = y * (kW + 1) + x + 1, b = a + 1, c = a + kW + 1, d = c + 1;
                auto corner = [](int i) { return std::to_string(i) + "/" + std::to_string(i) + " "; };
                text += "f " + corner(a) + corner(b) + corner(d) + "\nf " + corner(a) + corner(d) + corner(c) + "\n";
            }
        level_media::WriteBytes(obj, text);
        // 1,250 sides make 5,000 triangles; 2.9 seconds at 10 frames a second are 30 frames.
        level_media::WriteBytes(gltf, import_samples::SkinnedTube(1250, {{"Walk", 90, 2.9}}));
    }
};

Inputs& Files() {
    static Inputs inputs;
    return inputs;
}

void BM_ImportObj100kTriangles(benchmark::State& state) {
    const std::string& path = Files().obj;
    for (auto _ : state) {
        const ModelImport r = ImportModel(path, {});
        if (!r.ok || r.triangles != 100000) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(r.modelBytes.data());
    }
}
BENCHMARK(BM_ImportObj100kTriangles)->Unit(benchmark::kMillisecond);

void BM_ImportSkinnedGltf30Frames(benchmark::State& state) {
    const std::string& path = Files().gltf;
    for (auto _ : state) {
        const ModelImport r = ImportModel(path, {});
        if (!r.ok || r.frames != 30 || r.triangles != 5000) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(r.modelBytes.data());
    }
}
BENCHMARK(BM_ImportSkinnedGltf30Frames)->Unit(benchmark::kMillisecond);

}  // namespace
