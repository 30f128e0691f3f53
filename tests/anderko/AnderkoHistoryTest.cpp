// The Anderko-Pitzer fluids in the history-independence suite: pure water and the brine,
// in the model's range above 573.1 K.
#include <memory>

#include "anderko/Anderko.h"
#include "anderko/AnderkoH2O.h"
#include "support/HistoryIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::HistoryModel;

VORNEX_HISTORY_SUITE(
    Anderko,
    HistoryModel{"AnderkoH2O", [] { return std::make_unique<AnderkoH2O>(2); },
                 {{673.15, 500}, {873.15, 100}}, {{773.15, 6e-5}, {1073.15, 1e-3}}, {}, 600},
    HistoryModel{"AnderkoH2ONaCl",
                 [] {
                     auto m = std::make_unique<Anderko>(2);
                     m->setSystemCode(10);
                     return std::unique_ptr<FluidPhase>(std::move(m));
                 },
                 {{673.15, 500}, {873.15, 300}}, {{773.15, 6e-5}, {1073.15, 1e-3}},
                 {{0.95, 0.05}, {0.9, 0.1}, {0.99, 0.01}}});

}  // namespace
}  // namespace vornex
