// Frame pacing on the real SDL window: CPU used by the idle editor loop and the spread
// of flip intervals. Run under Xvfb (bench/frame_pacing.sh) or with a display.
//
// Counters: cpu_pct is the process CPU time over wall time (100 = one core);
// within_1ms_pct is the share of flip intervals within 1 ms of the frame interval.
#include <sys/resource.h>   // Required for: getrusage

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <benchmark/benchmark.h>

#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/platform/platform.h"

namespace {

bool EnsureRuntime() {
    if (RuntimeStarted()) return true;
    // Without a display the offscreen driver still paces real GL frames.
    return StartUnattendedRuntime("Zentrovel");
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The editor's idle loop: FlipScreen then WaitForInput, at 15 frames per second.
void BM_IdleEditorCpu(benchmark::State& state) {
    if (!EnsureRuntime()) {
        state.SkipWithError("no window");
        return;
    }
    AllowEscape(0);
    SetSystemPointer(1);
    SetFrameLimit(15);
    const double seconds = static_cast<double>(state.range(0));
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const double t0 = GetTimeMs();
        int passes = 0;
        while (GetTimeMs() - t0 < seconds * 1000.0) {
            FlipScreen();
            WaitForInput();
            ++passes;
        }
        const double wall = (GetTimeMs() - t0) / 1000.0;
        state.counters["cpu_pct"] = 100.0 * (CpuSeconds() - cpu0) / wall;
        state.counters["passes"] = passes;
    }
}
BENCHMARK(BM_IdleEditorCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

void BM_FlipIntervalSpread(benchmark::State& state) {
    if (!EnsureRuntime()) {
        state.SkipWithError("no window");
        return;
    }
    AllowEscape(0);
    const int fps = static_cast<int>(state.range(0));
    SetFrameLimit(fps);
    const double interval = 1000.0 / fps;
    const int frames = fps * 4;
    for (auto _ : state) {
        FlipScreen();   // settle onto the new interval
        FlipScreen();
        std::vector<double> deviation;
        double last = GetTimeMs();
        for (int i = 0; i < frames; ++i) {
            FlipScreen();
            const double now = GetTimeMs();
            deviation.push_back(std::abs(now - last - interval));
            last = now;
        }
        std::sort(deviation.begin(), deviation.end());
        const auto within = std::count_if(deviation.begin(), deviation.end(),
                                          [](double d) { return d <= 1.0; });
        state.counters["within_1ms_pct"] = 100.0 * within / deviation.size();
        state.counters["p95_dev_ms"] = deviation[deviation.size() * 95 / 100];
        state.counters["max_dev_ms"] = deviation.back();
    }
}
BENCHMARK(BM_FlipIntervalSpread)->Arg(15)->Arg(20)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

// The reference: the same intervals met by a pure busy wait on the same clock, to
// tell the machine's scheduling noise from the frame wait's own error.
void BM_BusyWaitSpread(benchmark::State& state) {
    Platform& p = GetPlatform();
    const double interval = 1000.0 / static_cast<double>(state.range(0));
    const int frames = static_cast<int>(state.range(0)) * 4;
    for (auto _ : state) {
        std::vector<double> deviation;
        double deadline = p.NowMs() + interval;
        double last = p.NowMs();
        for (int i = 0; i < frames; ++i) {
            while (p.NowMs() <= deadline) {
            }
            deadline += interval;
            const double now = p.NowMs();
            deviation.push_back(std::abs(now - last - interval));
            last = now;
        }
        std::sort(deviation.begin(), deviation.end());
        const auto within = std::count_if(deviation.begin(), deviation.end(),
                                          [](double d) { return d <= 1.0; });
        state.counters["within_1ms_pct"] = 100.0 * within / deviation.size();
        state.counters["p95_dev_ms"] = deviation[deviation.size() * 95 / 100];
    }
}
BENCHMARK(BM_BusyWaitSpread)->Arg(15)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
