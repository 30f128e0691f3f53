// The Duan-Moller-Weare, Kreglewski and Lee-Kessler fluids in the history-independence
// suite.
#include <memory>

#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "dkl/LeeKessler.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidOf;
using testing_support::HistoryModel;

VORNEX_HISTORY_SUITE(
    Dkl,
    HistoryModel{"DMW1_CO2", fluidOf<DMW1>({"CO2"}, 1), {{350, 100}, {600, 1000}},
                 {{350, 1.9e-4}}, {}, 280},
    HistoryModel{"DMW1_N2", fluidOf<DMW1>({"N2"}, 1), {{300, 1000}}, {{500, 1e-4}}, {}, 0},
    HistoryModel{"DuanH2O", [] { return std::make_unique<DuanH2O>(2, 0); }, {{700, 500}},
                 {{800, 1e-4}}, {}, 500},
    HistoryModel{"LeeKessler_CH4", fluidOf<LK_EOS>({"CH4"}, 1), {{300, 100}, {400, 50}}, {}, {}, 0},
    HistoryModel{"LeeKessler_CH4_CO2", fluidOf<LK_EOS>({"CH4", "CO2"}, 1), {{300, 100}}, {},
                 {{0.5, 0.5}, {0.9, 0.1}}, 0},
    HistoryModel{"Kreglewski_CO2", fluidOf<Kreglewski_EOS>({"CO2"}, 1), {{350, 100}},
                 {{350, 1.9e-4}}, {}, 0});

}  // namespace
}  // namespace vornex
