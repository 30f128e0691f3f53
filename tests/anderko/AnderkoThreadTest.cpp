// The Anderko-Pitzer brine computed in two threads at once, each with a model of its own,
// against the same states computed serially, in the model's range above 573.1 K.
#include <memory>

#include "anderko/Anderko.h"
#include "support/ThreadIndependenceSuite.h"

namespace vornex {
namespace {

using testing_support::fluidStates;

VORNEX_THREAD_SUITE(Anderko, fluidStates(
                                 "AnderkoH2ONaCl",
                                 [] {
                                     auto m = std::make_unique<Anderko>(2);
                                     m->setSystemCode(10);
                                     return std::unique_ptr<FluidPhase>(std::move(m));
                                 },
                                 {{0.95, 0.05}, {0.9, 0.1}}, {673.15, 1073.15}, {100, 1000}, 100));

}  // namespace
}  // namespace vornex
