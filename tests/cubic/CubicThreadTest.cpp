// A term cubic mixture computed in two threads at once, each with a model of its own,
// against the same states computed serially.
#include <memory>

#include "cubic/TermCubic.h"
#include "support/FluidOf.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidOf;
using testing_support::fluidStates;

VORNEX_THREAD_SUITE(Cubic, fluidStates("PRSV_H2O_CO2", fluidOf<PRSV>({"H2O", "CO2"}, 2, 0),
                                       {{0.3, 0.7}, {0.7, 0.3}}, {300, 900}, {1, 1000}));

}  // namespace
}  // namespace vornex
