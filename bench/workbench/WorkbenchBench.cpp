// Opening a new workbench document (model, base curves, plots, first case) and one edit cycle
// at the default state, the work that stands between a keystroke and the redrawn diagram.
#include <benchmark/benchmark.h>

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
