// Decompression end states, bubble nuclei and emulsion-stability curves on a van der Waals
// fluid: the energy balance of the decompression, the nucleus of a saturated liquid being
// the saturated vapour, and the Laplace pressure 2 sigma / r between the phases of a curved
// interface on the side the sign of the radius chooses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;
using testing::numbersOf;
using testing::vdwCritical;

class VanDerWaalsDecompression : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
};

TEST_F(VanDerWaalsDecompression, EndStateMeetsEnergyBalance) {
    fluid->calculateFromTV(250.0, 1.3 * kVdwB, 0);  // compressed liquid, some 440 bar
    const double V0 = fluid->V, U0 = fluid->U;
    ASSERT_GT(fluid->P, 400e5);  // well above the end pressure
    for (double k : {0.0, 5.0}) {
        fluid->Vl0 = V0;   // where the liquid volume searches start
        fluid->error = 1;  // a flag left by an earlier calculation
        fluid->calculate_irreversible_decompression_point_at_fixed_p(250.0, V0, 150e5, k, 249.0);
        ASSERT_EQ(fluid->error, 0) << k;
        EXPECT_NEAR(fluid->P, 150e5, 1e-3);
        // U - U0 = -P (V - V0) - k (T - T0); with k = 0 the enthalpy-like U + PV is kept.
        EXPECT_NEAR(fluid->U - U0, -150e5 * (fluid->V - V0) - k * (fluid->T - 250.0), 1e-6) << k;
        EXPECT_NE(fluid->T, 250.0);
    }
}

// The nucleus of a saturated liquid is the saturated vapour; that of a stretched liquid has
// its Gibbs energy, its vapour compressed above the liquid by the curvature. The residual
// refuses the liquid volume itself and volumes that are no vapour.
TEST_F(VanDerWaalsDecompression, BubbleNucleiOfSaturatedAndStretchedLiquids) {
    ASSERT_TRUE(testing::saturate(*fluid, 280.0, 0.6 * crit.Vc, 2.5 * crit.Vc));
    const double Vl = fluid->Vl, Vv = fluid->Vv, Psat = fluid->P;
    for (double V : {Vl, Vl + 5e-9, -1e-4}) {
        fluid->equationError = 0;
        EXPECT_EQ(fluid->equationForBubbleNucleus(V, nullptr), 0.0);
        EXPECT_EQ(fluid->equationError, 1) << V;
    }
    fluid->equationError = 0;
    fluid->searchBubbleNucleusPressure(280.0, Vl, 0.9 * Vv);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->V / Vv, 1.0, 1e-7);
    EXPECT_NEAR(fluid->P / Psat, 1.0, 1e-7);

    fluid->calculateFromTV(280.0, 1.03 * Vl, 0);  // metastable, below the saturation pressure
    const double G = fluid->G, P = fluid->P;
    fluid->searchBubbleNucleusPressure(280.0, 1.03 * Vl, Vv);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_GT(fluid->V, crit.Vc);
    EXPECT_NEAR(fluid->G, G, 1e-6);
    EXPECT_GT(fluid->P, P);
    EXPECT_LT(fluid->P, Psat);
}

// A van der Waals fluid that keeps the parachor it is given, so its interfaces are curved.
class ParachorFluid : public FluidPhase {
   public:
    ParachorFluid() : FluidPhase(1, 1, 0) {
        setModelName("curved vdW");
        setInteraction(0, new testing::VanDerWaalsTerm({kVdwA}, {kVdwB}));
        setIdealTerm(new testing::IdealCvTerm(2.5));
        number_of_components(1);
        molarMass[0] = testing::kVdwMass;
        composition_of_component(0, 1.0);
        calculateBulkMolarWeight();
    }
    void calculateParachor(double, double) override {}
};

TEST(EmulsionStability, CurvesCarryLaplacePressureOnChosenSide) {
    test::ScratchFolder folder;
    ParachorFluid fluid;
    const testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
    double radii[] = {0.0, 1e-6, -1e-6};
    fluid.plot_emulsion_stability_curves(radii, 3, crit.Tc, 2.0, crit.Vc, 0.8 * crit.Tc, 2e-3);
    for (int i = 0; i < 3; ++i) {
        const auto lines = fileLines("emuls" + std::to_string(i));
        ASSERT_GT(lines.size(), 8u) << i;
        for (size_t j = 2; j < lines.size(); ++j) {  // past the header and the critical row
            const auto c = numbersOf(lines[j]);
            ASSERT_EQ(c.size(), 28u);
            const double sigma = c[24], laplaceBar = 2.0 * sigma / 1e-6 * 1e-5;
            const double PvMinusPl = c[21] - c[20];
            const double expected[] = {0.0, laplaceBar, -laplaceBar};
            EXPECT_NEAR(PvMinusPl, expected[i], 1e-4 + 1e-5 * c[0]) << i << " T " << c[3];
            if (i == 0) {
                EXPECT_EQ(sigma, 0.0);
            }
        }
    }
    // The last curve leaves the interface curved for later solves.
    EXPECT_EQ(fluid.capillaryMode, 2);
}

}  // namespace
}  // namespace vornex
