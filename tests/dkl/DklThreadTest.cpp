// The Duan-Moller-Weare and Kreglewski fluids computed in two threads at once, each with
// models of its own, against the same states computed serially: CO2-H2O at two compositions
// (the evaluation state of the expression graphs once shared by every model of the process
// gave some of these states wrong, some with the error flag clear), and the Kreglewski
// mixture.
#include <memory>

#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "support/FluidOf.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidOf;
using testing_support::fluidStates;

VORNEX_THREAD_SUITE(Dkl,
                    fluidStates("DMW2_CO2_H2O", fluidOf<DMW2>({"CO2", "H2O"}, 1),
                                {{0.3, 0.7}, {0.7, 0.3}}, {400, 1000}, {10, 2000}),
                    fluidStates("Kreglewski_CO2_CH4", fluidOf<Kreglewski_EOS>({"CO2", "CH4"}, 1),
                                {{0.3, 0.7}, {0.7, 0.3}}, {250, 600}, {1, 500}));

}  // namespace
}  // namespace vornex
