// A gas-solubility model computed in two threads at once, each with a model of its own,
// against the same solubilities computed serially.
#include <memory>

#include "solubility/DMGWwater.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::Numbers;
using testing_support::spreadPoint;
using testing_support::ThreadWork;

// CO2 in NaCl brine of 0.5 (thread 0) or 2 mol/kg (thread 1), 273-573 K, 1-1000 bar.
ThreadWork carbonDioxideInBrine() {
    auto start = [](int thread) -> std::function<Numbers(int)> {
        std::shared_ptr<SolubilityModel> m = std::make_shared<DMGWwater>(SM_H2O_CO2_NaCl, 0);
        const double molality = thread == 0 ? 0.5 : 2.0;
        return [m, molality](int k) {
            m->calculate_gas_solubility(spreadPoint(k, 273.15, 573.15, 0.6180339887, false),
                                        spreadPoint(k, 1, 1000, 0.4142135624, true), molality);
            Numbers out{double(m->error), double(m->vapourError), m->mg, m->Vg, m->fv, m->yH2O};
            out.insert(out.end(), m->x.begin(), m->x.end());
            return out;
        };
    };
    return {"DMGW_H2O_CO2_NaCl", start, 500};
}

VORNEX_THREAD_SUITE(Solubility, carbonDioxideInBrine());

}  // namespace
}  // namespace vornex
