// The reference water model in the identity suite of every equation of state.
#include "support/EosIdentitySuite.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

VORNEX_EOS_IDENTITY_SUITE(
    Water, testing_support::EosModel{
               "WagnerPruss",
               [] { return std::make_unique<WagnerPruss>(2); },
               {{300.0, 1.807e-5}, {500.0, 2.0e-5}, {500.0, 2e-3}, {800.0, 1e-4}, {1000.0, 5e-4}},
               450.0});

}  // namespace
}  // namespace vornex
