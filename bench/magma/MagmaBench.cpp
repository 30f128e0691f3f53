// Cost of the magma models: the Holloway H2O-CO2 fluid at 1000 K and 1 kbar (its term at
// fourth order, a state from (T, V), a state from (T, P)); a melt saturation point of each
// volatile system of basalt at 1200 degC and 1 kbar; a chamber pressure at 5 % crystals.
#include <benchmark/benchmark.h>

#include "magma/Holloway.h"
#include "magma/TaitJaupart.h"
#include "magma/VolatileCalc.h"

namespace vornex {
namespace {

HollowayEOS& mixture() {
    static HollowayEOS fluid(1);
    fluid.composition(0.6, 0.4);
    fluid.calculateFromTP(1000.0, 1000.0, 0);
    return fluid;
}

void HollowayTerm(benchmark::State& state) {
    HollowayEOS& fluid = mixture();
    for (auto _ : state) {
        fluid.interaction[0]->calculate();
        benchmark::DoNotOptimize(fluid.interaction[0]->table[0]);
    }
}
BENCHMARK(HollowayTerm);

void HollowayFromTV(benchmark::State& state) {
    HollowayEOS& fluid = mixture();
    const double V = fluid.V;
    for (auto _ : state) {
        fluid.calculateFromTV(1000.0, V, 0);
        benchmark::DoNotOptimize(fluid.P);
    }
}
BENCHMARK(HollowayFromTV);

void HollowayFromTP(benchmark::State& state) {
    HollowayEOS& fluid = mixture();
    for (auto _ : state) {
        fluid.calculateFromTP(1000.0, 1000.0, 0);
        benchmark::DoNotOptimize(fluid.V);
    }
}
BENCHMARK(HollowayFromTP);

void MeltSaturationPoint(benchmark::State& state) {
    VolatileCalc melt;
    melt.temperature = 1473.15;
    melt.volatileSystem = static_cast<int>(state.range(0));
    melt.waterContent = 2.0;
    for (auto _ : state) {
        melt.calculateSaturationPoint(1e8);
        benchmark::DoNotOptimize(melt.co2Content);
    }
}
BENCHMARK(MeltSaturationPoint)->Arg(kH2OOnly)->Arg(kCO2Only)->Arg(kH2OCO2);

void ChamberPressure(benchmark::State& state) {
    TaitJaupart chamber;
    chamber.setInitialData(1000, 1e8, 0.0, 0.05, 0.0);
    for (auto _ : state) {
        chamber.calculateOverpressure(0.05);
        benchmark::DoNotOptimize(chamber.P);
    }
}
BENCHMARK(ChamberPressure);

}  // namespace
}  // namespace vornex
