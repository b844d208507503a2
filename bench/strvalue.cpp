// Throughput of the value model: number formatting, concatenation and checked array access.
#include <benchmark/benchmark.h>

#include "runtime/frame/dimarray.h"
#include "runtime/frame/strvalue.h"

static void NumberToTextMixed(benchmark::State& state) {
    const Number values[] = {0.5, 100, -3, 1.0 / 3, 1e11, 123.456, 1e-5, 42};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(values[i++ & 7]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(NumberToTextMixed);

static void ConcatenateListLine(benchmark::State& state) {
    // The shape of the editor's object list line: number, name, padding, cut.
    const StrValue model("ground.kmo"), texture("grass.bmp");
    Number o = 0;
    for (auto _ : state) {
        StrValue line = FormatNumber(2, 0, o) + model + "                   ";
        line = MidText(line, 0, 18) + "/" + texture;
        benchmark::DoNotOptimize(line);
        o += 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ConcatenateListLine);

static void AppendInPlace(benchmark::State& state) {
    for (auto _ : state) {
        StrValue s;
        for (int k = 0; k < 1000; ++k) s += "abc";
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(state.iterations() * 3000);
}
BENCHMARK(AppendInPlace);

static void CheckedArrayAccess(benchmark::State& state) {
    DimArray<Number> pos;
    pos.Dim(5000, 9);
    for (auto _ : state) {
        Number sum = 0;
        for (Number o = 0; o < 5000; ++o) sum += pos(o, 3);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(CheckedArrayAccess);
