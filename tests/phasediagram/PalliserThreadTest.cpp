// The H2O-NaCl phase-diagram model computed in two threads at once, each with a model of its
// own, against the same fluid states computed serially.
#include <memory>

#include "phasediagram/PalliserModel.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::Numbers;
using testing_support::spreadPoint;
using testing_support::ThreadWork;

// Fluid densities and phase regions of 5 (thread 0) or 20 wt % NaCl (thread 1) at 300 to
// 700 degC and 100 to 1000 bar.
ThreadWork brineStates() {
    auto start = [](int thread) -> std::function<Numbers(int)> {
        auto model = std::make_shared<PalliserModel>();
        const double salinity = thread == 0 ? 0.05 : 0.2;
        return [model, salinity](int k) {
            const double rho = model->calculateFluidDensity(
                spreadPoint(k, 300, 700, 0.6180339887, false),
                spreadPoint(k, 100, 1000, 0.4142135624, true), salinity, -1.0);
            const PhaseDiagramInfo& s = model->state();
            return Numbers{rho, double(s.region), double(s.failed), s.pressure, s.density};
        };
    };
    return {"PalliserModel", start, 100};
}

VORNEX_THREAD_SUITE(PhaseDiagram, brineStates());

}  // namespace
}  // namespace vornex
