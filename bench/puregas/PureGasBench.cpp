// Cost of the pure-gas models, one ladder per model at a dense supercritical state of its
// gas: the terms at fourth order, a state from (T, V), a state from (T, P), and a
// saturation pressure below the critical point.
#include <benchmark/benchmark.h>

#include "puregas/AnderkoCO2.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"

namespace vornex {
namespace {

// T (K), P (bar) of the one-phase state and the saturation temperature (K).
template <class Model>
struct Conditions;
template <>
struct Conditions<Jacobsen> {
    static constexpr double T = 300, P = 100, Tsat = 100;
};
template <>
struct Conditions<IUPACCH4> {
    static constexpr double T = 250, P = 500, Tsat = 150;
};
template <>
struct Conditions<DuanCH4> : Conditions<IUPACCH4> {};
template <>
struct Conditions<IUPACCO2> {
    static constexpr double T = 673.15, P = 1000, Tsat = 273.15;
};
template <>
struct Conditions<Sterner> : Conditions<IUPACCO2> {};
template <>
struct Conditions<DuanCO2> : Conditions<IUPACCO2> {};
template <>
struct Conditions<AnderkoCO2> : Conditions<IUPACCO2> {};

template <class Model>
void Terms(benchmark::State& state) {
    Model model(1);
    model.calculateFromTP(Conditions<Model>::T, Conditions<Model>::P, 0);
    for (auto _ : state)
        for (Interaction* term : model.interaction) {
            term->calculate();
            benchmark::DoNotOptimize(term->table[0]);
        }
}

template <class Model>
void FromTV(benchmark::State& state) {
    Model model(1);
    model.calculateFromTP(Conditions<Model>::T, Conditions<Model>::P, 0);
    const double V = model.V;
    for (auto _ : state) {
        model.calculateFromTV(Conditions<Model>::T, V, 0);
        benchmark::DoNotOptimize(model.P);
    }
}

template <class Model>
void FromTP(benchmark::State& state) {
    Model model(1);
    for (auto _ : state) {
        model.calculateFromTP(Conditions<Model>::T, Conditions<Model>::P, 0);
        benchmark::DoNotOptimize(model.V);
    }
}

template <class Model>
void SaturationPressure(benchmark::State& state) {
    Model model(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.calculateTheSaturationPressure(Conditions<Model>::Tsat));
}

#define PURE_GAS_LADDER(Model)         \
    BENCHMARK_TEMPLATE(Terms, Model);  \
    BENCHMARK_TEMPLATE(FromTV, Model); \
    BENCHMARK_TEMPLATE(FromTP, Model)

PURE_GAS_LADDER(Jacobsen);
PURE_GAS_LADDER(IUPACCH4);
PURE_GAS_LADDER(DuanCH4);
PURE_GAS_LADDER(IUPACCO2);
PURE_GAS_LADDER(Sterner);
PURE_GAS_LADDER(DuanCO2);
PURE_GAS_LADDER(AnderkoCO2);
BENCHMARK_TEMPLATE(SaturationPressure, Jacobsen);
BENCHMARK_TEMPLATE(SaturationPressure, IUPACCH4);
BENCHMARK_TEMPLATE(SaturationPressure, IUPACCO2);
BENCHMARK_TEMPLATE(SaturationPressure, Sterner);

}  // namespace
}  // namespace vornex
