// Costs of the platform layer on the paths a document window takes: saving and opening a case
// list, and measuring and drawing the texts of one plot.
#include <benchmark/benchmark.h>

#include "platform/FileCanvas.h"
#include "platform/KeyedArchiver.h"
#include "platform/RecordingCanvas.h"

namespace vornex {
namespace {

// A case list of `n` cases of 65 keys, the size of the document's cases.
PlistValue caseList(int n) {
    PlistValue list = PlistValue::array();
    for (int c = 0; c < n; ++c) {
        PlistValue item = PlistValue::dictionary();
        item.set("name", "case " + std::to_string(c));
        item.set("comment", "inclusion from the vein");
        for (int k = 0; k < 57; ++k) item.set("v" + std::to_string(k), 0.5 * k + c);
        for (int k = 0; k < 6; ++k) item.set("log" + std::to_string(k), (k + c) % 2 == 0);
        list.append(std::move(item));
    }
    return list;
}

void BM_ArchiveCaseList(benchmark::State& state) {
    PlistValue list = caseList(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(KeyedArchiver::archivedData(list, "list"));
}
BENCHMARK(BM_ArchiveCaseList)->Arg(10)->Arg(100)->Arg(1000);

void BM_UnarchiveCaseList(benchmark::State& state) {
    Bytes bytes = KeyedArchiver::archivedData(caseList(static_cast<int>(state.range(0))), "list");
    for (auto _ : state) benchmark::DoNotOptimize(KeyedUnarchiver::unarchivedValue(bytes, "list"));
}
BENCHMARK(BM_UnarchiveCaseList)->Arg(10)->Arg(100)->Arg(1000);

void BM_MeasureTickLabel(benchmark::State& state) {
    Bytes sink;
    FileCanvas canvas(FileFormat::Png, sink, {400, 300});
    TextAttributes attrs(Font::labelFont());
    for (auto _ : state) benchmark::DoNotOptimize(canvas.measureText("4000.0", attrs));
}
BENCHMARK(BM_MeasureTickLabel);

void BM_PathContainment(benchmark::State& state) {
    BezierPath oval = BezierPath::withOval(Rect(0, 0, 7, 7));
    for (auto _ : state) benchmark::DoNotOptimize(oval.containsPoint({5, 5}));
}
BENCHMARK(BM_PathContainment);

}  // namespace
}  // namespace vornex
