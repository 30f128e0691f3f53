// Cost ladder of one fluid at one state, binary van der Waals mixture at 320 K, 40 bar:
// pressure (order 2 in V only), state functions (order 3), fugacities (order 2, all
// variables), the critical-parameter table (order 4), and the volume solve from (T, P).
#include <benchmark/benchmark.h>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"

namespace {

using vornex::FluidPhase;

std::unique_ptr<FluidPhase> preparedFluid() {
    auto fluid = vornex::testing::makeVanDerWaalsMixture();
    fluid->composition(0.7, 0.3);
    fluid->calculateFromTP(320.0, 40.0, 0);
    return fluid;
}

void BM_Pressure(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) benchmark::DoNotOptimize(fluid->calculate_pressure());
}
BENCHMARK(BM_Pressure);

void BM_StateFunctions(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) benchmark::DoNotOptimize(fluid->calculate_state_functions());
}
BENCHMARK(BM_StateFunctions);

void BM_Fugacities(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) {
        fluid->calculate_fugacities();
        benchmark::DoNotOptimize(fluid->fugacity[0]);
    }
}
BENCHMARK(BM_Fugacities);

void BM_CriticalTable(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) {
        fluid->interaction[0]->calculate_critical_parameters();
        benchmark::DoNotOptimize(fluid->interaction[0]->table[0]);
    }
}
BENCHMARK(BM_CriticalTable);

void BM_VolumeFromTP(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) {
        fluid->calculate_molar_volume();
        benchmark::DoNotOptimize(fluid->V);
    }
}
BENCHMARK(BM_VolumeFromTP);

}  // namespace
