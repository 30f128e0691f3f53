// Nitrogen's reference equation gives a fluid up to its melting line: beyond it solid
// nitrogen is stable and the state carries the error flag (at 63.151 K and 2200 MPa the
// equation's Cv was -8.58 J/(mol K), with the flag clear).
#include <gtest/gtest.h>

#include <cmath>

#include "puregas/N2EOS.h"

namespace vornex {
namespace {

// Span et al. (2000): p_m = p_t (1 + 12798.61 ((T/T_t)^1.78963 - 1)), from the triple point
// (12.523 kPa at 63.151 K) with a slope of 4.5 MPa/K there. Independently, nitrogen
// solidifies at room temperature near 2.4 GPa (diamond-anvil-cell measurements).
TEST(NitrogenMeltingLine, PressureFollowsThePublishedLine) {
    EXPECT_NEAR(N2EOS::meltingPressure(63.151), 12523.0, 1e-6);
    EXPECT_TRUE(std::isnan(N2EOS::meltingPressure(60.0)));
    EXPECT_NEAR(N2EOS::meltingPressure(64.0) * 1e-6, 3.889, 0.001);
    EXPECT_NEAR(N2EOS::meltingPressure(100.0) * 1e-6, 204.59, 0.01);
    EXPECT_NEAR(N2EOS::meltingPressure(300.0) * 1e-6, 2445.8, 0.1);
    EXPECT_NEAR(N2EOS::meltingPressure(300.0) * 1e-9, 2.4, 0.1);
    // The equation's 2200 MPa is reached near 283.84 K.
    EXPECT_LT(N2EOS::meltingPressure(283.83), 2.2e9);
    EXPECT_GT(N2EOS::meltingPressure(283.85), 2.2e9);
}

TEST(NitrogenMeltingLine, StatesBeyondTheMeltingPressureCarryTheFlag) {
    Jacobsen nitrogen(0);
    struct Case {
        double T, Pbar;
        int error;
    };
    // The liquid at 65 K and 10 bar and at 100 K and 1000 bar lies below the melting line
    // (85 bar and 2046 bar).
    for (const auto& c :
         {Case{63.151, 22000.0, 1}, Case{64.0, 100.0, 1}, Case{100.0, 2500.0, 1},
          Case{300.0, 25000.0, 1}, Case{65.0, 10.0, 0}, Case{100.0, 1000.0, 0},
          Case{100.0, 500.0, 0}, Case{300.0, 20000.0, 0}, Case{340.0, 22000.0, 0}}) {
        nitrogen.calculateFromTP(c.T, c.Pbar, 0);
        EXPECT_EQ(nitrogen.error, c.error) << c.T << " K " << c.Pbar << " bar";
        if (c.error == 0) {
            EXPECT_GT(nitrogen.Cv, 0.0) << c.T;
        }
    }
    // The same state from its volume: the liquid at 100 K compressed beyond 204.6 MPa.
    nitrogen.calculateFromTP(100.0, 2500.0, 0);
    const double V = nitrogen.V;
    nitrogen.calculateFromTV(100.0, V, 0);
    EXPECT_EQ(nitrogen.error, 1);
    nitrogen.calculateFromTV(100.0, 1.05 * V, 0);
    EXPECT_LT(nitrogen.P, N2EOS::meltingPressure(100.0));
    EXPECT_EQ(nitrogen.error, 0);
}

}  // namespace
}  // namespace vornex
