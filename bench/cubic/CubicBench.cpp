// Cost ladder of the closed-form SRK fluid, CH4-CO2-nC4 at 320 K, 80 bar (liquid side):
// pressure at a volume, the volume from (T, P) through the cubic in Z, fugacities with
// their derivatives, departure functions, and the pseudo-critical point.
#include <benchmark/benchmark.h>

#include "cubic/ClassicalCubic0.h"

namespace {

using vornex::ClassicalSRK;

// One operation of the prepared fluid per iteration.
template <class Step>
void BM_Srk(benchmark::State& state, Step step) {
    ClassicalSRK fluid(2);
    fluid.number_of_components(3);
    fluid.add_components("CH4", "CO2", "nC4");
    fluid.composition(0.3, 0.2, 0.5);
    fluid.calculateFromTP(320.0, 80.0, 0);
    for (auto _ : state) benchmark::DoNotOptimize(step(fluid));
}

BENCHMARK_CAPTURE(BM_Srk, Pressure, [](ClassicalSRK& f) { return f.calculate_pressure(); });
BENCHMARK_CAPTURE(BM_Srk, VolumeFromTP, [](ClassicalSRK& f) {
    f.calculate_molar_volume();
    return f.V;
});
BENCHMARK_CAPTURE(BM_Srk, Fugacities, [](ClassicalSRK& f) {
    f.calculate_fugacities();
    return f.dlnfdx[0][0];
});
BENCHMARK_CAPTURE(BM_Srk, StateFunctions,
                  [](ClassicalSRK& f) { return f.calculate_state_functions(); });
BENCHMARK_CAPTURE(BM_Srk, PseudoCriticalPoint, [](ClassicalSRK& f) {
    double Tc, Pc, Vc;
    f.calculate_the_pseudo_critical_point(Tc, Pc, Vc);
    return Tc;
});

}  // namespace
