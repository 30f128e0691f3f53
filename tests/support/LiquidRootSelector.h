// The liquid selector's contract (FluidPhase.h): from the liquid side the volume solve gives
// the stable root of smallest volume, the vapour only where the liquid branch has no root at
// that pressure. Below the critical temperature the liquid branch runs from the saturated
// liquid, expanding, down to its spinodal: where its pressure falls below P on the way, the
// liquid has a root there.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

// The volume on the liquid branch where the isotherm at TK passes Pbar, bracketed by a scan
// from the saturated liquid that ends at the spinodal; 0 where it does not pass it.
inline double liquidBranchRoot(FluidPhase& model, double TK, double Pbar) {
    model.calculateTheSaturationPressure(TK);
    if (model.error != 0) return 0.0;
    double V = model.Vl;
    for (int k = 0; k < 4000; ++k) {
        const double next = V * 1.001;
        model.calculateFromTV(TK, next, 0);
        if (!(model.dPdV < 0.0)) return 0.0;
        if (model.P < Pbar * 1e5) return next;
        V = next;
    }
    return 0.0;
}

// The scan's saturation solve leaves its volumes as the model's next starts: the selector
// is asked from the starts the model had.
inline void expectLiquidSelectorFindsTheLiquid(FluidPhase& model, double TK, double Pbar) {
    const double Vl0 = model.Vl0, Vv0 = model.Vv0;
    const double root = liquidBranchRoot(model, TK, Pbar);
    model.Vl0 = Vl0;
    model.Vv0 = Vv0;
    ASSERT_GT(root, 0.0) << TK << " K: no liquid root at " << Pbar << " bar";
    model.set_the_phase_as(2);
    model.calculateFromTP(TK, Pbar, 0);
    ASSERT_EQ(model.error, 0) << TK;
    EXPECT_NEAR(model.V / root, 1.0, 2e-3) << TK << " K, " << Pbar << " bar";
    EXPECT_NEAR(model.P / (Pbar * 1e5), 1.0, 1e-7) << TK;
}

}  // namespace vornex::testing_support
