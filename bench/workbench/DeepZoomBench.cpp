// Export of a plot zoomed far into its curves: the ρ–T plot of a new document with an x span of
// 0.01 and 4e-5 degC (what repeated zoom-ins ask for) written as PNG, PDF and SVG. The second
// argument chooses how the range arrives: 0 as a zoom (which stops at the span the values
// resolve), 1 as a case or file stores it (shown as it is). Each iteration writes one file; a
// failed write ends the run with an error.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "workbench/HeadlessWorkbench.h"

namespace {

using namespace vornex;

void exportZoomed(benchmark::State& state, const std::string& extension) {
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    CPlotView& plot = *document->plotNamed("mRhoTViewp");
    const float span = static_cast<float>(state.range(0)) * 1e-6f;
    float minX, maxX, minY, maxY;
    plot.getXYRange(minX, maxX, minY, maxY);
    // Around the middle of the liquid branch, as a zoom rectangle drawn there would ask.
    if (state.range(1) == 0)
        plot.doChangeAxisRanges(400.0f - span / 2, 400.0f + span / 2, minY, maxY);
    else
        plot.setXYRange(400.0f - span / 2, 400.0f + span / 2, minY, maxY);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("deep-zoom-bench." + extension)).string();
    for (auto _ : state) {
        IoResult written = driver.writePlot("mRhoTViewp", path);
        if (!written.ok()) {
            state.SkipWithError(written.message.c_str());
            break;
        }
    }
    std::filesystem::remove(path);
}

void BM_DeepZoomPng(benchmark::State& state) {
    exportZoomed(state, "png");
}
void BM_DeepZoomPdf(benchmark::State& state) {
    exportZoomed(state, "pdf");
}
void BM_DeepZoomSvg(benchmark::State& state) {
    exportZoomed(state, "svg");
}
// Spans in millionths of a degree (0.01 and 4e-5 degC), by zoom and as stored.
void spans(benchmark::internal::Benchmark* b) {
    b->ArgsProduct({{10000, 40}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(1);
}
BENCHMARK(BM_DeepZoomPng)->Apply(spans);
BENCHMARK(BM_DeepZoomPdf)->Apply(spans);
BENCHMARK(BM_DeepZoomSvg)->Apply(spans);

}  // namespace
