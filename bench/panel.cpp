// The editor's main panel on levels of many objects: building it (at start and after
// every change of a list), one frame of it, and deleting one object, which rebuilds it.
// Goal: the panel's part stays under 100 ms with 100,000 objects, the most a level file
// is believed to hold. Loading such a level is measured beside it for the whole start.
// Runs on the headless platform: the toolkit's own work without OpenGL drawing.
#include <benchmark/benchmark.h>

#include <string>

#include "editor/editor.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/platform/headless_platform.h"
#include "tests/level/level_media.h"

namespace {

constexpr int kNames = 40;

void StartHeadless() {
    static HeadlessPlatform platform;
    static bool started = false;
    if (started) return;
    UsePlatform(&platform);
    StartRuntime("Zentrovel");
    LoadFont("", kGuiFont);
    SetSystemPointer(1);
    platform.MovePointer(400, 300);
    started = true;
}

// A level of n objects over forty model and texture names; the media need not exist.
void FillLevel(int n) {
    ResetLevelArrays();
    MediaRoot = "media/";
    ModelFiles.Dim(kNames);
    TextureFiles.Dim(kNames);
    for (int i = 0; i < kNames; ++i) {
        ModelFiles(i) = "model_number_"_s + i + ".kmo";
        TextureFiles(i) = "texture"_s + i + ".bmp";
    }
    ObjPos.Dim(n, kObjPosColumns);
    ObjProps.Dim(n, kObjPropsColumns);
    ObjState.Dim(n, kObjStateColumns);
    for (int o = 0; o < n; ++o) {
        ObjPos(o, 0) = o * 0.5;
        ObjProps(o, 0) = o % kNames;
        ObjProps(o, 1) = o % 7 == 0 ? -1 : o % kNames;
        ObjProps(o, 4) = -1;
    }
}

void OpenPanel(int n) {
    StartHeadless();
    while (DialogStackDepth() > 0) DialogClose();
    FillLevel(n);
    DialogInit(0, 0, 800 / 3, 600);
    BuildPanel();
}

void BM_BuildPanel(benchmark::State& state) {
    OpenPanel(static_cast<int>(state.range(0)));
    for (auto _ : state) BuildPanel();
    state.counters["lines"] = ItemCount("ls_obj");
}
BENCHMARK(BM_BuildPanel)->Arg(8000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PanelFrame(benchmark::State& state) {
    OpenPanel(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(DialogShow(1));
}
BENCHMARK(BM_PanelFrame)->Arg(8000)->Arg(100000)->Unit(benchmark::kMillisecond);

// "Delete" on an object: the record goes and the panel is built again.
void BM_DeleteObject(benchmark::State& state) {
    OpenPanel(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DeleteObject(ObjectCount() / 2);
        BuildPanel();
    }
    state.counters["left"] = ObjectCount();
}
BENCHMARK(BM_DeleteObject)->Arg(8000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The rest of the start: reading the level file of 100,000 objects.
void BM_LoadLevel(benchmark::State& state) {
    static level_media::ScratchDir dir{"bench_panel"};
    FillLevel(static_cast<int>(state.range(0)));
    const StrValue file(dir / "level.ini");
    SaveLevel(file);
    for (auto _ : state) LoadLevel(file);
    state.counters["objects"] = ObjectCount();
}
BENCHMARK(BM_LoadLevel)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
