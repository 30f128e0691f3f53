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

void BM_EditCycle(benchmark::State& state) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    bool up = false;
    for (auto _ : state) {
        // Alternating temperatures keep the state at the default one, region and all.
        driver.type("mHaliteTm", up ? 300.0 : 300.5);
        up = !up;
    }
}
BENCHMARK(BM_EditCycle)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The edit cycle followed by drawing the nine plots that show the state, as a window redraws
// after a keystroke.
void BM_EditCycleAndDraw(benchmark::State& state) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    bool up = false;
    for (auto _ : state) {
        driver.type("mHaliteTm", up ? 300.0 : 300.5);
        up = !up;
        for (CPlotView* plot : document->caseBoundPlots()) {
            RecordingCanvas canvas(plot->bounds().size);
            plot->drawRect(canvas);
            benchmark::DoNotOptimize(canvas.operations().size());
        }
    }
}
BENCHMARK(BM_EditCycleAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace
