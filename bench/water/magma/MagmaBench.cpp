// Cost of the magma-water energetics on the reference water model, as a ladder: the
// expansion of one water state to 1 bar, then one cycle of each heating mode (preparation,
// peak search, expansion), one point of the energy diagram with ten recharges, and the
// whole diagram with and without the pyroclast-heated variant.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

// The default input record, its summary kept off the benchmark's output.
WaterMagmaCalculationInfo defaults(uint8_t heating, bool recharge) {
    WaterMagmaCalculationInfo info;
    info.heating = heating;
    if (recharge) info.recharge = 1;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    info.readArguments(0, nullptr);
    std::fflush(stdout);
    if (saved >= 0) dup2(saved, STDOUT_FILENO);
    if (null >= 0) close(null);
    if (saved >= 0) close(saved);
    return info;
}

void BM_ExpansionOfLiquidAt300CAnd100Bar(benchmark::State& state) {
    WagnerPruss water(2);
    for (auto _ : state) {
        water.set_the_phase_as(2);
        water.calculateFromTP(573.15, 100.0, 0);
        WaterMagmaCalculationResult r;
        water.calculateExpansionWorkOfState(r, 1.0);
        benchmark::DoNotOptimize(r.Wrev);
    }
}
BENCHMARK(BM_ExpansionOfLiquidAt300CAnd100Bar);

// Argument: heating mode (0 isochoric, 1 isobaric, 2 Wohletz).
void BM_DefaultCycle(benchmark::State& state) {
    WagnerPruss water(2);
    WaterMagmaCalculationInfo info = defaults(static_cast<uint8_t>(state.range(0)), false);
    for (auto _ : state) {
        WaterMagmaCalculationResult r;
        water.calculateWaterMagmaCycle(info, r, 0, 0);
        benchmark::DoNotOptimize(r.Wrev);
    }
}
BENCHMARK(BM_DefaultCycle)->Arg(0)->Arg(1)->Arg(2);

void BM_DiagramPointWithRecharges(benchmark::State& state) {
    WagnerPruss water(2);
    WaterMagmaCalculationInfo info = defaults(0, true);
    CurveArray points;
    for (auto _ : state) {
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptArray;
        points.clear();
        water.calculateEnergyDiagramPoint(0.5, info, r, &points);
        benchmark::DoNotOptimize(points.data());
    }
}
BENCHMARK(BM_DiagramPointWithRecharges);

// The whole energy diagram (309 mass ratios) of the default isochoric cycle with and
// without the pyroclast-heated variant, timed in the same run: the ratio is what the
// fragments' heating costs.
void BM_EnergyDiagramWithPyroclasts(benchmark::State& state) {
    WagnerPruss water(2);
    WaterMagmaCalculationInfo plain = defaults(0, false), pyroclast = plain;
    pyroclast.pyroclast = 1;
    double plainSeconds = 0.0, pyroclastSeconds = 0.0;
    int points = 0;
    auto time = [&](WaterMagmaCalculationInfo& info) {
        CurveArray array;
        const auto start = std::chrono::steady_clock::now();
        points = water.drawWaterMagmaDiagram(info, kScriptArray, 0, &array, 0.001, 7.0);
        benchmark::DoNotOptimize(array.data());
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        plainSeconds += time(plain);
        pyroclastSeconds += time(pyroclast);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_s"] = plainSeconds / n;
    state.counters["pyroclast_s"] = pyroclastSeconds / n;
    state.counters["pyroclast/plain"] = pyroclastSeconds / plainSeconds;
    state.counters["points"] = points;
}
BENCHMARK(BM_EnergyDiagramWithPyroclasts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vornex
