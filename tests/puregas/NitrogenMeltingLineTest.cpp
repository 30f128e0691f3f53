// Nitrogen's reference equation gives a fluid up to its melting line: beyond it solid
// nitrogen is stable and the state carries the error flag (at 63.151 K and 2200 MPa the
// equation's Cv was -8.58 J/(mol K), with the flag clear).
#include <gtest/gtest.h>

#include <cmath>

#include "puregas/N2EOS.h"

namespace vornex {
namespace {

TEST(NitrogenMeltingLine, StatesBeyondTheMeltingPressureCarryTheFlag) {
    // The melting line starts at the triple point, 12.523 kPa at 63.151 K, and reaches the
    // equation's 2200 MPa near 336 K.
    EXPECT_NEAR(N2EOS::meltingPressure(63.151), 12523.0, 1e-6);
    EXPECT_TRUE(std::isnan(N2EOS::meltingPressure(60.0)));
    EXPECT_NEAR(N2EOS::meltingPressure(100.0) * 1e-6, 61.13, 0.01);
    EXPECT_LT(N2EOS::meltingPressure(335.0), 2.2e9);
    EXPECT_GT(N2EOS::meltingPressure(337.0), 2.2e9);
    Jacobsen nitrogen(0);
    struct Case {
        double T, Pbar;
        int error;
    };
    for (const auto& c : {Case{63.151, 22000.0, 1}, Case{100.0, 1000.0, 1},
                          Case{300.0, 20000.0, 1}, Case{100.0, 500.0, 0}, Case{300.0, 1000.0, 0},
                          Case{340.0, 22000.0, 0}}) {
        nitrogen.calculateFromTP(c.T, c.Pbar, 0);
        EXPECT_EQ(nitrogen.error, c.error) << c.T << " K " << c.Pbar << " bar";
        if (c.error == 0) {
            EXPECT_GT(nitrogen.Cv, 0.0) << c.T;
        }
    }
    // The same state from its volume: the liquid at 100 K compressed beyond 61 MPa.
    nitrogen.calculateFromTP(100.0, 1000.0, 0);
    const double V = nitrogen.V;
    nitrogen.calculateFromTV(100.0, V, 0);
    EXPECT_EQ(nitrogen.error, 1);
    nitrogen.calculateFromTV(100.0, 1.08 * V, 0);
    EXPECT_LT(nitrogen.P, N2EOS::meltingPressure(100.0));
    EXPECT_EQ(nitrogen.error, 0);
}

}  // namespace
}  // namespace vornex
