// The spinodal curves of Hill's water: every row the first loss of stability of its
// isotherm, from the critical point down to the lowest temperature of the water models
// (230 K). Hill's isotherms first lose stability at 568 K at 30.13 cm3/mol (-221.7 bar),
// at 500 K at 27.89 cm3/mol (-1,747 bar) and at 300 K at 21.34 cm3/mol (-2,046 bar).
#include <gtest/gtest.h>

#include "oldwater/Hill.h"
#include "support/SpinodalFirstLoss.h"

namespace vornex {
namespace {

using testing_support::expectRowsAreFirstLossOfStability;
using testing_support::SpinodalRows;
using testing_support::traceSpinodalCurve;

// The liquid curve stopped at 568.87 K with the flag clear, its last row a root of one of
// the equation's loops (568.88 K, -138,892 bar, 63.372 cm3/mol).
TEST(HillSpinodalCurve, LiquidRowsAreTheFirstLossOfStability) {
    Hill water(2);
    const SpinodalRows s = traceSpinodalCurve(water, 0, water.Tlowest);
    EXPECT_EQ(s.error, 0);
    ASSERT_GT(s.count(), 800u);
    EXPECT_LT(s.T(s.count() - 1), water.Tlowest + 0.5);
    expectRowsAreFirstLossOfStability(water, s, true, 23);
    for (std::size_t r = 1; r < s.count(); ++r) {
        const double T = s.T(r);
        struct Known {
            double T, V, P;
        };
        for (const Known& k : {Known{568.0, 30.13, -221.7}, Known{500.0, 27.89, -1747.0},
                               Known{300.0, 21.34, -2046.0}}) {
            // The rows lie 0.048 K above these temperatures (the model's critical one is
            // 647.048 K): some 0.6 bar and 0.005 cm3/mol along the curve.
            if (std::fabs(T - k.T) > 0.2) continue;
            EXPECT_NEAR(s.Vcm3(r), k.V, 0.02) << T;
            EXPECT_NEAR(s.Pbar(r), k.P, 1.0) << T;
        }
    }
}

TEST(HillSpinodalCurve, VapourRowsAreTheFirstLossOfStability) {
    Hill water(2);
    const SpinodalRows s = traceSpinodalCurve(water, 1, 400.0);
    EXPECT_EQ(s.error, 0);
    ASSERT_GT(s.count(), 400u);
    expectRowsAreFirstLossOfStability(water, s, false, 29);
}

}  // namespace
}  // namespace vornex
