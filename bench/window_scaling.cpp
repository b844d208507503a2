// The cost of showing the 800 x 600 picture in a window of another size: the time of one
// buffer swap (the present step of FlipScreen) with the window at 800 x 600 (straight to
// the window), 1600 x 1200 (a whole factor, pixels copied) and 1200 x 700 (smooth
// scaling). Needs an X display and xdotool to resize the window (bench/window_scaling.sh).
//
// Counters: swap_ms is the mean time of one swap of a cleared frame, glFinish included.
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "runtime/frame/frame.h"
#include "runtime/platform/platform.h"

namespace {

std::string Run(const std::string& command) {
    std::string out;
    if (FILE* f = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool Resize(int w, int h) {
    const std::string id = Run("timeout 5 xdotool search --sync --all --pid " + std::to_string(getpid()) +
                               " --name '^Zentrovel' | head -n 1");
    if (id.empty()) return false;
    Run("xdotool windowmove " + id + " 0 0 windowsize " + id + " " + std::to_string(w) + " " + std::to_string(h));
    int cw = 0, ch = 0;
    for (int i = 0; i < 200 && (cw != w || ch != h); ++i) {
        FlipScreen();
        GetPlatform().GetClientSize(cw, ch);
    }
    return cw == w && ch == h;
}

void BM_SwapAtWindowSize(benchmark::State& state) {
    if (!RuntimeStarted() && !StartUnattendedRuntime("Zentrovel")) {
        state.SkipWithError("no window");
        return;
    }
    SetFrameLimit(1000);
    if (!Resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) {
        state.SkipWithError("cannot resize the window (needs X11 and xdotool)");
        return;
    }
    Platform& p = GetPlatform();
    constexpr int kSwaps = 200;
    for (auto _ : state) {
        const double t0 = p.NowMs();
        for (int i = 0; i < kSwaps; ++i) {
            glClearColor(0.2f, 0.3f, 0.4f, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            p.SwapBuffers();
            glFinish();
        }
        state.counters["swap_ms"] = (p.NowMs() - t0) / kSwaps;
    }
}
BENCHMARK(BM_SwapAtWindowSize)->Args({800, 600})->Args({1600, 1200})->Args({1200, 700})->Args({800, 600})
    ->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
