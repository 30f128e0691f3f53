// Flashes of the two-phase solver computed in two threads at once, each with its solver and
// fluid models of its own, against the same flashes computed serially.
#include <memory>
#include <vector>

#include "cubic/TermCubic.h"
#include "support/FluidOf.h"
#include "support/ThreadIndependenceSuite.h"
#include "vle/IFP.h"

namespace vornex {
namespace {

using testing_support::fluidOf;
using testing_support::Numbers;
using testing_support::spreadPoint;
using testing_support::ThreadWork;

// Flashes of H2O-CO2 on Peng-Robinson-Stryjek-Vera liquid and vapour models, the feed of
// thread t its own.
ThreadWork waterCarbonDioxideFlashes() {
    auto start = [](int thread) -> std::function<Numbers(int)> {
        struct Solver {
            std::unique_ptr<FluidPhase> liquid = fluidOf<PRSV>({"H2O", "CO2"}, 2, 0)();
            std::unique_ptr<FluidPhase> vapour = fluidOf<PRSV>({"H2O", "CO2"}, 1, 0)();
            std::unique_ptr<IFP> ifp = std::make_unique<IFP>(*liquid, *vapour);
        };
        auto s = std::make_shared<Solver>();
        s->ifp->number_of_components(2);
        s->ifp->add_component("H2O");
        s->ifp->add_component("CO2");
        const double water = thread == 0 ? 0.6 : 0.9;
        return [s, water](int k) {
            IFP& ifp = *s->ifp;
            ifp.composition(0, water);
            ifp.composition(1, 1.0 - water);
            ifp.set_type_of_problem(12);
            ifp.set_the_temperature(spreadPoint(k, 300, 550, 0.6180339887, false));
            ifp.set_the_pressure(spreadPoint(k, 10, 500, 0.4142135624, true));
            ifp.calculateVLE(2);
            Numbers out{static_cast<double>(ifp.status), ifp.current.nL, ifp.current.nV,
                        ifp.current.Fv, ifp.current.V};
            out.insert(out.end(), ifp.current.x.begin(), ifp.current.x.end());
            out.insert(out.end(), ifp.current.y.begin(), ifp.current.y.end());
            return out;
        };
    };
    return {"IFP_PRSV_H2O_CO2", start, 60};
}

VORNEX_THREAD_SUITE(Vle, waterCarbonDioxideFlashes());

}  // namespace
}  // namespace vornex
