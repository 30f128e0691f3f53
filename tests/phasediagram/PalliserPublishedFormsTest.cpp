// The closed forms of pure NaCl, each worked by hand from its published coefficients: the
// halite melting line T = 800 + 0.024726 (P - 0.0005) degC and the sublimation pressure
// P = 0.0005 10^(11806.1 (1/1073.15 - 1/T)) bar through 0.0005 bar at 800 degC.
#include <gtest/gtest.h>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

TEST(PalliserPureSalt, MeltingAndSublimationLinesHaveTheirPublishedCoefficients) {
    PalliserModel model;
    EXPECT_NEAR(model.getHaliteMeltingTemperature(4000.0), 898.903987637, 1e-8);
    EXPECT_NEAR(model.getHaliteMeltingTemperature(0.0005), 800.0, 1e-12);
    EXPECT_NEAR(model.getHaliteSublimationPressure(700.0) / 3.702382337577076e-05, 1.0, 1e-9);
    EXPECT_NEAR(model.getHaliteSublimationPressure(600.0) / 1.5102457317800148e-06, 1.0, 1e-9);
    EXPECT_FALSE(model.failed);
}

}  // namespace
}  // namespace vornex
