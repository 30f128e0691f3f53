// Saving and opening large workbench documents: the archive of n cases written to bytes, and
// the bytes read back into a document (decoding, checking the list, restoring the first case).
// Counters give the file size, the bytes per case, and the heap memory the open adds.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "platform/KeyedArchiver.h"
#include "platform/PlatformLog.h"
#include "workbench/HeadlessWorkbench.h"

namespace {

using namespace vornex;

// Bytes the allocator has handed out and not taken back.
double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

// n cases like the new document's first, each with its own name, state and ranges.
PlistValue caseList(int n) {
    auto document = HeadlessWorkbench::newDocument();
    const PlistValue first = document->cases().at(0);
    PlistValue list = PlistValue::array();
    list.mutableItems()->reserve(n);
    for (int i = 0; i < n; ++i) {
        PlistValue c = first;
        c.set("name", "Run " + std::to_string(i));
        c.set("Tm", 300.0 + 1e-3 * i);
        c.set("Pm", 88.0 + 1e-4 * i);
        c.set("Xm", 30.0 - 1e-5 * i);
        c.set("Rm", 1000.0 + 1e-3 * i);
        c.set("ptminx", 100.0 + (i % 50));
        list.append(std::move(c));
    }
    return list;
}

void BM_SaveDocument(benchmark::State& state) {
    const PlistValue list = caseList(static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        Bytes bytes = KeyedArchiver::archivedData(list, "list");
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    state.counters["bytes_per_case"] = static_cast<double>(size) / static_cast<double>(state.range(0));
}
BENCHMARK(BM_SaveDocument)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_OpenDocument(benchmark::State& state) {
    const LogSink previous = setLogSink([](const std::string&) {});
    Bytes bytes = KeyedArchiver::archivedData(caseList(static_cast<int>(state.range(0))), "list");
    auto document = HeadlessWorkbench::newDocument();
    double added = 0;
    for (auto _ : state) {
        const double before = heapInUse();
        const IoResult r = document->readFromData(bytes);
        added = heapInUse() - before;
        if (!r.ok() || document->caseCount() != state.range(0)) state.SkipWithError("not read");
    }
    state.counters["open_adds_MB"] = added / 1e6;
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    setLogSink(previous);
}
// The archive decoded alone, without the document's checks and restore.
void BM_DecodeArchive(benchmark::State& state) {
    Bytes bytes = KeyedArchiver::archivedData(caseList(static_cast<int>(state.range(0))), "list");
    for (auto _ : state) {
        PlistValue list = KeyedUnarchiver::unarchivedValue(bytes, "list");
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_DecodeArchive)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_OpenDocument)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
