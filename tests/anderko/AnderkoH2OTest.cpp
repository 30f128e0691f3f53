// Pure water after Anderko and Pitzer: the assembled model against the reference values of
// water within its fitted range (above about 300 degC; the model is a high-temperature
// one), each of its terms' derivatives to fourth order, and the consistency of its
// pressure and fugacities with its Helmholtz energy.
#include <gtest/gtest.h>

#include <cmath>

#include "support/TermDerivativeCheck.h"
#include "anderko/AnderkoH2O.h"
#include "anderko/Boublik.h"
#include "anderko/Dipole.h"
#include "anderko/H2ODisp.h"

namespace vornex {
namespace {

using testing_support::expectDerivativesMatchDifferences;

constexpr double kM = kWaterMolarMass;
constexpr double kR = 8.31434;

class AnderkoH2OTest : public ::testing::Test {
   protected:
    // Sum of the three terms' a at (T, V).
    double helmholtz(double TK, double Vm3) {
        double a = 0.0;
        for (Interaction* term : {static_cast<Interaction*>(&water.repulsion()),
                                  static_cast<Interaction*>(&water.dipole()),
                                  static_cast<Interaction*>(&water.dispersion())}) {
            term->T = TK;
            term->V = Vm3;
            term->calculate();
            EXPECT_EQ(term->error, 0);
            a += term->root->value();
        }
        return a;
    }
    AnderkoH2O water{2};
};

// Densities of the reference equation: 400 degC and 500 bar 577.79 kg/m3, 500 degC and
// 1000 bar 528.28 kg/m3; the fit of the model is within 2 % there.
TEST_F(AnderkoH2OTest, SupercriticalDensitiesNearTheReference) {
    const struct { double T, P, rho; } states[] = {{673.15, 500, 577.79}, {773.15, 1000, 528.28}};
    for (const auto& s : states) {
        water.set_the_phase_as(2);
        water.calculateFromTP(s.T, s.P, 0);
        ASSERT_EQ(water.error, 0);
        EXPECT_NEAR(water.rho, s.rho, 0.02 * s.rho) << s.T << " K " << s.P << " bar";
    }
    // The 600 kg/m3 isochore at 400 degC: 560.18 bar.
    water.calculateFromTV(673.15, kM / 600.0, 0);
    EXPECT_NEAR(water.P * 1e-5, 560.18, 0.06 * 560.18);
}

// Saturation at 300 degC: 85.879 bar, liquid 712.14 and vapour 46.17 kg/m3; at the
// saturation state both phases have one pressure and one fugacity.
TEST_F(AnderkoH2OTest, SaturationAt300CNearTheReference) {
    water.calculateTheSaturationPressure(573.15);
    ASSERT_EQ(water.error, 0);
    const double P = water.P, Vl = water.Vl, Vv = water.Vv;
    EXPECT_NEAR(P * 1e-5, 85.879, 0.02 * 85.879);
    EXPECT_NEAR(kM / Vl, 712.14, 0.01 * 712.14);
    EXPECT_NEAR(kM / Vv, 46.17, 0.03 * 46.17);
    water.calculateFromTV(573.15, Vl, 0);
    const double Pl = water.P, lnfl = water.lnFugacity[0];
    water.calculateFromTV(573.15, Vv, 0);
    EXPECT_NEAR(water.P, Pl, 1e-6 * Pl);
    EXPECT_NEAR(water.lnFugacity[0], lnfl, 1e-7);
}

TEST_F(AnderkoH2OTest, TermDerivativesMatchDifferences) {
    for (double V : {6.174e-5, 2.6e-5, 4e-4}) {
        expectDerivativesMatchDifferences(water.repulsion(), {648.6, V, 1.0});
        expectDerivativesMatchDifferences(water.dipole(), {648.6, V, 1.0});
        expectDerivativesMatchDifferences(water.dispersion(), {573.15, V, 1.0});
    }
}

// P = -RT da/dV of the summed terms, and d ln f/dP = V/(RT) along an isotherm.
TEST_F(AnderkoH2OTest, PressureAndFugacityFollowTheHelmholtzEnergy) {
    const double T = 700.0;
    for (double V : {3e-5, 8e-5, 1e-3}) {
        const double h = 1e-5 * V;
        const double dadV = (helmholtz(T, V + h) - helmholtz(T, V - h)) / (2 * h);
        water.calculateFromTV(T, V, 0);
        ASSERT_EQ(water.error, 0);
        EXPECT_NEAR(water.P, -kR * T * dadV, 1e-6 * water.P) << V;
        EXPECT_NEAR(water.dlnfdP[0], V / (kR * T), 1e-6 * V / (kR * T)) << V;
        const double P = water.P, lnf = water.lnFugacity[0];
        const double dP = 1e-5 * P;
        water.set_the_phase_as(5);
        water.calculateFromTP(T, (P + dP) * 1e-5, 0);
        ASSERT_EQ(water.error, 0);
        EXPECT_NEAR((water.lnFugacity[0] - lnf) / dP, V / (kR * T), 1e-4 * V / (kR * T)) << V;
        water.set_the_phase_as(2);
    }
}

TEST_F(AnderkoH2OTest, CriticalPointNearItsStart) {
    water.temperature(water.Tcrit);
    water.volume(water.Vcrit);
    water.search_the_critical_point_of_the_pure_component();
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.T, 648.6, 0.1);
    EXPECT_NEAR(water.V, 6.174e-5, 0.002 * 6.174e-5);
}

}  // namespace
}  // namespace vornex
