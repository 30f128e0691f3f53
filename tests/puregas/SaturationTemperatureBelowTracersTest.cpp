// Methane's saturation temperature near its triple point (90.694 K, 0.1169 bar), below
// 100 K where its curve tracers stop: the solve brackets on the model's own saturation
// pressure down to the triple point, from any start.
#include <gtest/gtest.h>

#include <cmath>

#include "puregas/IUPACCH4.h"

namespace vornex {
namespace {

TEST(SaturationTemperatureBelowTracers, IUPACMethaneFromTheTriplePointTo100K) {
    IUPACCH4 methane(2);
    for (double TK : {91.0, 93.19, 95.0, 97.5, 99.5}) {
        const double Psat = methane.calculateTheSaturationPressure(TK);
        ASSERT_EQ(methane.error, 0) << TK;
        for (double start : {TK + 2.0, 150.0, 190.0}) {
            methane.calculate_saturation_temperature(Psat, start);
            ASSERT_EQ(methane.error, 0) << TK << " from " << start;
            EXPECT_NEAR(methane.T, TK, 1e-6 * TK) << TK << " from " << start;
            EXPECT_LT(methane.Vl, methane.Vv);
        }
    }
    // The model's own pressure at 93.19 K.
    methane.calculate_saturation_temperature(0.160353e5, 95.19);
    ASSERT_EQ(methane.error, 0);
    EXPECT_NEAR(methane.T, 93.19, 2e-3);
}

}  // namespace
}  // namespace vornex
