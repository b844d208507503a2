// 2D graphics benchmarks: BMP decoding with mipmap building, and bitmap-font text.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "runtime/frame/frame.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/draw2d.h"
#include "tests/runtime/gfx2d/bmp_builder.h"

namespace {

// Decoding a 1024 x 1024 24-bit sprite with transparent areas, then every mip level.
void BM_DecodeAndMipmap1024(benchmark::State& state) {
    const auto file = bmptest::MakeBmp({1024, 1024, 24, 0, {}}, [](int x, int y) -> uint32_t {
        if ((x / 64 + y / 64) % 5 == 0) return kSpriteColourKey;
        return bmptest::Rgb(x & 255, y & 255, (x ^ y) & 255);
    });
    for (auto _ : state) {
        BmpTexture t;
        DecodeBmp(file.data(), file.size(), kSpriteColourKey, kDefaultTextureLimit, t);
        int w = t.textureWidth, h = t.textureHeight;
        while (ShrinkToNextMipLevel(t.texels.data(), w, h)) {
        }
        benchmark::DoNotOptimize(t.texels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_DecodeAndMipmap1024)->Unit(benchmark::kMillisecond);

bool StartGraphics() {
    static int started = -1;
    if (started < 0) {
        InstallStartupScreen();
        started = StartUnattendedRuntime("Zentrovel") ? 1 : 0;
    }
    return started == 1;
}

// One frame's text: 25 lines of 80 characters in the built-in font, finished on the GPU.
void BM_Print2000Characters(benchmark::State& state) {
    if (!StartGraphics()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    std::string line;
    for (int i = 0; i < 80; ++i) line += char(33 + (i * 7) % 94);
    const StrValue text(line);
    SetFont(0);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        for (int row = 0; row < 25; ++row) PrintText(text, 4, 4 + row * 9);
        glFinish();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2000);
}
BENCHMARK(BM_Print2000Characters)->Unit(benchmark::kMillisecond);

}  // namespace
