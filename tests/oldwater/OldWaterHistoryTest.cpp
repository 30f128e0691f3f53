// The water formulations in the history-independence suite: the reference model and the
// older ones.
#include <memory>

#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "support/HistoryIndependenceSuite.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using testing_support::HistoryModel;

template <class Model>
HistoryModel water(const char* name) {
    return {name, [] { return std::make_unique<Model>(2); }, {{300, 1}, {700, 500}},
            {{500, 2e-3}, {800, 1e-4}, {600, 3e-5}}, {}, 500};
}

VORNEX_HISTORY_SUITE(OldWater, water<WagnerPruss>("WagnerPruss"), water<HGK>("HGK"),
                     water<Hill>("Hill"), water<Saul>("Saul"), water<Keenan>("Keenan"));

}  // namespace
}  // namespace vornex
