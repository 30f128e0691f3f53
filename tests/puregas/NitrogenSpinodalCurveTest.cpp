// The spinodal curves of nitrogen (Span et al. 2000): every row the first loss of stability
// of its isotherm. Its equation's loops inside the two-phase region reach -2.7e6 bar; the
// liquid at 99.43 K first loses stability at 46.94 cm3/mol.
#include <gtest/gtest.h>

#include "puregas/N2EOS.h"
#include "support/SpinodalFirstLoss.h"

namespace vornex {
namespace {

using testing_support::expectRowsAreFirstLossOfStability;
using testing_support::SpinodalRows;
using testing_support::traceSpinodalCurve;

// The liquid curve followed the loops: 97 of 176 rows below -20,000 bar, 74.85 cm3/mol at
// 99.43 K.
TEST(NitrogenSpinodalCurve, LiquidRowsAreTheFirstLossOfStability) {
    Jacobsen n2(2);
    const SpinodalRows s = traceSpinodalCurve(n2, 0, 63.151);
    EXPECT_EQ(s.error, 0);
    ASSERT_GT(s.count(), 120u);
    expectRowsAreFirstLossOfStability(n2, s, true, 3);
    // Between the rows on either side of 99.43 K, linearly.
    bool seen = false;
    for (std::size_t r = 1; r + 1 < s.count(); ++r) {
        if (!(s.T(r) >= 99.43 && s.T(r + 1) < 99.43)) continue;
        seen = true;
        const double w = (99.43 - s.T(r + 1)) / (s.T(r) - s.T(r + 1));
        EXPECT_NEAR(w * s.Vcm3(r) + (1.0 - w) * s.Vcm3(r + 1), 46.94, 0.05);
    }
    EXPECT_TRUE(seen);
}

TEST(NitrogenSpinodalCurve, VapourRowsAreTheFirstLossOfStability) {
    Jacobsen n2(2);
    const SpinodalRows s = traceSpinodalCurve(n2, 1, 63.151);
    EXPECT_EQ(s.error, 0);
    ASSERT_GT(s.count(), 120u);
    expectRowsAreFirstLossOfStability(n2, s, false, 3);
}

}  // namespace
}  // namespace vornex
