// Cost of the older water formulations next to the reference model, one ladder per model:
// the residual terms at fourth order, a state from (T, V), a state from (T, P) and a
// saturation pressure, at the IAPWS-95 check state 500 K, 838.025 kg/m3 (about 10 MPa).
#include <benchmark/benchmark.h>

#include <memory>

#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kT = 500.0;
constexpr double kV = kWaterMolarMass / 838.025;

template <class Model>
void Terms(benchmark::State& state) {
    Model model(2);
    model.calculateFromTV(kT, kV, 0);
    for (auto _ : state)
        for (Interaction* term : model.interaction) {
            term->calculate();
            benchmark::DoNotOptimize(term->table[0]);
        }
}

template <class Model>
void FromTV(benchmark::State& state) {
    Model model(2);
    for (auto _ : state) {
        model.calculateFromTV(kT, kV, 0);
        benchmark::DoNotOptimize(model.P);
    }
}

template <class Model>
void FromTP(benchmark::State& state) {
    Model model(2);
    for (auto _ : state) {
        model.calculateFromTP(kT, 100.0, 0);
        benchmark::DoNotOptimize(model.V);
    }
}

template <class Model>
void SaturationPressure(benchmark::State& state) {
    Model model(2);
    for (auto _ : state) benchmark::DoNotOptimize(model.calculateTheSaturationPressure(kT));
}

#define OLD_WATER_LADDER(Model)        \
    BENCHMARK_TEMPLATE(Terms, Model);  \
    BENCHMARK_TEMPLATE(FromTV, Model); \
    BENCHMARK_TEMPLATE(FromTP, Model); \
    BENCHMARK_TEMPLATE(SaturationPressure, Model)

OLD_WATER_LADDER(WagnerPruss);
OLD_WATER_LADDER(HGK);
OLD_WATER_LADDER(Hill);
OLD_WATER_LADDER(Saul);
OLD_WATER_LADDER(Keenan);

}  // namespace
}  // namespace vornex
