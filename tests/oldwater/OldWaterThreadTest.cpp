// The older water formulations computed in two threads at once, each with a model of its
// own, against the same states computed serially.
#include <memory>

#include "oldwater/HGK.h"
#include "oldwater/Keenan.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidStates;

VORNEX_THREAD_SUITE(OldWater,
                    fluidStates("HGK", [] { return std::make_unique<HGK>(2); }, {}, {280, 1200},
                                {1, 1000}),
                    fluidStates("Keenan", [] { return std::make_unique<Keenan>(2); }, {},
                                {280, 1200}, {1, 1000}));

}  // namespace
}  // namespace vornex
