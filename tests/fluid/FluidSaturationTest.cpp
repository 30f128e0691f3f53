// Saturation states of a pure fluid: van der Waals coexistence in reduced units, the
// coexistence identities, the saturation temperature as the inverse of the saturation
// pressure, imposed offsets and curved interfaces, rejected trial points, and conodes.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
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

class VanDerWaalsSaturation : public ::testing::Test {
   protected:
    test::ScratchFolder folder;  // tests write their files side by side
    // Saturation at Tr from rough reduced starting volumes.
    bool saturate(double Tr, double vl0 = 0.55, double vg0 = 3.0) {
        fluid->temperature(Tr * crit.Tc);
        fluid->Vl0 = vl0 * crit.Vc;
        fluid->Vv0 = vg0 * crit.Vc;
        fluid->calculate_saturation_pressure();
        return fluid->error == 0;
    }
    // Fugacity, pressure and Gibbs energy of one phase at the fluid's T.
    struct Side {
        double f, P, G;
    };
    Side sideAt(double V) {
        fluid->calculateFromTV(fluid->T, V, 0);
        return {fluid->fugacity[0], fluid->P, fluid->G};
    }

    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
};

TEST_F(VanDerWaalsSaturation, ReducedCoexistenceAtTr09And08) {
    // Maxwell construction of the reduced van der Waals equation Pr = 8Tr/(3v-1) - 3/v^2.
    struct Reference {
        double Tr, Pr, vl, vg;
    };
    for (const Reference& r : {Reference{0.9, 0.646998, 0.603402, 2.348842},
                               Reference{0.8, 0.383362, 0.517409, 4.172457}}) {
        ASSERT_TRUE(saturate(r.Tr)) << "Tr " << r.Tr;
        EXPECT_NEAR(fluid->P / crit.Pc, r.Pr, 5e-7) << "Tr " << r.Tr;
        EXPECT_NEAR(fluid->Vl / crit.Vc, r.vl, 5e-7) << "Tr " << r.Tr;
        EXPECT_NEAR(fluid->Vv / crit.Vc, r.vg, 5e-7) << "Tr " << r.Tr;
    }
}

TEST_F(VanDerWaalsSaturation, PhasesHaveEqualFugacityPressureAndGibbsEnergy) {
    struct Start {
        double Tr, vl, vg;
    };
    for (const auto& [Tr, vl, vg] : {Start{0.6, 0.45, 15.0}, Start{0.99, 0.7, 2.0}}) {
        ASSERT_TRUE(saturate(Tr, vl, vg)) << "Tr " << Tr;
        const double Vl = fluid->Vl, Vv = fluid->Vv;
        EXPECT_GT(Vv / Vl, 1.0 + 1e-3);
        const Side l = sideAt(Vl), v = sideAt(Vv);
        EXPECT_NEAR(l.f / v.f, 1.0, 1e-10) << "Tr " << Tr;
        EXPECT_NEAR(l.P / v.P, 1.0, 1e-10) << "Tr " << Tr;
        // The chemical potential from the state functions, a path apart from the fugacity.
        EXPECT_NEAR((l.G - v.G) / (kGasConstant * fluid->T), 0.0, 1e-10) << "Tr " << Tr;
    }
}

TEST_F(VanDerWaalsSaturation, SaturationTemperatureInvertsSaturationPressure) {
    ASSERT_TRUE(saturate(0.85));
    const double Psat = fluid->P, Vl = fluid->Vl, Vv = fluid->Vv;
    fluid->Vl0 = 1.05 * Vl;
    fluid->Vv0 = 0.9 * Vv;
    fluid->calculate_saturation_temperature(Psat, 0.87 * crit.Tc);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T / crit.Tc, 0.85, 1e-9);
    EXPECT_NEAR(fluid->Vl / Vl, 1.0, 1e-8);
    EXPECT_NEAR(fluid->Vv / Vv, 1.0, 1e-8);
}

TEST_F(VanDerWaalsSaturation, ClausiusClapeyronFromTheSaturationPressure) {
    // dP/dT = (Hv - Hl) / (T (Vv - Vl)) along the curve.
    fluid->Vl0 = 0.6 * crit.Vc;
    fluid->Vv0 = 2.5 * crit.Vc;
    const double TK = 0.9 * crit.Tc;
    fluid->calculateTheSaturationPressure(TK);
    ASSERT_EQ(fluid->error, 0);
    const double slope = fluid->Hvap / (TK * (fluid->Vv - fluid->Vl));
    EXPECT_GT(fluid->Hvap, 0.0);
    const double dPdT = testing::centralDifference(
        [&](double t) { return fluid->calculateTheSaturationPressure(t); }, TK, 0.01);
    EXPECT_NEAR(dPdT, slope, 1e-6 * slope);
}

TEST_F(VanDerWaalsSaturation, MergedReversedOrUnbracketedTrialVolumesAreRejected) {
    const struct {
        double Tr, vl, vg, Vsep;  // Vsep in units of Vc, -1: none
        bool found;
    } cases[] = {
        {0.9, 1.0, 1.0, -1, false},       // equal: the trivial solution Vl = Vv
        {0.9, 1.0, 1.000001, -1, false},  // all but equal
        {0.9, 2.3, 0.6, -1, false},       // liquid larger than vapour
        {0.9, 0.6, 2.3, 0.4, false},      // a separating volume the solution does not bracket
        {0.9, 0.6, 2.3, 1.0, true},       // one that it does
        {1.05, 0.6, 2.3, -1, false},      // above the critical temperature
    };
    for (const auto& c : cases) {
        fluid->Vsep = c.Vsep < 0 ? -1.0 : c.Vsep * crit.Vc;
        EXPECT_EQ(saturate(c.Tr, c.vl, c.vg), c.found) << c.Tr << " " << c.vl << " " << c.vg;
        EXPECT_EQ(fluid->error, c.found ? 0 : 1);
    }
}

TEST_F(VanDerWaalsSaturation, PressureOffsetBetweenThePhases) {
    fluid->deltaP = 1e5;
    ASSERT_TRUE(saturate(0.9, 0.6, 2.3));
    EXPECT_NEAR(fluid->Pl - fluid->Pv, 1e5, 1e-3);
    const Side l = sideAt(fluid->Vl), v = sideAt(fluid->Vv);
    EXPECT_NEAR(l.f / v.f, 1.0, 1e-10);

    // In the temperature solve the vapour is the higher by deltaP and the liquid is at P*.
    fluid->Vl0 = 0.6 * crit.Vc;
    fluid->Vv0 = 2.3 * crit.Vc;
    fluid->calculate_saturation_temperature(0.6 * crit.Pc, 0.9 * crit.Tc);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->Pv - fluid->Pl, 1e5, 1e-3);
    EXPECT_NEAR(fluid->Pl, 0.6 * crit.Pc, 1e-3);
}

TEST_F(VanDerWaalsSaturation, TemperatureOffsetLeavesTheTemperature) {
    fluid->deltaT = 2.0;
    for (uint8_t hotter : {0, 1}) {
        fluid->offsetPhase = hotter;
        ASSERT_TRUE(saturate(0.9, 0.6, 2.3));
        EXPECT_DOUBLE_EQ(fluid->T, 0.9 * crit.Tc);
        // The offset phase is at T + deltaT: equal fugacities with unequal temperatures.
        const double Vl = fluid->Vl, Vv = fluid->Vv;
        fluid->calculateFromTV(0.9 * crit.Tc + (hotter ? 0.0 : 2.0), Vl, 0);
        const double fl = fluid->fugacity[0];
        fluid->calculateFromTV(0.9 * crit.Tc + (hotter ? 2.0 : 0.0), Vv, 0);
        EXPECT_NEAR(fl / fluid->fugacity[0], 1.0, 1e-10);
    }
}

// A van der Waals fluid with a fixed surface tension, for curved interfaces.
class TensionFluid : public FluidPhase {
   public:
    TensionFluid() : FluidPhase(1, 1, 0) {
        setInteraction(0, new testing::VanDerWaalsTerm({kVdwA}, {kVdwB}));
        number_of_components(1);
        molarMass[0] = testing::kVdwMass;
    }
    double calculateSigma(double, double) override { return sigma = 0.01; }
};

// The nitrogen start correlations give no usable volumes (a negative vapour volume at 77 K):
// the starts the fluid had must survive them, while carbon dioxide's still set them.
TEST_F(VanDerWaalsSaturation, UnusableStartCorrelationsLeaveTheStartVolumes) {
    fluid->Vl0 = 3.5e-5;
    fluid->Vv0 = 6.0e-3;
    for (double T : {77.0, 100.0, 120.0}) fluid->initializeSaturationVolumesFromT("N2", T);
    EXPECT_EQ(fluid->Vl0, 3.5e-5);
    EXPECT_EQ(fluid->Vv0, 6.0e-3);
    fluid->initializeSaturationVolumesFromT("CO2", 250.0);
    EXPECT_NEAR(0.044 / fluid->Vl0, 1046.0, 20.0);  // saturated liquid CO2 at 250 K, 1046 kg/m3
    EXPECT_GT(fluid->Vv0, fluid->Vl0);
}

TEST(CurvedInterface, LaplacePressureGoesToTheSideTheModeNames) {
    TensionFluid fluid;
    const auto crit = vdwCritical(kVdwA, kVdwB);
    const double laplace = 2 * 0.01 / 1e-6;
    for (int mode : {1, 2}) {
        fluid.capillaryMode = mode;
        fluid.radius = 1e-6;
        fluid.temperature(0.9 * crit.Tc);
        fluid.Vl0 = 0.6 * crit.Vc;
        fluid.Vv0 = 2.3 * crit.Vc;
        fluid.calculate_saturation_pressure();
        ASSERT_EQ(fluid.error, 0) << "mode " << mode;
        // Mode 1 adds the Laplace term to the liquid, so the bare vapour pressure is the
        // higher; mode 2 adds it to the vapour.
        fluid.calculateFromTV(fluid.T, fluid.Vl, 0);
        const double Pliquid = fluid.P;
        fluid.calculateFromTV(fluid.T, fluid.Vv, 0);
        const double Pvapour = fluid.P;
        const double expected = mode == 1 ? laplace : -laplace;
        EXPECT_NEAR(Pvapour - Pliquid, expected, 1e-3) << "mode " << mode;
    }
    // A curved interface needs a radius.
    fluid.radius = 0.0;
    fluid.calculate_saturation_pressure();
    EXPECT_EQ(fluid.error, 1);
}

// ------------------------------------------------------------------- conodes

class Conode : public VanDerWaalsSaturation {
   protected:
    void SetUp() override {
        fluid->Vl0 = 0.6 * crit.Vc;
        fluid->Vv0 = 2.3 * crit.Vc;
        ::testing::internal::CaptureStdout();
    }
    std::string printed() { return ::testing::internal::GetCapturedStdout(); }
};

TEST_F(Conode, FromTemperatureInIgorText) {
    fluid->calculateTheConodeFromT(0.9 * crit.Tc, 1, "k");
    EXPECT_NE(printed().find("Vaporisation Enthalpy"), std::string::npos);
    const auto lines = fileLines("conok");
    ASSERT_EQ(lines.size(), 6u);
    const auto liquid = numbersOf(lines[3]), vapour = numbersOf(lines[4]);
    ASSERT_EQ(liquid.size(), 13u);
    ASSERT_EQ(vapour.size(), 13u);
    EXPECT_NEAR(liquid[1] / (crit.Vc * 1e6), 0.603402, 1e-6);
    EXPECT_NEAR(vapour[1] / (crit.Vc * 1e6), 2.348842, 1e-6);
    EXPECT_NEAR(liquid[3] / (crit.Pc * 1e-5), 0.646998, 1e-6);
    EXPECT_NEAR(vapour[3], liquid[3], 1e-6);
    // H (kJ/mol) - T S (J/(mol K)) is the same Gibbs energy on both sides.
    EXPECT_NEAR(1000 * liquid[4] - liquid[0] * liquid[12],
                1000 * vapour[4] - vapour[0] * vapour[12], 1e-2);
}

TEST_F(Conode, FromPressureAsNumberedTable) {
    fluid->calculateTheConodeFromP(0.646998 * crit.Pc * 1e-5, 0.88 * crit.Tc, 0, nullptr);
    printed();
    ASSERT_EQ(fluid->error, 0);
    const auto lines = fileLines("conop");
    ASSERT_EQ(lines.size(), 3u);
    const auto liquid = numbersOf(lines[1]), vapour = numbersOf(lines[2]);
    ASSERT_EQ(liquid.size(), 12u);
    EXPECT_NEAR(liquid[0] / crit.Tc, 0.9, 1e-6);
    EXPECT_NEAR(vapour[0] / crit.Tc, 0.9, 1e-6);
    EXPECT_GT(vapour[4], liquid[4]);
}

TEST_F(Conode, AboveTheCriticalPointWritesNoRow) {
    fluid->calculateTheConodeFromT(1.1 * crit.Tc, 2, "z");
    EXPECT_NE(printed().find("Error calculation\n\n"), std::string::npos);
    EXPECT_EQ(fileLines("conoz").size(), 1u);  // the header alone
}

}  // namespace
}  // namespace vornex
