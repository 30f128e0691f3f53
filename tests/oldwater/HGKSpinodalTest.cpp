// The liquid spinodal at a pressure of the Haar-Gallagher-Kell water, whose isotherms close
// below its critical point have a stable pocket past a first unstable range: the spinodal
// at a pressure is the first loss of stability of the expanding liquid, the one the
// model's stability test finds from the compressed liquid by its own route.
#include <gtest/gtest.h>

#include "oldwater/HGK.h"

namespace vornex {
namespace {

// From 217.6 to 217.9 and 218.85 to 219.0 bar the search found the spinodal past the pocket
// (217.6 bar: 646.024 K, 56.763 cm3/mol, where the liquid is unstable from 46.45 on).
TEST(HGKLiquidSpinodal, AtAPressureIsTheFirstLossOfStability) {
    HGK water(2), probe(2);
    for (double P : {210.0, 217.5, 217.6, 217.75, 217.9, 218.85, 219.0, 220.0}) {
        ASSERT_EQ(water.calculateTheLiquidSpinodalTemperatureFromP(P), 0) << P;
        EXPECT_NEAR(water.P * 1e-5, P, 1e-7 * P);
        double liquid = 0.0, vapour = 0.0;
        ASSERT_TRUE(probe.spinodalVolumes(water.T, liquid, vapour)) << P;
        EXPECT_NEAR(water.V / liquid, 1.0, 1e-6) << P << " bar, " << water.T << " K";
    }
}

}  // namespace
}  // namespace vornex
