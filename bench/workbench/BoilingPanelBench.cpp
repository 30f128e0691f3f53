// The boiling panel's recompute after an edit, in both ways of converting pressure to depth in
// the upper layer: with the density of the bubble-point liquid where the geotherm meets it, and
// integrated over the boiling column ("UseSimple").
#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "workbench/HeadlessWorkbench.h"

namespace {

using namespace vornex;

struct Column {
    const char* what;
    std::vector<std::pair<const char*, double>> inputs;
};

const Column kColumns[] = {
    {"start values", {}},
    {"3000 m of water at 0.04 degC/m",
     {{"mBoilT0", 0}, {"mBoilH10", 3000}, {"mBoildTdz1", 0.04}, {"mBoilNaCl2", 0}}},
    {"2000 m of 5 wt % at 0.1 degC/m",
     {{"mBoilT0", 0}, {"mBoilH10", 2000}, {"mBoildTdz1", 0.1}, {"mBoilNaCl2", 5}}},
    {"hot shallow top",
     {{"mBoilH0", 10}, {"mBoilT0", 134.6}, {"mBoilP0", 92.3}, {"mBoilH10", 130.3},
      {"mBoildTdz1", 8}, {"mBoilNaCl2", 9.7}}},
    {"26 wt % from 0 degC", {{"mBoilNaCl2", 26}}},
    {"45 wt % from 400 degC",
     {{"mBoilT0", 400}, {"mBoilP0", 300}, {"mBoilNaCl2", 45}, {"mBoildTdz1", 0.5}}},
    // A brine of more salt than its top dissolves: refused before any search.
    {"97.7 wt % from 134.6 degC",
     {{"mBoilH0", 10}, {"mBoilT0", 134.6}, {"mBoilP0", 92.3}, {"mBoilH10", 130.3},
      {"mBoildTdz1", 8}, {"mBoilNaCl2", 97.7}, {"mBoilH3", 103.6}, {"mBoildTdz3", 6.2},
      {"mBoilRho3", 271.6}, {"mBoilH4", 95.8}, {"mBoilNaCl4", 10}}},
};

// Each iteration edits the upper layer's thickness by a metre and back, so that every edit
// recomputes the whole panel.
void BM_BoilingPanelEdit(benchmark::State& state) {
    const Column& column = kColumns[state.range(0)];
    const bool integrated = state.range(1) != 0;
    auto document = HeadlessWorkbench::newDocument();
    HeadlessWorkbench driver(*document);
    driver.check("mBoilUseSimple", integrated);
    for (auto [field, v] : column.inputs) driver.type(field, v);
    const double H10 = document->form().value("mBoilH10");
    bool up = false;
    for (auto _ : state) {
        driver.type("mBoilH10", up ? H10 : H10 + 1);
        up = !up;
        benchmark::DoNotOptimize(document->form().text("mBoilH1"));
    }
    state.SetLabel(std::string(column.what) + (integrated ? ", integrated" : ", point density"));
}
BENCHMARK(BM_BoilingPanelEdit)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
