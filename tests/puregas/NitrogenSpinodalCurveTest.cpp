// The spinodal curves of nitrogen (Span et al. 2000): every row the first loss of stability
// of its isotherm. Its equation's loops inside the two-phase region reach -2.7e6 bar; the
// liquid at 99.43 K first loses stability at 46.94 cm3/mol.
#include <gtest/gtest.h>

#include <string>

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

// Compressed below 116 K, the vapour stays stable up to the equation's loop near 97 cm3/mol;
// from 114.19 K down that lies beyond the melting line (4024.8 bar there, where nitrogen melts
// at 3023.8 bar; 1.75e6 bar at 101.69 K, where the solid is stable): the curve wrote those
// states, the model's refusal cleared, down to the triple point. It ends at 114.69 K (2650.1
// bar, below the melting line's 3060.1 bar), saying so, with every row a fluid state.
TEST(NitrogenSpinodalCurve, VapourRowsAreTheFirstLossOfStability) {
    Jacobsen n2(2);
    testing::internal::CaptureStderr();
    const SpinodalRows s = traceSpinodalCurve(n2, 1, 63.151);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.error, 1);
    EXPECT_NE(said.find("114.19 K the compressed vapour first loses stability"), std::string::npos)
        << said;
    ASSERT_EQ(s.count(), 24u);
    EXPECT_NEAR(s.T(s.count() - 1), 114.69, 0.01);
    EXPECT_NEAR(s.Pbar(s.count() - 1), 2650.1, 1.0);
    EXPECT_NEAR(s.Vcm3(s.count() - 1), 96.99, 0.01);
    for (std::size_t r = 0; r < s.count(); ++r)
        EXPECT_LT(s.Pbar(r) * 1e5, N2EOS::meltingPressure(s.T(r))) << s.T(r);
    expectRowsAreFirstLossOfStability(n2, s, false, 1);
}

}  // namespace
}  // namespace vornex
