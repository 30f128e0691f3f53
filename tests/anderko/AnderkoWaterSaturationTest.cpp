// Anderko and Pitzer's water: the saturation temperature at every pressure of a logarithmic
// grid from the triple point of water to the model's own critical pressure (the fits of the
// reference curve missed it from 219.6 to 223.2 bar).
#include <gtest/gtest.h>

#include "anderko/AnderkoH2O.h"
#include "support/SaturationTemperatureGrid.h"

namespace vornex {
namespace {

TEST(AnderkoWaterSaturation, TemperatureAtEveryPressureOfTheGrid) {
    AnderkoH2O water(2);
#ifdef VORNEX_SANITIZED_BUILD
    // A coarser grid over the same pressures, as many of them checked on the curve.
    testing_support::expectSaturationTemperaturesOverGrid(water, 1001, 10);
#else
    testing_support::expectSaturationTemperaturesOverGrid(water, 4001, 40);
#endif
}

}  // namespace
}  // namespace vornex
