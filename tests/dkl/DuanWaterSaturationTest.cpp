// Duan's water (its first constant set): the saturation temperature at every pressure of a logarithmic grid from the
// triple point of water to the model's own critical pressure (the fits of the reference
// curve missed it from 206.97 to 220.13 bar), and the liquid of its second set from the
// liquid side of the volume solve at 1 bar (the vapour was given from 273.2 to 276 K, where
// the liquid lies near 15.5 cm3/mol).
#include <gtest/gtest.h>

#include <cmath>

#include "dkl/DuanModels.h"
#include "support/LiquidRootSelector.h"
#include "support/SaturationTemperatureGrid.h"

namespace vornex {
namespace {

TEST(DuanWaterSaturation, TemperatureAtEveryPressureOfTheGrid) {
    DuanH2O water(2, 0);
    testing_support::expectSaturationTemperaturesOverGrid(water, 4001, 40);
}

TEST(DuanWaterSaturation, LiquidSelectorGivesTheLiquidAtOneBar) {
    DuanH2O water(2, 1);
    for (double T : {273.2, 274.0, 275.0, 276.0, 280.0, 300.0, 350.0})
        testing_support::expectLiquidSelectorFindsTheLiquid(water, T, 1.0);
}

// The general equation's water (the second set) saturates at 950.6 bar at 273.16 K, falls to
// 180.0 bar near 441 K, then rises to its critical pressure: every pressure of 180.3-950 bar
// has a saturation temperature on the falling stretch (500 bar: 312.34 K), which the search
// from fits of the reference curve refused (at 200 bar and from 500 bar up).
TEST(DuanWaterSaturation, SecondSetHasItsTemperatureOnTheFallingStretch) {
    DuanH2O water(2, 1);
    const double Tc = water.namingCriticalTemperature();
    for (int k = 0; k <= 24; ++k) {
        const double Pbar = 180.3 * std::pow(950.0 / 180.3, k / 24.0);
        water.calculateTheSaturationTemperature(Pbar, 0);
        ASSERT_EQ(water.error, 0) << Pbar << " bar";
        const double TK = water.T;
        EXPECT_GT(TK, 273.0) << Pbar << " bar";
        EXPECT_LT(TK, Tc) << Pbar << " bar";
        EXPECT_LT(water.Vl, water.Vv) << Pbar << " bar";
        const double Psat = water.calculateTheSaturationPressure(TK);
        ASSERT_EQ(water.error, 0) << TK << " K";
        EXPECT_NEAR(Psat / (Pbar * 1e5), 1.0, 1e-8) << Pbar << " bar, " << TK << " K";
    }
}

}  // namespace
}  // namespace vornex
