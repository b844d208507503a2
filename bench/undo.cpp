// One undo step's costs on the demo level and on a level of 10,000 objects: a snapshot
// with its restore, recording a moved object (the editor's cost after each event) with
// its undo, the memory of steps that add objects, and undoing a model deletion.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "level/history.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "level/snapshot.h"
#include "tests/level/level_media.h"
#include "tools/demo.h"

namespace {

constexpr int kBigObjects = 10000;

// The demo level, loaded in its folder; `objects` > 0 replaces its objects by that many.
void LoadLevelOf(int objects) {
    static level_media::ScratchDir dir{"bench_undo"};
    static const bool written = WriteDemo(dir.Path()).ok;
    if (!written) return;
    std::filesystem::current_path(dir.Path());
    LoadLevel("level.ini");
    if (objects == 0) return;
    ObjPos.Dim(objects, kObjPosColumns);
    ObjProps.Dim(objects, kObjPropsColumns);
    ObjState.Dim(objects, kObjStateColumns);
    for (int o = 0; o < objects; ++o) {
        ObjPos(o, 0) = o % 100;
        ObjPos(o, 2) = o / 100;
        ObjProps(o, 0) = o % 11;
        ObjProps(o, 1) = o % 9;
        ObjProps(o, 4) = -1;
    }
}

void BM_SnapshotAndRestore(benchmark::State& state) {
    LoadLevelOf(static_cast<int>(state.range(0)));
    const LevelSnapshot base = TakeLevelSnapshot();
    for (auto _ : state) {
        const LevelSnapshot s = TakeLevelSnapshot(&base);
        RestoreLevelSnapshot(s);
    }
}
BENCHMARK(BM_SnapshotAndRestore)->Arg(0)->Arg(kBigObjects)->Unit(benchmark::kMillisecond);

void BM_RecordAMoveAndUndoIt(benchmark::State& state) {
    LoadLevelOf(static_cast<int>(state.range(0)));
    LevelHistory history;
    history.Reset();
    for (auto _ : state) {
        ObjPos(3, 0) += 1;
        history.Record();
        history.Undo();
    }
}
BENCHMARK(BM_RecordAMoveAndUndoIt)->Arg(0)->Arg(kBigObjects)->Unit(benchmark::kMillisecond);

// The memory of 200 steps that each add an object, as the history counts it.
void BM_HistoryOfNewObjects(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        LoadLevelOf(static_cast<int>(state.range(0)));
        LevelHistory history;
        history.Reset();
        const double level = static_cast<double>(history.Bytes());
        state.ResumeTiming();
        for (int i = 0; i < 200; ++i) {
            AddObject(0, -1, 0, 0, -1, i, 0, 0, 0);
            history.Record();
        }
        state.counters["level_KB"] = level / 1024;
        state.counters["KB_per_step"] = (static_cast<double>(history.Bytes()) - level) / 200 / 1024;
    }
}
BENCHMARK(BM_HistoryOfNewObjects)->Arg(0)->Arg(kBigObjects)->Unit(benchmark::kMillisecond)->Iterations(1);

// Undoing a model deletion: the slots of the moved and the restored model load again.
void BM_UndoModelDeletion(benchmark::State& state) {
    LoadLevelOf(static_cast<int>(state.range(0)));
    LevelHistory history;
    history.Reset();
    for (auto _ : state) {
        DeleteModel(1);
        history.Record();
        history.Undo();
    }
}
BENCHMARK(BM_UndoModelDeletion)->Arg(0)->Arg(kBigObjects)->Unit(benchmark::kMillisecond);

}  // namespace
