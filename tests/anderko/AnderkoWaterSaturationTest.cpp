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
    testing_support::expectSaturationTemperaturesOverGrid(water, 4001, 40);
}

}  // namespace
}  // namespace vornex
