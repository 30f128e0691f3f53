// The two-phase band of a one-component fluid against the van der Waals closed forms: the
// spinodals where RT = 2a(V-b)^2/V^3 on either side of the critical volume, and the
// verdicts on a volume in each stretch of the isotherm.
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

double spinodalT(double V) {
    return 2.0 * kVdwA * (V - kVdwB) * (V - kVdwB) / (kGasConstant * V * V * V);
}

TEST(TwoPhaseBand, VanDerWaalsSpinodalsAndVerdicts) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    const testing::VdwCritical c = testing::vdwCritical(kVdwA, kVdwB);
    fluid->Tcrit = c.Tc;
    fluid->Vcrit = c.Vc;
    for (double ratio : {0.55, 0.8, 0.97}) {
        const double T = ratio * c.Tc;
        const TwoPhaseBand band = twoPhaseBandAt(*fluid, T);
        ASSERT_TRUE(band.found) << ratio;
        EXPECT_NEAR(spinodalT(band.spinodalLiquid) / T, 1.0, 1e-9) << ratio;
        EXPECT_NEAR(spinodalT(band.spinodalVapour) / T, 1.0, 1e-9) << ratio;
        EXPECT_LT(band.saturatedLiquid, band.spinodalLiquid);
        EXPECT_LT(band.spinodalLiquid, c.Vc);
        EXPECT_GT(band.spinodalVapour, c.Vc);
        EXPECT_LT(band.spinodalVapour, band.saturatedVapour);
        // The lever rule puts the saturated phases at fractions 0 and 1.
        EXPECT_NEAR(band.vapourFraction(band.saturatedVapour), 1.0, 1e-12);
        EXPECT_EQ(band.vapourFraction(band.saturatedLiquid), 0.0);

        const double between = std::sqrt(band.spinodalLiquid * band.spinodalVapour);
        const double superheated = 0.5 * (band.saturatedLiquid + band.spinodalLiquid);
        const double supercooled = 0.5 * (band.spinodalVapour + band.saturatedVapour);
        fluid->calculateFromTV(T, between, 0);
        const Metastability inLoop = compareWithStableState(*fluid);
        EXPECT_TRUE(inLoop.unstable && !inLoop.metastable) << ratio;
        for (double V : {superheated, supercooled}) {
            fluid->calculateFromTV(T, V, 0);
            const Metastability m = compareWithStableState(*fluid);
            EXPECT_TRUE(m.metastable && !m.unstable) << ratio << " " << V;
        }
        EXPECT_TRUE(insideSaturationDome(*fluid, T, between));
        EXPECT_FALSE(insideSaturationDome(*fluid, T, 0.9 * band.saturatedLiquid));
        EXPECT_FALSE(insideSaturationDome(*fluid, T, 1.1 * band.saturatedVapour));
    }
    // No band at or above the critical temperature.
    EXPECT_FALSE(twoPhaseBandAt(*fluid, 1.01 * c.Tc).found);
    EXPECT_FALSE(insideSaturationDome(*fluid, 1.01 * c.Tc, c.Vc));
}

// An isotherm through the loop keeps both branches and no row between the spinodals; an
// isochore of the critical volume starts at the critical temperature, below which it lies
// inside the saturation curve, and rises from there.
TEST(TwoPhaseBand, IsothermAndIsochoreLeaveTheTwoPhaseRegionOut) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    const testing::VdwCritical c = testing::vdwCritical(kVdwA, kVdwB);
    fluid->Tcrit = c.Tc;
    fluid->Vcrit = c.Vc;
    const double T = 0.9 * c.Tc;
    const TwoPhaseBand band = twoPhaseBandAt(*fluid, T);
    ASSERT_TRUE(band.found);
    CurveArray rows;
    fluid->error = 0;
    fluid->calculate_isotherm(nullptr, T, 1.2 * kVdwB, 100 * kVdwB, 1000, 0, kCurveArray, &rows);
    EXPECT_EQ(fluid->error, 0);
    int liquid = 0, vapour = 0;
    for (std::size_t k = 0; k < rows.size(); k += 13) {
        const double V = rows[k] * 1e-6;
        EXPECT_FALSE(band.unstable(V)) << V;
        (V < band.spinodalLiquid ? liquid : vapour) += 1;
    }
    EXPECT_GT(liquid, 10);
    EXPECT_GT(vapour, 10);

    rows.clear();
    fluid->calculate_isochor(nullptr, c.Vc, 0.8 * c.Tc, 1.2 * c.Tc, 400, kCurveArray, &rows);
    ASSERT_GT(rows.size(), 13u * 10);
    EXPECT_GE(rows[0], c.Tc * (1.0 - 1e-6));
    EXPECT_LT(rows[0], c.Tc + 1.0);
    for (std::size_t k = 13; k < rows.size(); k += 13) EXPECT_GT(rows[k + 1], rows[k - 12]);
}

}  // namespace
}  // namespace vornex
