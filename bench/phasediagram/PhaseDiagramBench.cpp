// Cost of the H2O-NaCl phase-diagram model as the workbench uses it: a model with its three
// base curves when a document opens, then, on every edit, one state with the curves drawn
// through it (isopleths, isotherms, isobars, isochore).
#include <benchmark/benchmark.h>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

void BM_ModelWithBaseCurves(benchmark::State& state) {
    for (auto _ : state) {
        PalliserModel model;
        CurveArray nacl, critical, slv;
        model.calculateNaClSatCurve(nacl);
        model.calculateCriticalCurve(critical);
        model.calculateSLVCurve(slv);
        benchmark::DoNotOptimize(slv.data());
    }
}
BENCHMARK(BM_ModelWithBaseCurves)->Unit(benchmark::kMillisecond);

// States over the diagram: 300 degC, 88 bar, 30 wt % (the workbench's default), a supercritical
// brine, a vapour-rich high-temperature state and a compressed liquid above 1000 bar.
void BM_State(benchmark::State& state) {
    PalliserModel model;
    const double states[][3] = {
        {300.0, 88.0, 0.3}, {500.0, 1000.0, 0.1}, {900.0, 100.0, 0.2}, {500.0, 2000.0, 0.2}};
    const auto& s = states[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(model.calculateFluidDensity(s[0], s[1], s[2], -1));
}
BENCHMARK(BM_State)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// One edit of the default state: the state, then the curves the workbench draws through it.
void BM_StateWithItsCurves(benchmark::State& state) {
    PalliserModel model;
    const double T = 300.0, P = 88.0, x = 0.3, w = 30.0;
    for (auto _ : state) {
        double rho = model.calculateFluidDensity(T, P, x, -1.0);
        double Tc = model.fluidCriticalTemperature, Pc = model.fluidCriticalPressure;
        double rhoc = model.fluidCriticalDensity;
        CurveArray a;
        model.calculateHaliteLiquidIsopleth(a, x, T);
        model.calculateHaliteGasIsopleth(a, x);
        model.calculateLiquidIsopleth(a, w, Tc, 100.0);
        model.calculateGasIsopleth(a, w, 300.0, Tc, Pc, rhoc);
        model.calculateHaliteLiquidIsotherm(a, T);
        model.calculateHaliteGasIsotherm(a, T);
        model.calculateLiquidGasIsotherm(a, T);
        model.calculateIsobaricHaliteLiquidCurve(a, P, 0.0, 1000.0);
        model.calculateIsobaricHaliteGasCurve(a, P, 0.0, 800.0);
        model.calculateIsobaricLiquidGas1(a, P, 1000.0, 374.15);
        model.calculateIsobaricLiquidGas2(a, P, 400.0, 1000.0);
        model.calculateTheIsochor(a, x, T, P, 100.0, rho);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(BM_StateWithItsCurves)->Unit(benchmark::kMillisecond);

// A liquid isochore from 2000 bar down to its homogenisation near 269 degC (232 rows).
void BM_IsochoreFromAbove1000Bar(benchmark::State& state) {
    PalliserModel model;
    const double rho = model.calculateFluidDensity(500.0, 2000.0, 0.2, -1.0);
    for (auto _ : state) {
        CurveArray a;
        model.calculateTheIsochor(a, 0.2, 500.0, 2000.0, 100.0, rho);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(BM_IsochoreFromAbove1000Bar)->Unit(benchmark::kMillisecond);

// Salinity and density of an inclusion from its homogenisation and halite dissolution.
void BM_InclusionFromThTm(benchmark::State& state) {
    PalliserModel model;
    double x = 0.0, rho = 0.0, Pm = 0.0, Ph = 0.0, phiV = 0.0;
    for (auto _ : state) {
        model.calculateFromThTm(161.52, 65.05, x, rho, 0.0, 0.0, 0.3, 1000.0, Pm, Ph, phiV);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_InclusionFromThTm)->Unit(benchmark::kMicrosecond);

// A dew point, which brackets its own root on a scan of the surface (500 degC, 0.1 wt %), and
// a bubble point in the zone carried from the water into the critical branch (378 degC,
// 20 wt %), which halves on the liquid salinity.
void BM_DewAndCarriedBubblePoint(benchmark::State& state) {
    PalliserModel model;
    double P = 0.0, x = 0.0, rhoL = 0.0, rhoV = 0.0;
    for (auto _ : state) {
        P = 0.0;
        model.calculateDewPoint(500.0, 0.001, P, x, rhoL, rhoV);
        benchmark::DoNotOptimize(P);
        model.calculateBubblePoint(378.0, 0.2, P, x, rhoL, rhoV);
        benchmark::DoNotOptimize(P);
    }
}
BENCHMARK(BM_DewAndCarriedBubblePoint)->Unit(benchmark::kMicrosecond);

// The first liquid state of a salinity, which tabulates what the liquid rule keeps of it (the
// salinity changes every iteration), and the scan of an inclusion for the temperatures at which
// it splits again after its homogenisation (5 wt %, 482 kg/m3, Th 383.44 degC).
void BM_FirstStateOfASalinity(benchmark::State& state) {
    PalliserModel model;
    double x = 0.1;
    for (auto _ : state) {
        x = x < 0.3 ? x + 1e-4 : 0.1;
        benchmark::DoNotOptimize(model.calculateFluidDensity(450.0, 1500.0, x, -1));
    }
}
BENCHMARK(BM_FirstStateOfASalinity)->Unit(benchmark::kMillisecond);

void BM_SplitsAfterHomogenisation(benchmark::State& state) {
    PalliserModel model;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.splitsAfterHomogenisation(0.05, 482.0, 383.44).size());
}
BENCHMARK(BM_SplitsAfterHomogenisation)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornex
