// Inside water's saturation curve: the spinodals reached from each saturated phase against a
// scan of the pressure alone (differences, not the model's slope) and against IAPWS-95 at
// 640 K, and the states between them, where the equation's own loops give stretches of
// falling pressure (and, at 300 K, pressures of 1e18 bar), called unstable, not metastable.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/Metastability.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

// The first volume from `from` towards `towards` (steps of 0.1 %) where the pressure stops
// falling as the volume grows.
double scannedSpinodal(WagnerPruss& water, double T, double from, double towards) {
    const double step = towards > from ? 1.001 : 1.0 / 1.001;
    auto pressure = [&](double V) {
        water.calculateFromTV(T, V, 0);
        return water.P;
    };
    for (double V = from * step; (V - towards) * (from - towards) > 0.0; V *= step) {
        const double h = 1e-6 * V;
        if (!(pressure(V + h) < pressure(V - h))) return V;
    }
    return 0.0;
}

TEST(WaterTwoPhaseBand, SpinodalsOfAnIndependentScan) {
    WagnerPruss water{2};
    for (double T : {300.0, 450.0, 600.0, 640.0}) {
        const TwoPhaseBand band = twoPhaseBandAt(water, T);
        ASSERT_TRUE(band.found) << T;
        const double liquid =
            scannedSpinodal(water, T, band.saturatedLiquid, band.saturatedVapour);
        const double vapour =
            scannedSpinodal(water, T, band.saturatedVapour, band.saturatedLiquid);
        EXPECT_NEAR(band.spinodalLiquid / liquid, 1.0, 2e-3) << T;
        EXPECT_NEAR(band.spinodalVapour / vapour, 1.0, 2e-3) << T;
    }
    // IAPWS-95 at 640 K: 40.71 and 84.94 cm3/mol.
    const TwoPhaseBand band = twoPhaseBandAt(water, 640.0);
    EXPECT_NEAR(band.spinodalLiquid * 1e6, 40.71, 0.01);
    EXPECT_NEAR(band.spinodalVapour * 1e6, 84.94, 0.01);
}

// Regression: 52.23 cm3/mol at 640 K (202.21 bar) was called metastable by its fugacity, 60
// cm3/mol at 300 K (-1.5e18 bar) likewise.
TEST(WaterTwoPhaseBand, StatesBetweenTheSpinodalsAreUnstable) {
    WagnerPruss water{2};
    const struct {
        double T, Vcm3;
        bool unstable;
    } cases[] = {{640.0, 52.23, true}, {300.0, 60.0, true},  {300.0, 25.0, true},
                 {640.0, 39.0, false}, {640.0, 100.0, false}, {450.0, 21.0, false}};
    for (const auto& c : cases) {
        water.calculateFromTV(c.T, c.Vcm3 * 1e-6, 0);
        const Metastability m = compareWithStableState(water);
        EXPECT_EQ(m.unstable, c.unstable) << c.T << " " << c.Vcm3;
        EXPECT_EQ(m.metastable, !c.unstable) << c.T << " " << c.Vcm3;
        if (c.unstable) {
            const double q = m.band.vapourFraction(c.Vcm3 * 1e-6);
            EXPECT_GT(q, 0.0);
            EXPECT_LT(q, 1.0);
        }
    }
}

}  // namespace
}  // namespace vornex
