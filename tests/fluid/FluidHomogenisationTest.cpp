// Homogenisation temperatures and saturation states of a given entropy on a van der Waals
// fluid: each inverts the saturation solve at a known temperature (the saturated volumes and
// entropies at T give back T), the residual Jacobians agree with central differences, and
// volumes that no saturated phase can have are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;
using testing::vdwCritical;

class VanDerWaalsHomogenisation : public ::testing::Test {
   protected:
    void SetUp() override {
        // The saturation at 280 K that every search below must find again.
        ASSERT_TRUE(testing::saturate(*fluid, kT, 0.6 * crit.Vc, 2.5 * crit.Vc));
        sat = {fluid->P, fluid->Vl, fluid->Vv, entropyAt(fluid->Vl), entropyAt(fluid->Vv)};
        // Starting state of the searches: 6 K colder, volumes off by a few per cent.
        fluid->temperature(kT - 6.0);
        fluid->Vl0 = 0.97 * sat.Vl;
        fluid->Vv0 = 1.15 * sat.Vv;
    }
    double entropyAt(double V) {
        fluid->calculateFromTV(kT, V, 0);
        return fluid->S;
    }
    static constexpr double kT = 280.0;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
    struct Saturation {
        double P, Vl, Vv, Sl, Sv;
    } sat{};
};

// The homogenisation temperature of either saturated volume is its temperature; the solve
// stops on its scaled residual, which on the vapour side leaves T within a few 1e-8 K.
TEST_F(VanDerWaalsHomogenisation, ThOfASaturatedVolumeIsItsTemperature) {
    EXPECT_EQ(fluid->calculateLiquidTh(sat.Vl), 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, kT, 1e-8);
    EXPECT_NEAR(fluid->Vv / sat.Vv, 1.0, 1e-8);
    fluid->temperature(kT - 6.0);
    fluid->Vl0 = 0.97 * sat.Vl;
    fluid->Vv0 = 1.15 * sat.Vv;
    EXPECT_EQ(fluid->calculateGasTh(sat.Vv), 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, kT, 3e-7);
    EXPECT_NEAR(fluid->Vl / sat.Vl, 1.0, 1e-8);
}

TEST_F(VanDerWaalsHomogenisation, VolumeBelowCriticalHasNoGasTh) {
    // A liquid-like volume homogenises into the liquid; no saturated vapour is that dense.
    EXPECT_NE(fluid->calculateGasTh(0.8 * crit.Vc), 0);
    EXPECT_EQ(fluid->error, 1);
    // Its liquid Th, checked by the saturation solve at that temperature.
    fluid->temperature(0.97 * crit.Tc);
    fluid->Vv0 = 1.5 * crit.Vc;
    ASSERT_EQ(fluid->calculateLiquidTh(0.8 * crit.Vc), 0);
    EXPECT_LT(fluid->T, crit.Tc);
    fluid->Vl0 = 0.99 * fluid->Vl;
    fluid->Vv0 = 1.01 * fluid->Vv;
    fluid->calculate_saturation_pressure();
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->Vl / (0.8 * crit.Vc), 1.0, 1e-8);
}

TEST_F(VanDerWaalsHomogenisation, SaturationFromEntropyGivesBackTemperature) {
    EXPECT_EQ(fluid->calculateLiquidSaturationFromEntropy(sat.Sl), 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, kT, 1e-8);
    EXPECT_NEAR(fluid->V / sat.Vl, 1.0, 1e-8);  // left at the saturated liquid
    EXPECT_NEAR(fluid->S, sat.Sl, 1e-8);
    EXPECT_NEAR(fluid->P / sat.P, 1.0, 1e-8);

    fluid->temperature(kT + 5.0);
    fluid->Vl0 = 1.02 * sat.Vl;
    fluid->Vv0 = 0.9 * sat.Vv;
    EXPECT_EQ(fluid->calculateGasSaturationFromEntropy(sat.Sv), 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, kT, 1e-8);
    EXPECT_NEAR(fluid->V / sat.Vv, 1.0, 1e-8);  // left at the saturated vapour
    EXPECT_NEAR(fluid->S, sat.Sv, 1e-8);
}

TEST_F(VanDerWaalsHomogenisation, EntropyBeyondTheCriticalOneHasNoSaturatedLiquid) {
    // The saturated liquid's entropy rises to the critical one; a larger one is not reached.
    EXPECT_NE(fluid->calculateLiquidSaturationFromEntropy(sat.Sv + 20.0), 0);
    EXPECT_EQ(fluid->error, 1);
}

TEST_F(VanDerWaalsHomogenisation, ResidualJacobiansAgreeWithCentralDifferences) {
    const double T = kT - 3.0, Vl = 1.01 * sat.Vl, Vv = 0.97 * sat.Vv;
    fluid->Sstar = sat.Sl;
    fluid->Vl = Vl;
    testing::expectJacobianMatches(
        *fluid, static_cast<EquationSystem>(&FluidPhase::equationForLiquidTh), {T, Vv});
    fluid->Vv = Vv;
    testing::expectJacobianMatches(
        *fluid, static_cast<EquationSystem>(&FluidPhase::equationForGasTh), {T, Vl});
    testing::expectJacobianMatches(
        *fluid, static_cast<EquationSystem>(&FluidPhase::equationForLiquidSaturationFromS),
        {T, Vl, Vv});
    testing::expectJacobianMatches(
        *fluid, static_cast<EquationSystem>(&FluidPhase::equationForGasSaturationFromS),
        {T, Vl, Vv});
}

TEST_F(VanDerWaalsHomogenisation, TrialsWithLiquidLargerThanVapourOrMergedAreRejected) {
    double F[3], row0[3], row1[3], row2[3];
    double* J[3] = {row0, row1, row2};
    for (const std::vector<double>& x : {std::vector<double>{kT, 2.0 * sat.Vv, sat.Vv},
                                         std::vector<double>{kT, sat.Vl, sat.Vl * (1 + 1e-6)},
                                         std::vector<double>{-1.0, sat.Vl, sat.Vv}}) {
        int err = 0;
        fluid->equationForLiquidSaturationFromS(const_cast<double*>(x.data()), F, J, err, 1,
                                                nullptr);
        EXPECT_EQ(err, 1) << x[0] << " " << x[1] << " " << x[2];
    }
}

TEST_F(VanDerWaalsHomogenisation, DensityFromThPrintsTheSaturatedLiquidBelowTcOnly) {
    fluid->Vl0 = 0.97 * sat.Vl;
    fluid->Vv0 = 1.1 * sat.Vv;
    char line[200];
    std::snprintf(line, sizeof line, "V : %12.2f cm3/mol\t\trho : %12.2f kg/m3\t\tP : %12.2f bar\n",
                  sat.Vl * 1e6, testing::kVdwMass / sat.Vl, sat.P * 1e-5);
    EXPECT_EQ(test::stdoutOf([&] { fluid->calculateTheDensityFromTh(kT); }), line);
    EXPECT_EQ(test::stdoutOf([&] { fluid->calculateTheDensityFromTh(crit.Tc + 20.0); }), "");
    EXPECT_EQ(fluid->error, 1);
}

}  // namespace
}  // namespace vornex
