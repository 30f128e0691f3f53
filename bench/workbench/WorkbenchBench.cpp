// Opening a new workbench document (model, base curves, plots, first case) and one edit cycle
// at the default state, the work that stands between a keystroke and the redrawn diagram.
#include <benchmark/benchmark.h>

#include "platform/PlatformLog.h"
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

void drawPlots(MyDocument& document, bool all) {
    std::vector<CPlotView*> plots;
    for (CPlotView* plot : document.caseBoundPlots()) plots.push_back(plot);
    if (all)
        for (const char* name : {"mIceViewp", "mDepthViewp", "mBoilingViewp"})
            plots.push_back(document.plotNamed(name));
    for (CPlotView* plot : plots) {
        RecordingCanvas canvas(plot->bounds().size);
        plot->drawRect(canvas);
        benchmark::DoNotOptimize(canvas.operations().size());
    }
    if (!all) return;
    RecordingCanvas canvas(document.ternaryView().bounds().size);
    document.ternaryView().drawRect(canvas);
    benchmark::DoNotOptimize(canvas.operations().size());
}

// Edits of the temperature that alternate between T and T + 0.5 degC so that the state keeps
// its region; with `draw`, the nine plots that show the state are drawn after each edit, as a
// window redraws after a keystroke.
void editCycles(benchmark::State& state, double T, bool draw) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    bool up = false;
    for (auto _ : state) {
        driver.type("mHaliteTm", up ? T : T + 0.5);
        up = !up;
        if (draw) drawPlots(*document, false);
    }
}

void BM_EditCycle(benchmark::State& state) {
    editCycles(state, 300, false);
}
BENCHMARK(BM_EditCycle)->Unit(benchmark::kMillisecond);

void BM_EditCycleAndDraw(benchmark::State& state) {
    editCycles(state, 300, true);
}
BENCHMARK(BM_EditCycleAndDraw)->Unit(benchmark::kMillisecond);

// The full edit cycle at the default state (300 degC) and at 500 degC: the state drawings,
// then the inclusion, ice and boiling panels recomputed and every plot, the ternary view
// included, drawn.
void BM_FullEditCycle(benchmark::State& state) {
    // The boiling panel's one diagnostic line is not part of the work measured.
    const LogSink previous = setLogSink([](const std::string&) {});
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    const double T = static_cast<double>(state.range(0));
    bool up = false;
    for (auto _ : state) {
        driver.type("mHaliteTm", up ? T : T + 0.5);
        up = !up;
        document->onCalculateInclusionProperties();
        document->onCalculateIceSalinity();
        document->onCalculateBoiling();
        drawPlots(*document, true);
    }
    setLogSink(previous);
}
BENCHMARK(BM_FullEditCycle)->Arg(300)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
