// Opening a new workbench document (model, base curves, plots, first case) and one edit cycle
// at the default state, the work that stands between a keystroke and the redrawn diagram.
#include <benchmark/benchmark.h>

#include "platform/RecordingCanvas.h"
#include "workbench/HeadlessWorkbench.h"

namespace {

using namespace vornex;

void BM_NewDocument(benchmark::State& state) {
    for (auto _ : state) {
        auto document = HeadlessWorkbench::newDocument();
        benchmark::DoNotOptimize(document.get());
    }
}
BENCHMARK(BM_NewDocument)->Unit(benchmark::kMillisecond);

// Edits of the temperature that alternate so that the state stays the default one, region
// and all; with `draw`, the nine plots that show the state are drawn after each edit, as a
// window redraws after a keystroke.
void editCycles(benchmark::State& state, bool draw) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    bool up = false;
    for (auto _ : state) {
        driver.type("mHaliteTm", up ? 300.0 : 300.5);
        up = !up;
        if (!draw) continue;
        for (CPlotView* plot : document->caseBoundPlots()) {
            RecordingCanvas canvas(plot->bounds().size);
            plot->drawRect(canvas);
            benchmark::DoNotOptimize(canvas.operations().size());
        }
    }
}

void BM_EditCycle(benchmark::State& state) { editCycles(state, false); }
BENCHMARK(BM_EditCycle)->Unit(benchmark::kMillisecond);

void BM_EditCycleAndDraw(benchmark::State& state) { editCycles(state, true); }
BENCHMARK(BM_EditCycleAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace
