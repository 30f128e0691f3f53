// Cost ladder of the closed-form SRK fluid, CH4-CO2-nC4 at 320 K, 80 bar (liquid side):
// pressure at a volume, the volume from (T, P) through the cubic in Z, fugacities with
// their derivatives, departure functions, and the pseudo-critical point.
#include <benchmark/benchmark.h>

#include <memory>

#include "cubic/ClassicalCubic0.h"

namespace {

using vornex::ClassicalSRK;

std::unique_ptr<ClassicalSRK> preparedFluid() {
    auto fluid = std::make_unique<ClassicalSRK>(2);
    fluid->number_of_components(3);
    fluid->add_components("CH4", "CO2", "nC4");
    fluid->composition(0.3, 0.2, 0.5);
    fluid->calculateFromTP(320.0, 80.0, 0);
    return fluid;
}

void BM_Pressure(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) benchmark::DoNotOptimize(fluid->calculate_pressure());
}
BENCHMARK(BM_Pressure);

void BM_VolumeFromTP(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) {
        fluid->calculate_molar_volume();
        benchmark::DoNotOptimize(fluid->V);
    }
}
BENCHMARK(BM_VolumeFromTP);

void BM_Fugacities(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) {
        fluid->calculate_fugacities();
        benchmark::DoNotOptimize(fluid->dlnfdx[0][0]);
    }
}
BENCHMARK(BM_Fugacities);

void BM_StateFunctions(benchmark::State& state) {
    auto fluid = preparedFluid();
    for (auto _ : state) benchmark::DoNotOptimize(fluid->calculate_state_functions());
}
BENCHMARK(BM_StateFunctions);

void BM_PseudoCriticalPoint(benchmark::State& state) {
    auto fluid = preparedFluid();
    double Tc, Pc, Vc;
    for (auto _ : state) {
        fluid->calculate_the_pseudo_critical_point(Tc, Pc, Vc);
        benchmark::DoNotOptimize(Tc);
    }
}
BENCHMARK(BM_PseudoCriticalPoint);

}  // namespace
