// The Anderko-Pitzer models in the identity suite of every equation of state: pure water
// and the H2O-NaCl fluid (system code 10) at 10 mol % NaCl, in the model's high-temperature
// range.
#include "anderko/Anderko.h"
#include "anderko/AnderkoH2O.h"
#include "support/EosIdentitySuite.h"

namespace vornex {
namespace {

using testing_support::EosModel;

const std::vector<std::array<double, 2>> kStates = {
    {673.15, 3.5e-5}, {773.15, 6e-5}, {873.15, 2e-4}, {1073.15, 1e-3}};

VORNEX_EOS_IDENTITY_SUITE(Anderko,
                          EosModel{"AnderkoH2O", [] { return std::make_unique<AnderkoH2O>(2); },
                                   kStates, 573.15},
                          EosModel{"AnderkoH2ONaCl",
                                   [] {
                                       auto m = std::make_unique<Anderko>(2);
                                       m->setSystemCode(10);
                                       m->composition(0.9, 0.1);
                                       return std::unique_ptr<FluidPhase>(std::move(m));
                                   },
                                   kStates, 0.0});

}  // namespace
}  // namespace vornex
