// Costs of the platform layer on the paths a document window takes: saving and opening a case
// list, and measuring and drawing the texts of one plot.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/BinaryPlistWriter.h"
#include "platform/FileCanvas.h"
#include "platform/KeyedArchiver.h"
#include "platform/PlistNode.h"
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

// Opening a case list per megabyte of the file, in its binary form (arg 0 = 0) and its XML
// form (1), at 200 and 2,000 cases: a time per byte that stays the same at both sizes is an
// open linear in the size.
void BM_OpenCaseListPerMB(benchmark::State& state) {
    Bytes bytes = KeyedArchiver::archivedData(caseList(static_cast<int>(state.range(1))), "list");
    if (state.range(0) == 1) {
        std::string error;
        bytes = PlistNode::parse(bytes, error).toXml();
    }
    for (auto _ : state) benchmark::DoNotOptimize(KeyedUnarchiver::unarchivedValue(bytes, "list"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_OpenCaseListPerMB)
    ->ArgsProduct({{0, 1}, {200, 2000}})
    ->ArgNames({"xml", "cases"})
    ->Unit(benchmark::kMillisecond);

// A keyed archive of `bytes` bytes whose "list" holds one array of 30 reals over and over:
// each four bytes of the file stand for 30 decoded values, far beyond what a file of its size
// may take.
Bytes fanOutArchive(std::size_t bytes) {
    BinaryPlistWriter w;
    using Ref = BinaryPlistWriter::Ref;
    auto dict = [&w](std::vector<std::string> keys, std::vector<Ref> values) {
        std::vector<Ref> k;
        for (const std::string& key : keys) k.push_back(w.addString(key));
        return w.addDictionary(k, values);
    };
    const Ref cls = w.addUid(4);
    const Ref inner =
        dict({"NS.objects", "$class"}, {w.addArray(std::vector<Ref>(30, w.addUid(3))), cls});
    const Ref list =
        dict({"NS.objects", "$class"}, {w.addArray(std::vector<Ref>(bytes / 4, w.addUid(1))), cls});
    const Ref named = dict({"$classname"}, {w.addString("NSMutableArray")});
    const Ref objects = w.addArray({w.addString("$null"), inner, list, w.addReal(1.5), named});
    const Ref top = dict({"list"}, {w.addUid(2)});
    return w.finish(
        dict({"$archiver", "$top", "$objects"}, {w.addString("NSKeyedArchiver"), top, objects}));
}

// The refusal of an archive that fans out, at 1 MB and 4 MB.
void BM_RefuseFanOut(benchmark::State& state) {
    const Bytes bytes = fanOutArchive(static_cast<std::size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        KeyedUnarchiver u(bytes);
        if (u.ok()) state.SkipWithError("read");
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_RefuseFanOut)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

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
