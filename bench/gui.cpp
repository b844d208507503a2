// The widget toolkit's per-frame cost: one DialogShow of a dialog of 60 widgets, every
// property read through the linear table scan. Runs on the headless platform, so the
// numbers are the toolkit's own work without OpenGL drawing.
#include <benchmark/benchmark.h>

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/platform/headless_platform.h"

namespace {

void StartHeadless() {
    static HeadlessPlatform platform;
    static bool started = false;
    if (started) return;
    UsePlatform(&platform);
    StartRuntime("Zentrovel");
    LoadFont("", 0);
    SetSystemPointer(1);
    platform.MovePointer(400, 300);
    started = true;
}

// Sixty widgets of every kind, as a large editor dialog has them.
void BuildSixtyWidgets() {
    DialogInit(0, 0, 780, 580);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "Sixty widgets");
    for (int i = 0; i < 6; ++i) {
        const StrValue n = StrValue(i);
        NewWidget("", "Label " + n, 0, 0);
        AddButton("bt_a" + n, "Button", 0, 0);
        AddButton("bt_b" + n, "Other", 0, 0);
        AddCheckbox("cb_" + n, "Check", 0, 0);
        AddSlider("sl_" + n, 0, 0);
        AddText("tx_" + n, "12.5", 60, 0);
        AddRadio("ra_" + n, "Land|Water|Toxic", 0);
        AddList("ls_" + n, "one|two|three|four|five|six|seven|eight", 80, 0);
        AddFile("fi_" + n, "media/model.kmo", 0, 0);
        AddSpacer(10000, 0);
    }
    DialogRefresh(0, 0, 0, 0);
}

void CloseAll() {
    while (DialogStackDepth() > 0) DialogClose();
}

void BM_DialogShowSixtyWidgets(benchmark::State& state) {
    StartHeadless();
    BuildSixtyWidgets();
    DialogShow(0);
    for (auto _ : state) benchmark::DoNotOptimize(DialogShow(0));
    state.counters["rows"] = PropertyRowCount();
    CloseAll();
}
BENCHMARK(BM_DialogShowSixtyWidgets)->Unit(benchmark::kMicrosecond);

// The same dialog under a message-box-sized one: it is loaded from the stack, drawn and
// dimmed every frame.
void BM_DialogShowSixtyWidgetsBelowAnother(benchmark::State& state) {
    StartHeadless();
    BuildSixtyWidgets();
    DialogInit(326, 150, 148, 150);
    AddButton("bt_yes", "OK", 0, 0);
    DialogShow(0);
    for (auto _ : state) benchmark::DoNotOptimize(DialogShow(0));
    CloseAll();
}
BENCHMARK(BM_DialogShowSixtyWidgetsBelowAnother)->Unit(benchmark::kMicrosecond);

// Building the dialog: every SetProp of a new key grows the table by one row.
void BM_BuildSixtyWidgetDialog(benchmark::State& state) {
    StartHeadless();
    for (auto _ : state) {
        BuildSixtyWidgets();
        DialogClose();
    }
}
BENCHMARK(BM_BuildSixtyWidgetDialog)->Unit(benchmark::kMicrosecond);

}  // namespace
