// The reference equations of carbon dioxide and methane computed in two threads at once,
// each with a model of its own, against the same states computed serially.
#include <memory>

#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidStates;

VORNEX_THREAD_SUITE(PureGas,
                    fluidStates("IUPACCO2", [] { return std::make_unique<IUPACCO2>(1); }, {},
                                {250, 1000}, {1, 1000}),
                    fluidStates("IUPACCH4", [] { return std::make_unique<IUPACCH4>(1); }, {},
                                {120, 600}, {1, 1000}));

}  // namespace
}  // namespace vornex
