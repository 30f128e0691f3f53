// The two-phase band of a one-component fluid against the van der Waals closed form of its
// spinodals, RT = 2a(V-b)^2/V^3, on either side of the critical volume.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

using testing::kVdwA;
using testing::kVdwB;

TEST(TwoPhaseBand, VanDerWaalsSpinodalsAndTheLoopBetween) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    const testing::VdwCritical c = testing::vdwCritical(kVdwA, kVdwB);
    fluid->Tcrit = c.Tc;
    fluid->Vcrit = c.Vc;
    auto spinodalT = [](double V) {
        return 2.0 * kVdwA * (V - kVdwB) * (V - kVdwB) / (kGasConstant * V * V * V);
    };
    for (double T : {0.55 * c.Tc, 0.8 * c.Tc, 0.97 * c.Tc}) {
        const TwoPhaseBand band = twoPhaseBandAt(*fluid, T);
        ASSERT_TRUE(band.found) << T;
        EXPECT_NEAR(spinodalT(band.spinodalLiquid) / T, 1.0, 1e-9);
        EXPECT_NEAR(spinodalT(band.spinodalVapour) / T, 1.0, 1e-9);
        EXPECT_TRUE(band.saturatedLiquid < band.spinodalLiquid && band.spinodalLiquid < c.Vc &&
                    c.Vc < band.spinodalVapour && band.spinodalVapour < band.saturatedVapour);
        fluid->calculateFromTV(T, c.Vc, 0);
        const Metastability m = compareWithStableState(*fluid);
        EXPECT_TRUE(m.unstable && !m.metastable) << T;
    }
    EXPECT_FALSE(twoPhaseBandAt(*fluid, 1.01 * c.Tc).found);
    // Within 1e-7 of Tc the whole band spans 0.13 % of the volume: it is still found, its
    // spinodals on the closed form.
    const double nearTc = (1.0 - 1e-7) * c.Tc;
    const TwoPhaseBand narrow = twoPhaseBandAt(*fluid, nearTc);
    ASSERT_TRUE(narrow.found);
    EXPECT_NEAR(spinodalT(narrow.spinodalLiquid) / nearTc, 1.0, 1e-12);
    EXPECT_NEAR(spinodalT(narrow.spinodalVapour) / nearTc, 1.0, 1e-12);
    EXPECT_TRUE(narrow.spinodalLiquid < c.Vc && c.Vc < narrow.spinodalVapour);
    EXPECT_LT(std::log(narrow.saturatedVapour / narrow.saturatedLiquid), 2e-3);
    // An isotherm swept either way writes both branches, the liquid's under tension at
    // 0.8 Tc, and nothing between the spinodals.
    const TwoPhaseBand band = twoPhaseBandAt(*fluid, 0.8 * c.Tc);
    for (int direction : {0, 1}) {
        CurveArray rows;
        fluid->calculate_isotherm(nullptr, 0.8 * c.Tc, 1.2 * kVdwB, 100 * kVdwB, 400, direction,
                                  kCurveArray, &rows);
        int liquid = 0, vapour = 0, between = 0;
        for (std::size_t k = 0; k < rows.size(); k += 13) {
            const double V = rows[k] * 1e-6;
            (V < band.spinodalLiquid ? liquid : V > band.spinodalVapour ? vapour : between) += 1;
        }
        EXPECT_TRUE(liquid > 20 && vapour > 20 && between == 0) << direction;
    }
}

}  // namespace
}  // namespace vornex
