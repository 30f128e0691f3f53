// The reference water model computed in two threads at once, each with a model of its own,
// against the same states computed serially.
#include <memory>

#include "support/ThreadIndependenceSuite.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using testing_support::fluidStates;

VORNEX_THREAD_SUITE(Water, fluidStates(
                               "WagnerPruss", [] { return std::make_unique<WagnerPruss>(2); }, {},
                               {280, 1200}, {1, 1000}, 1000));

}  // namespace
}  // namespace vornex
