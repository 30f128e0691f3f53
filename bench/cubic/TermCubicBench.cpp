// Cost ladder of the term-based SRK fluid at the state of the closed-form ladder (CH4-CO2-nC4,
// 320 K, 80 bar, liquid side): the attraction's graph to fourth order, the pressure at a
// volume, the volume from (T, P) through the cubic in Z, fugacities, state functions.
#include <benchmark/benchmark.h>

#include "cubic/TermCubic.h"

namespace {

using vornex::SRK1;

template <class Step>
void BM_Srk1(benchmark::State& state, Step step) {
    SRK1 fluid(2, 0);
    fluid.number_of_components(3);
    fluid.add_components("CH4", "CO2", "nC4");
    fluid.composition(0.3, 0.2, 0.5);
    fluid.calculateFromTP(320.0, 80.0, 0);
    for (auto _ : state) benchmark::DoNotOptimize(step(fluid));
}

BENCHMARK_CAPTURE(BM_Srk1, AttractionOrder4, [](SRK1& f) {
    f.attraction()->calculate();
    return f.attraction()->root->value();
});
BENCHMARK_CAPTURE(BM_Srk1, Pressure, [](SRK1& f) { return f.calculate_pressure(); });
BENCHMARK_CAPTURE(BM_Srk1, VolumeFromTP, [](SRK1& f) {
    f.calculate_molar_volume();
    return f.V;
});
BENCHMARK_CAPTURE(BM_Srk1, Fugacities, [](SRK1& f) {
    f.calculate_fugacities();
    return f.lnPhi[0];
});
BENCHMARK_CAPTURE(BM_Srk1, StateFunctions, [](SRK1& f) { return f.calculate_state_functions(); });

}  // namespace
