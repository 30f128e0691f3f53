// Cost of the Duan, Kreglewski and Lee-Kessler models, as a ladder: each term's graph by
// derivative order (value to fourth order, and the volume derivatives to second order a
// volume solve asks for, -1), then a (T, P) state of each fluid.
#include <benchmark/benchmark.h>

#include <memory>

#include "dkl/Duan.h"
#include "dkl/DuanModels.h"
#include "dkl/HCB.h"
#include "dkl/Kreglewski.h"
#include "dkl/KreglewskiEOS.h"
#include "dkl/LeeKessler.h"

namespace vornex {
namespace {

// One configured term of each family at a dense-gas state.
std::unique_ptr<Interaction> makeTerm(int kind) {
    if (kind == 0) {
        auto term = std::make_unique<Duan1>();
        term->number_of_components(1);
        const DuanGas* co2 = findDuanGas("CO2", false);
        term->set_parameters(co2->Tc, co2->Pc, co2->constants);
        return term;
    }
    if (kind == 1) {
        auto term = std::make_unique<Duan2>();
        term->number_of_components(2);
        const DuanGas* co2 = findDuanGas("CO2", false);
        const DuanGas* h2o = findDuanGas("H2O", false);
        term->set_parameters(0, co2->Tc, co2->Pc, co2->constants);
        term->set_parameters(1, h2o->Tc, h2o->Pc, h2o->constants);
        term->selector = kDuanCO2H2O;
        term->x = {0.3, 0.7};
        return term;
    }
    const KreglewskiComponent& ch4 = *findKreglewskiComponent("CH4");
    if (kind == 2) {
        auto term = std::make_unique<HCB1>();
        term->number_of_components(1);
        term->set_parameters(ch4.alpha, ch4.V00, ch4.u0k, 0.12);
        return term;
    }
    auto term = std::make_unique<Kreglewski1>();
    term->number_of_components(1);
    term->set_parameters(ch4.V00, ch4.u0k, ch4.etak, 0.12);
    return term;
}

void TermOrder(benchmark::State& state) {
    auto term = makeTerm(static_cast<int>(state.range(0)));
    term->T = 500.0;
    term->V = 1.5e-4;
    const int order = static_cast<int>(state.range(1));
    for (auto _ : state) {
        if (order < 0) {
            term->calculate_Z();
        } else {
            term->assignVariables();
            term->calculate_the_leaves(term->box.data());
            term->root->calculate(order);
        }
        benchmark::DoNotOptimize(term->root->value());
    }
}
// Kinds: 0 Duan1 (CO2), 1 Duan2 (CO2-H2O), 2 HCB1 (CH4), 3 Kreglewski1 (CH4).
BENCHMARK(TermOrder)->ArgsProduct({{0, 1, 2, 3}, {-1, 0, 1, 2, 3, 4}});

// One fluid of one component, its state from (T, P) each time.
template <class Fluid>
void stateFromTP(benchmark::State& state, const char* component, double TK, double Pbar) {
    Fluid fluid(1);
    fluid.number_of_components(1);
    fluid.add_components(component);
    for (auto _ : state) {
        fluid.calculateFromTP(TK, Pbar, 0);
        benchmark::DoNotOptimize(fluid.V);
    }
}

void DuanStateFromTP(benchmark::State& state) {
    stateFromTP<DMW1>(state, "CO2", 500.0, 200.0);
}
BENCHMARK(DuanStateFromTP);

void KreglewskiStateFromTP(benchmark::State& state) {
    stateFromTP<Kreglewski_EOS>(state, "CH4", 250.0, 100.0);
}
BENCHMARK(KreglewskiStateFromTP);

// Two reference-fluid volume searches and the interpolation.
void LeeKesslerVolume(benchmark::State& state) {
    LK_EOS fluid(1);
    fluid.number_of_components(1);
    fluid.add_components("CO2");
    double P = 5e6;
    for (auto _ : state) {
        fluid.temperature(400.0);
        fluid.Pascal(P);
        fluid.describe();
        P = P == 5e6 ? 5.0001e6 : 5e6;  // a new state each time
        benchmark::DoNotOptimize(fluid.V);
    }
}
BENCHMARK(LeeKesslerVolume);

}  // namespace
}  // namespace vornex
