// The bubble isopleth of Peng-Robinson CO2-CH4-C3H8 (0.75, 0.15, 0.10) from 230 K down in
// steps of 2 K to where the feed's liquid splits (138.035 K): some 47 rows, each solved, and
// the tangent-plane tests of the rows, with the bisection of the first loss of stability
// (which the tracer says on standard error, once a run).
#include <benchmark/benchmark.h>

#include "cubic/ClassicalCubic0.h"
#include "vle/IFP.h"

namespace {

using vornex::ClassicalCubic0;

void BM_BubbleIsoplethToTheThreePhasePoint(benchmark::State& state) {
    const char* names[] = {"CO2", "CH4", "C3H8"};
    const double z[] = {0.75, 0.15, 0.10};
    for (auto _ : state) {
        ClassicalCubic0 liquid(vornex::kPengRobinson, 2), vapour(vornex::kPengRobinson, 1);
        for (ClassicalCubic0* f : {&liquid, &vapour}) {
            f->number_of_components(3);
            for (const char* name : names) f->add_component(name);
        }
        vornex::IFP ifp(liquid, vapour);
        ifp.number_of_components(3);
        for (const char* name : names) ifp.add_component(name);
        for (int i = 0; i < 3; ++i) ifp.composition(i, z[i]);
        vornex::CurveArray rows;
        ifp.calculate_an_isopleth(230.0, 0.0, nullptr, "", 100.0, 600.0, -2.0, 5e5, 0,
                                  vornex::kCurveArray, &rows);
        if (rows.size() < 40 * 13) state.SkipWithError("the isopleth ended short");
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_BubbleIsoplethToTheThreePhasePoint)->Unit(benchmark::kMillisecond);

}  // namespace
