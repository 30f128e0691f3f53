// Cost of the reference water model: the residual term's graph by derivative order, then
// states from (T, V) and from (T, P) over a grid of 10^4 liquid, vapour and supercritical
// states, then saturation pressures. Counters give nanoseconds per state.
#include <benchmark/benchmark.h>

#include <vector>

#include "water/Wagner.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr int kStates = 10000;

// T (K), density (kg/m3), pressure (bar) and the phase selector of one state.
struct GridState {
    double T, rho, Pbar;
    int phase;
};

// Thirds of the grid: compressed liquid 280-560 K at 100-1000 bar, vapour 450-1000 K at
// 0.1-5 bar, supercritical fluid 700-1200 K at 300-1000 bar; densities from the model.
const std::vector<GridState>& grid() {
    static const std::vector<GridState> states = [] {
        std::vector<GridState> g;
        WagnerPruss water(2);
        constexpr int side = 58;  // 3 * 58 * 58 >= 10^4
        for (int i = 0; g.size() < kStates; ++i) {
            const int region = i % 3;
            const double u = (i / 3 % side) / (side - 1.0),
                         v = (i / 3 / side % side) / (side - 1.0);
            GridState s{};
            if (region == 0) s = {280 + 280 * u, 0, 100 + 900 * v, 2};
            if (region == 1) s = {450 + 550 * u, 0, 0.1 + 4.9 * v, 1};
            if (region == 2) s = {700 + 500 * u, 0, 300 + 700 * v, 2};
            water.set_the_phase_as(s.phase);
            water.calculateFromTP(s.T, s.Pbar, 0);
            if (water.error != 0) continue;
            s.rho = water.rho;
            g.push_back(s);
        }
        return g;
    }();
    return states;
}

void perState(benchmark::State& state, int count) {
    // Inverted rate: seconds / (count 1e-9 iterations) = nanoseconds per state.
    state.counters["ns/state"] = benchmark::Counter(
        count * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The residual term alone: value (order 0) to fourth order, and the pure volume
// derivatives to second order that each step of a volume solve asks for (-1).
void ResidualTermOrder(benchmark::State& state) {
    Wagner term;
    term.number_of_components(1);
    term.T = 500.0;
    term.V = kWaterMolarMass / 838.025;
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (order < 0) {
            term.calculate_Z();
        } else {
            term.calculate_fixed_parameters();
            term.root->initialize_the_graph();
            term.root->calculate(order);
        }
        benchmark::DoNotOptimize(term.root->block());
    }
}
BENCHMARK(ResidualTermOrder)->ArgName("order")->Arg(-1)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4);

void CalculateFromTV(benchmark::State& state) {
    const auto& g = grid();
    WagnerPruss water(2);
    for (auto _ : state)
        for (const GridState& s : g) {
            water.calculateFromTV(s.T, kWaterMolarMass / s.rho, 0);
            benchmark::DoNotOptimize(water.P);
        }
    perState(state, static_cast<int>(g.size()));
}
BENCHMARK(CalculateFromTV)->Unit(benchmark::kMillisecond);

void CalculateFromTP(benchmark::State& state) {
    const auto& g = grid();
    WagnerPruss water(2);
    for (auto _ : state)
        for (const GridState& s : g) {
            water.set_the_phase_as(s.phase);
            water.calculateFromTP(s.T, s.Pbar, 0);
            benchmark::DoNotOptimize(water.V);
        }
    perState(state, static_cast<int>(g.size()));
}
BENCHMARK(CalculateFromTP)->Unit(benchmark::kMillisecond);

// Saturation pressures from 275 to 645 K in steps of 1 K: the auxiliary equation, and the
// model's own equal-fugacity solve from the water start volumes.
void SaturationPressureAuxiliary(benchmark::State& state) {
    for (auto _ : state)
        for (int T = 275; T <= 645; ++T)
            benchmark::DoNotOptimize(WaterEOS::saturationPressureWagnerPruss(T));
    perState(state, 371);
}
BENCHMARK(SaturationPressureAuxiliary);

void SaturationPressureModel(benchmark::State& state) {
    WagnerPruss water(2);
    for (auto _ : state)
        for (int T = 275; T <= 645; ++T) {
            water.calculateTheSaturationPressure(T);
            benchmark::DoNotOptimize(water.P);
        }
    perState(state, 371);
}
BENCHMARK(SaturationPressureModel)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornex
