// The Duan-Moller-Weare, Kreglewski and Lee-Kessler fluids in the history-independence
// suite.
#include <memory>

#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "dkl/LeeKessler.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::HistoryModel;

template <class Model, class... Args>
std::function<std::unique_ptr<FluidPhase>()> fluid(std::vector<const char*> names, Args... args) {
    return [names, args...] {
        auto f = std::make_unique<Model>(args...);
        f->number_of_components(static_cast<int>(names.size()));
        for (const char* name : names) f->add_component(name);
        return std::unique_ptr<FluidPhase>(std::move(f));
    };
}

VORNEX_HISTORY_SUITE(
    Dkl,
    HistoryModel{"DMW1_CO2", fluid<DMW1>({"CO2"}, 1), {{350, 100}, {600, 1000}},
                 {{350, 1.9e-4}}, {}, 280},
    HistoryModel{"DMW1_N2", fluid<DMW1>({"N2"}, 1), {{300, 1000}}, {{500, 1e-4}}, {}, 0},
    HistoryModel{"DuanH2O", [] { return std::make_unique<DuanH2O>(2, 0); }, {{700, 500}},
                 {{800, 1e-4}}, {}, 500},
    HistoryModel{"LeeKessler_CH4", fluid<LK_EOS>({"CH4"}, 1), {{300, 100}, {400, 50}}, {}, {}, 0},
    HistoryModel{"LeeKessler_CH4_CO2", fluid<LK_EOS>({"CH4", "CO2"}, 1), {{300, 100}}, {},
                 {{0.5, 0.5}, {0.9, 0.1}}, 0},
    HistoryModel{"Kreglewski_CO2", fluid<Kreglewski_EOS>({"CO2"}, 1), {{350, 100}},
                 {{350, 1.9e-4}}, {}, 0});

}  // namespace
}  // namespace vornex
