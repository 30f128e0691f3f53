// Water's spinodals reached from each saturated phase against a scan of the pressure alone
// (differences, not the model's slope) and against IAPWS-95 at 640 K.
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
    for (double V = from * step; (V - towards) * (from - towards) > 0.0; V *= step)
        if (!(pressure(V * (1 + 1e-6)) < pressure(V * (1 - 1e-6)))) return V;
    return 0.0;
}

TEST(WaterTwoPhaseBand, SpinodalsOfAnIndependentScan) {
    WagnerPruss water{2};
    for (double T : {300.0, 450.0, 600.0, 640.0}) {
        const TwoPhaseBand band = twoPhaseBandAt(water, T);
        ASSERT_TRUE(band.found) << T;
        EXPECT_NEAR(band.spinodalLiquid /
                        scannedSpinodal(water, T, band.saturatedLiquid, band.saturatedVapour),
                    1.0, 2e-3) << T;
        EXPECT_NEAR(band.spinodalVapour /
                        scannedSpinodal(water, T, band.saturatedVapour, band.saturatedLiquid),
                    1.0, 2e-3) << T;
    }
    const TwoPhaseBand band = twoPhaseBandAt(water, 640.0);
    EXPECT_NEAR(band.spinodalLiquid * 1e6, 40.71, 0.01);
    EXPECT_NEAR(band.spinodalVapour * 1e6, 84.94, 0.01);
}

// 1e-5 K below the critical temperature the band spans 0.34 % of the volume and the loop
// between its spinodals 0.19 %: it is found, its spinodals those of a scan of the pressure
// in steps of 1e-6 of the volume (55.893883 and 56.002377 cm3/mol).
TEST(WaterTwoPhaseBand, FoundWithinTheLastHundredthKelvinOfTheCriticalPoint) {
    WagnerPruss water{2};
    const TwoPhaseBand band = twoPhaseBandAt(water, 647.09599);
    ASSERT_TRUE(band.found);
    EXPECT_NEAR(band.spinodalLiquid * 1e6, 55.893883, 2e-5);
    EXPECT_NEAR(band.spinodalVapour * 1e6, 56.002377, 2e-5);
    EXPECT_TRUE(band.saturatedLiquid < band.spinodalLiquid &&
                band.spinodalVapour < band.saturatedVapour);
}

}  // namespace
}  // namespace vornex
