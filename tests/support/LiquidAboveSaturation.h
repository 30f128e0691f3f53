// Just above its own saturation pressure, close below its own critical temperature, the stable
// state of a pure fluid is its liquid: the root found here apart from the stable-state search,
// by walking the isotherm down from the saturated liquid and bisecting on the pressure.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

// At 0.05 to 15 K below the model's own Tc and 1e-4 to 1e-2 above its own Psat. The number of
// states checked.
inline int expectLiquidJustAboveSaturation(FluidPhase& f, const std::string& name) {
    int checked = 0;
    for (double below : {0.05, 0.2, 0.5, 1.0, 2.0, 5.0, 15.0}) {
        const double TK = f.namingCriticalTemperature() - below;
        const double Psat = f.calculateTheSaturationPressure(TK), Vl = f.Vl;
        if (f.error != 0 || !(f.Vv > Vl)) continue;
        for (double above : {1e-4, 1e-3, 1e-2}) {
            const double target = Psat * (1.0 + above);
            double hi = Vl, lo = Vl;
            bool rising = true;
            do {
                hi = lo;
                f.calculateFromTV(TK, lo *= 0.999, 0);
                rising = f.error == 0 && f.dPdV < 0.0;
            } while (rising && f.P < target);
            if (!rising) continue;
            while (hi - lo > 1e-14 * hi) {
                f.calculateFromTV(TK, 0.5 * (lo + hi), 0);
                (f.P >= target ? lo : hi) = f.V;
            }
            const double fugacity = f.fugacity[0], V = f.V;
            ++checked;
            EXPECT_EQ(f.calculateStableStateFromTP(TK, target * 1e-5), FluidPhase::StablePhase::Liquid)
                << name << ": " << TK << " K (Tc - " << below << "), Psat (1 + " << above
                << "): " << f.V * 1e6 << " cm3/mol, the liquid at " << V * 1e6;
            EXPECT_NEAR(f.V / V, 1.0, 1e-6) << name << ": " << TK << " K";
            EXPECT_LE(f.fugacity[0], fugacity * (1.0 + 1e-9)) << name << ": " << TK << " K";
        }
    }
    return checked;
}

}  // namespace vornex::testing_support
