// Nitrogen's liquid from the liquid side of the volume solve: between 118 and 121 K at 1 bar
// its liquid branch falls from the saturated liquid through an inflection to its spinodal
// near 75 cm3/mol, and the solve gave the vapour (9,778 cm3/mol at 119.0 K) where the liquid
// lies at 66.42 cm3/mol.
#include <gtest/gtest.h>

#include "puregas/N2EOS.h"
#include "support/LiquidRootSelector.h"

namespace vornex {
namespace {

using testing_support::expectLiquidSelectorFindsTheLiquid;
using testing_support::liquidBranchRoot;

TEST(NitrogenLiquidSelector, GivesTheLiquidWhereItsBranchHasARoot) {
    Jacobsen n2(2);
    expectLiquidSelectorFindsTheLiquid(n2, 119.0, 1.0);
    EXPECT_NEAR(n2.V * 1e6, 66.42, 0.01);
    // From the melting line at 1 bar (63.3 K) up.
    for (double T = 65.0; T < 126.0; T += 0.5) {
        if (liquidBranchRoot(n2, T, 1.0) > 0.0) expectLiquidSelectorFindsTheLiquid(n2, T, 1.0);
    }
}

}  // namespace
}  // namespace vornex
