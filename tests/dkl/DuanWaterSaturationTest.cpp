// Duan's water (its first constant set): the saturation temperature at every pressure of a logarithmic grid from the
// triple point of water to the model's own critical pressure (the fits of the reference
// curve missed it from 206.97 to 220.13 bar), and the liquid of its second set from the
// liquid side of the volume solve at 1 bar (the vapour was given from 273.2 to 276 K, where
// the liquid lies near 15.5 cm3/mol).
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vornex
