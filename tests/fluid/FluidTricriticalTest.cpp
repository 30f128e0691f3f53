// Higher-order critical conditions of a binary: at a critical point G2 = G3 = 0 and G4 is
// the stability value of the critical search; G2 is the block's A_xx - A_vx^2/A_vv; each
// G_(k+1) is the x-difference of G_k at constant temperature and pressure; the parameter
// solve of the double-point search zeroes G2, and the temperature derivative of G2 at
// constant pressure of the step-point search matches differences.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TunableMixture.h"
#include "fluid/VolumeNear.h"

namespace vornex {
namespace {

using testing::makeVanDerWaalsMixture;

class TricriticalConditions : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid->composition_of_component(0, 0.7);
        fluid->composition_of_component(1, 0.3);
    }
    struct G {
        double g[7], m[7], Pres, Avv;
    };
    G conditions() {
        G c{};
        fluid->calculate_tricritical_parameters(c.g[2], c.g[3], c.g[4], c.g[5], c.g[6], c.m[2],
                                                c.m[3], c.m[4], c.m[5], c.m[6], c.Pres, c.Avv);
        return c;
    }
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaalsMixture();
};

TEST_F(TricriticalConditions, CriticalPointHasVanishingG2G3AndG4EqualToItsStability) {
    ASSERT_TRUE(testing::searchCritical(*fluid, 255.0, 1.2e-4));
    const double stabi = fluid->stabi;
    const G c = conditions();
    const double scale = std::fabs(c.m[2]);
    EXPECT_LT(std::fabs(c.g[2] + c.m[2]), 1e-7 * scale);
    EXPECT_LT(std::fabs(c.g[3] + c.m[3]), 1e-6 * std::fabs(c.m[3]) + 1e-6 * scale);
    EXPECT_NEAR((c.g[4] + c.m[4]) / stabi, 1.0, 1e-6);
    EXPECT_NEAR(c.Pres / fluid->P, 1.0, 1e-9);  // no ideal-gas term in the test fluid

    // The eight-output form gives the same values.
    double g2, g3, g4, g5, m2, m3, m4, m5;
    fluid->calculate_tricritical_parameters(g2, g3, g4, g5, m2, m3, m4, m5);
    EXPECT_DOUBLE_EQ(g4, c.g[4]);
    EXPECT_DOUBLE_EQ(g5, c.g[5]);
}

TEST_F(TricriticalConditions, EachConditionIsTheDifferenceOfTheOneBelow) {
    fluid->temperature(300.0);
    fluid->volume(2e-4);
    ::testing::internal::CaptureStdout();
    fluid->check_tricritical_parameters();
    std::istringstream printed(::testing::internal::GetCapturedStdout());
    for (int k = 3; k <= 6; ++k) {
        std::string name, kind;
        double analytic = 0.0, numerical = 0.0;
        printed >> name >> kind >> analytic;
        EXPECT_EQ(name, "g" + std::to_string(k) + "x");
        EXPECT_EQ(kind, "ana.");
        printed >> name >> kind >> numerical;
        EXPECT_EQ(kind, "num.");
        EXPECT_NEAR(numerical / analytic, 1.0, k < 6 ? 1e-5 : 1e-3) << name;
    }
}

// ------------------------------------------------ double and step points

class ParameterSearches : public ::testing::Test {
   protected:
    void SetUp() override { fluid.composition(0.7, 0.3); }
    double G2() {
        fluid.calculate_critical_parameters();
        return fluid.Axx - fluid.Avx * fluid.Avx / fluid.Avv;
    }
    testing::TunableMixture fluid;
};

TEST_F(ParameterSearches, ParameterSolveOfTheDoublePointZeroesG2) {
    // At the critical point of a01 = 0.25, from a01 = 0.26 the solve comes back to 0.25.
    ASSERT_TRUE(testing::searchCritical(fluid, 255.0, 1.2e-4));
    const double Tc = fluid.T;
    fluid.parameterIndex1 = 0;
    fluid.storedParameter1 = 0.26;
    fluid.set_model_parameter(0, 0.26);
    const double G3 = fluid.equationForG3x(Tc, nullptr);
    ASSERT_EQ(fluid.error, 0);
    const double a01 = fluid.parameter1;
    EXPECT_NEAR(a01, 0.25, 1e-8);
    fluid.set_model_parameter(0, a01);
    const double scale = kGasConstant * Tc / (0.7 * 0.3);
    EXPECT_LT(std::fabs(G2()), 1e-7 * scale);
    const double r = fluid.Avx / fluid.Avv;
    EXPECT_NEAR(G3,
                fluid.Axxx - 3 * r * fluid.Avxx + 3 * r * r * fluid.Avvx - r * r * r * fluid.Avvv,
                1e-6 * std::fabs(G3) + 1e-9 * scale);
}

TEST_F(ParameterSearches, StepPointTemperatureDerivativeAtConstantPressure) {
    ASSERT_TRUE(testing::searchCritical(fluid, 255.0, 1.2e-4));
    fluid.searchT = fluid.T;
    fluid.searchV = fluid.V;
    fluid.searchX1 = 0.3;
    fluid.parameterIndex1 = 0;
    fluid.stepPointFlag = kCriticalAtFixedComposition;
    const double G2TP = fluid.equationForGxxT(0.25, nullptr);
    ASSERT_EQ(fluid.error, 0);
    const double Tc = fluid.T, Vc = fluid.V, Pc = fluid.P;
    // G2 at T +- h on the isobar through the critical point.
    const double h = 1e-3;
    double side[2];
    for (int s = 0; s < 2; ++s) {
        fluid.temperature(Tc + (s == 0 ? h : -h));
        fluid.pressure(Pc * 1e-5);
        solveVolumeNear(fluid, Vc);
        ASSERT_EQ(fluid.error, 0);
        side[s] = G2();
    }
    EXPECT_NEAR((side[0] - side[1]) / (2 * h) / G2TP, 1.0, 1e-5);
}

}  // namespace
}  // namespace vornex
