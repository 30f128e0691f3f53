// Water in NaCl solutions: the Bradley-Pitzer dielectric constant and the Debye-Hueckel slope
// at 25 degC (Pitzer, Peiper and Busey 1984: A_phi = 0.3915), the osmotic coefficient of
// NaCl at 25 degC (0.936 at 1 mol/kg, 1.271 at 6 mol/kg, Pitzer et al. 1984, Table 10), the
// limits of the three activity models, the activity of ice against the ratio of the
// sublimation and vapour pressures, the freezing point against Bodnar (1993), the vapour
// pressure and boiling temperature of the solution, and the table writers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CorrelationTestSupport.h"
#include "numerics/TextCapture.h"
#include "water/WagnerPruss.h"
#include "water/WaterActivity.h"

namespace vornex {
namespace {

using testing::fileLines;

TEST(WaterDielectricBradleyPitzer, IsWaterAt25CelsiusWithItsPressureDerivative) {
    double dEdP = 0.0;
    double eps = water::epsilonBradleyPitzer(298.15, 1.0, &dEdP);
    EXPECT_NEAR(eps, 78.4, 0.1);
    double h = 1.0;
    double numeric = (water::epsilonBradleyPitzer(298.15, 1.0 + h) -
                      water::epsilonBradleyPitzer(298.15, 1.0 - h)) /
                     (2 * h);
    EXPECT_NEAR(dEdP, numeric, 1e-6 * std::fabs(numeric));
    EXPECT_NEAR(water::debyeHuckelSlope(298.15, 997.047, eps), 0.3915, 5e-4);
}

class WaterActivityTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};

    void SetUp() override { water.calculateFromTP(298.15, 1.0, 0); }

    // Freezing temperature (K) of the solution of mass percentage w, by bisection on the
    // ice-melting molality.
    double freezingTemperature(double w) {
        double a = 250.0, b = 273.0;
        for (int i = 0; i < 40; ++i) {
            double c = 0.5 * (a + b);
            water.calculateIceMeltingH2ONaCl(c, 0.0);
            (water::weightPercentFromMolality(water.saltMolality) > w ? a : b) = c;
        }
        return 0.5 * (a + b);
    }
};

TEST_F(WaterActivityTest, OsmoticCoefficientOfSodiumChlorideAt25Celsius) {
    // With the mean activity coefficient of the tables (Robinson and Stokes): 0.657 at
    // 1 mol/kg, 0.986 at 6 mol/kg.
    double aw, gamma = 0.0, phi;
    water.calculatePitzer84(1.0, aw, gamma, phi);
    EXPECT_NEAR(phi, 0.936, 1e-3);
    EXPECT_NEAR(aw, std::exp(-0.036 * phi), 1e-12);
    EXPECT_NEAR(gamma, 0.657, 2e-3);
    water.calculatePitzer84(6.0, aw, gamma, phi);
    EXPECT_NEAR(phi, 1.271, 1e-3);
    EXPECT_NEAR(gamma, 0.986, 3e-3);
    // The second fit of the same form agrees at 25 degC.
    for (double m : {0.5, 1.0, 3.0, 6.0}) {
        double phiPitzer, gammaPitzer;
        water.calculatePitzer84(m, aw, gammaPitzer, phiPitzer);
        water.calculateThurmond(m, aw, gamma, phi);
        EXPECT_NEAR(phi, phiPitzer, 3e-3) << m;
        EXPECT_NEAR(gamma, gammaPitzer, 3e-3) << m;
    }
}

// Every model is pure water at zero molality.
TEST_F(WaterActivityTest, ModelsArePureWaterAtZeroMolalityAndFollowTheLimitingLaw) {
    double aw, b, phi;
    for (int model : {0, 1, 2}) {
        water.activityModel = model;
        water.calculateActivity(0.0, aw, b, phi);
        EXPECT_DOUBLE_EQ(aw, 1.0) << model;
        EXPECT_DOUBLE_EQ(phi, 1.0) << model;
    }
    double aPhi = water::debyeHuckelSlope(298.15, kWaterMolarMass / water.V,
                                          water::epsilonBradleyPitzer(298.15, 1.0));
    double m = 1e-6;
    water.calculatePitzer84(m, aw, b, phi);
    EXPECT_NEAR((1.0 - phi) / std::sqrt(m), aPhi, 0.01 * aPhi);
    water.calculateDebyeHuckel(0.01, aw, b, phi);
    EXPECT_NEAR(phi, 1.0 - aPhi * 0.1, 1e-12);
    EXPECT_NEAR(b, std::exp(-3.0 * aPhi * 0.1), 1e-12);
}

TEST_F(WaterActivityTest, IceActivityIsTheRatioOfSublimationAndVapourPressures) {
    EXPECT_NEAR(water::iceActivity(273.15, 1e5), 1.0, 1e-4);
    for (double T : {263.15, 253.15}) {
        double ratio =
            WaterEOS::calculateSublimationP(T) * 1e5 / WaterEOS::saturationPressureWagnerPruss(T);
        EXPECT_NEAR(water::iceActivity(T, 1e5) / ratio, 1.0, 2e-3) << T;
    }
    water.calculateFromTP(263.15, 1.0, 0);
    double a;
    water.calculateIceActivity(a);
    EXPECT_NEAR(a, water::iceActivity(263.15, 1e5), 1e-12);
}

TEST_F(WaterActivityTest, FreezingPointFollowsTheIceLiquidusOfBodnar) {
    // Bodnar (1993): -10 degC for 13.94 wt %.
    EXPECT_NEAR(freezingTemperature(13.94) - 273.15, -10.0, 0.5);
    for (double depression : {2.0, 5.0, 10.0, 15.0, 20.0}) {
        water.calculateIceMeltingH2ONaCl(273.15 - depression, 0.0);
        ASSERT_EQ(water.error, 0) << depression;
        double bodnar = 1.78 * depression - 0.0442 * depression * depression +
                        0.000557 * depression * depression * depression;
        EXPECT_NEAR(water::weightPercentFromMolality(water.saltMolality), bodnar, 0.6)
            << depression;
    }
    // The ice curve uses the freezing-point model for itself; the caller's stays selected.
    EXPECT_EQ(water.activityModel, 0);
    // A lower water activity (y > 0) needs less salt for the same ice.
    water.calculateIceMeltingH2ONaCl(263.15, 0.0);
    double plain = water.saltMolality;
    water.calculateIceMeltingH2ONaCl(263.15, 0.02);
    EXPECT_LT(water.saltMolality, plain);
}

TEST_F(WaterActivityTest, IceMeltingGivesTheMeanActivityCoefficientOfItsSolution) {
    // Near 1 mol/kg at -3.37 degC: gamma 0.603 by the freezing-point fit, 0.629 by the
    // Pitzer (1984) fit (0.657 at 25 degC), the Gibbs-Duhem integral of the osmotic
    // coefficients below it; a model's coefficient is 1 at m -> 0.
    water.calculateIceMeltingH2ONaCl(273.15 - 3.37, 0.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.saltMolality, 1.0, 0.05);
    EXPECT_NEAR(water.meanActivityCoefficient, 0.615, 0.02);
    double aw, gamma, phi;
    water.calculateThurmond(1e-10, aw, gamma, phi);
    EXPECT_NEAR(gamma, 1.0, 1e-4);
    water.calculateThurmond(0.0, aw, gamma, phi);
    EXPECT_EQ(gamma, 1.0);
}

TEST_F(WaterActivityTest, IceMeltingFailureIsFlaggedAndKeepsTheLastMolality) {
    // Above the melting point of ice no solution is in equilibrium with it.
    water.saltMolality = 1.25;
    water.calculateIceMeltingH2ONaCl(275.0, 0.0);
    EXPECT_EQ(water.error, 1);
    EXPECT_EQ(water.saltMolality, 1.25);
    water.calculateIceMeltingH2ONaCl(263.15, 0.0);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(water.saltMolality, 2.87, 0.05);
}

TEST_F(WaterActivityTest, VapourPressureOfTheSolutionAndItsBoilingTemperature) {
    water.calculateOsmoticPressure(373.15, 0.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.P, 101418.0, 2.0);  // IAPWS-95 saturation at 373.15 K
    water.calculateOsmoticPressure(373.15, 1.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.P / 101418.0, water.waterActivity, 2e-3);
    EXPECT_LT(water.Vl, water.Vv);

    test::stdoutOf([&] {
        water.calculateOsmoticTemperature(1.01325, 0.0);
        EXPECT_EQ(water.error, 0);
        EXPECT_NEAR(water.T, 373.124, 0.01);
        for (double Pbar : {0.05, 1.01325, 20.0}) {
            water.calculateOsmoticTemperature(Pbar, 1.0);
            ASSERT_EQ(water.error, 0) << Pbar;
            // Round trip: the vapour pressure at that temperature is the pressure asked for.
            water.calculateOsmoticPressure(water.T, 1.0);
            ASSERT_EQ(water.error, 0) << Pbar;
            EXPECT_NEAR(water.P, Pbar * 1e5, 1e-6 * Pbar * 1e5) << Pbar;
        }
    });
}

// The isotherm ends, saying so and with the flag, at 6 mol/kg, where the Pitzer (1984)
// activity ends (it ran on to 8 mol/kg unflagged).
TEST_F(WaterActivityTest, OsmoticIsothermTable) {
    const std::string said = test::stderrOf([&] { water.calculateOsmoticIsotherm(373.15, 1, "t"); });
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("6 mol/kg"), std::string::npos) << said;
    std::vector<std::string> lines = fileLines("osmot");
    ASSERT_EQ(lines.size(), 3u + 61u + 1u);
    // T, m, P, x, Vl, Vv, a, phi.
    const std::vector<double> first = testing::numbersOf(lines[3]);
    const std::vector<double> last = testing::numbersOf(lines[3 + 60]);
    EXPECT_EQ(first[1], 0.0);
    EXPECT_NEAR(first[2], 1.01418, 1e-4);
    EXPECT_EQ(first[6], 1.0);
    EXPECT_NEAR(last[1], 6.0, 1e-9);
    EXPECT_NEAR(last[3], 6.0 / (6.0 + 55.50847203605297), 1e-6);
    EXPECT_LT(last[6], 0.8);
    EXPECT_EQ(lines.back(), "END");
}

// The solution's vapour pressure and boiling temperature beyond the Pitzer (1984) range keep
// their numbers and carry the flag, as its activity does; an isopleth beyond it has no rows.
TEST_F(WaterActivityTest, OsmoticStatesBeyondThePitzerRangeAreFlagged) {
    water.calculateOsmoticPressure(373.15, 6.0);
    EXPECT_EQ(water.error, 0);
    water.calculateOsmoticPressure(373.15, 7.0);
    EXPECT_EQ(water.error, 1);
    EXPECT_GT(water.P, 0.0);
    test::stdoutOf([&] {
        const std::string said =
            test::stderrOf([&] { water.calculateOsmoticTemperature(1.01325, 7.0); });
        EXPECT_EQ(water.error, 1);
        EXPECT_NE(said.find("Pitzer"), std::string::npos) << said;
    });
    const std::string said = test::stderrOf([&] { water.calculateOsmoticIsopleth(7.0, 1, "r"); });
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("6 mol/kg"), std::string::npos) << said;
    const std::vector<std::string> lines = fileLines("satosr");
    std::remove("satosr");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "END");
}

TEST_F(WaterActivityTest, IceMeltingTableHasOnlyTheSolvedPoints) {
    water.test1(1);
    std::vector<std::string> lines = fileLines("ice0");
    ASSERT_GE(lines.size(), 5u);
    int rows = 0;
    for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
        std::istringstream row(lines[i]);
        double T, m, x, w, a;
        ASSERT_TRUE(row >> T >> m >> x >> w >> a) << lines[i];
        EXPECT_GE(m, 0.0);
        EXPECT_NEAR(w, water::weightPercentFromMolality(m), 1e-4);
        ++rows;
    }
    // Every one of its 101 temperatures has a row: the first, where the activity equation's ice
    // melts into pure water at 273.1444 K (not at 273.15 K, where it has none), just below it.
    EXPECT_EQ(rows, 101);
    std::istringstream first(lines[3]);
    double T, m;
    ASSERT_TRUE(first >> T >> m);
    EXPECT_NEAR(T, 273.144, 1e-9);
    EXPECT_GT(m, 0.0);
    EXPECT_LT(m, 1e-3);
    EXPECT_NEAR(water::iceMeltingTemperature(1e5), 273.1444, 1e-4);
}

// The ice liquidus ends at the eutectic with hydrohalite (-21.21 degC): below it the brine on
// the ice curve is metastable and no answer; above it the curve goes on.
TEST_F(WaterActivityTest, IceLiquidusBelowTheEutecticIsRefused) {
    water.saltMolality = 1.25;
    test::stderrOf([&] { water.calculateIceMeltingH2ONaCl(250.0, 0.0); });
    EXPECT_EQ(water.error, 1);
    EXPECT_EQ(water.saltMolality, 1.25);
    water.calculateIceMeltingH2ONaCl(252.0, 0.0);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(water::weightPercentFromMolality(water.saltMolality), 23.2, 0.5);
}

// The Pitzer 1984 equations were fitted from 0 to 300 degC, to 1 kbar and 6 mol/kg: beyond,
// the activity carries the flag (it did not at 600 K, 1500 bar or 7 mol/kg).
TEST_F(WaterActivityTest, PitzerActivityBeyondItsRangeIsFlagged) {
    double aw, b, phi;
    water.activityModel = 0;
    for (auto [T, P, m] : {std::array{298.15, 1.0, 6.0}, std::array{573.15, 1000.0, 1.0}}) {
        water.calculateFromTP(T, P, 0);
        water.calculateActivity(m, aw, b, phi);
        EXPECT_EQ(water.error, 0) << T << " " << P << " " << m;
    }
    // The top of the range as given, in bar or in Pa: 1000 bar held as 1e8 Pa is 1000 bar,
    // not 1000.0000000000001 through a product with 1e-5.
    for (bool inPascal : {false, true}) {
        water.temperature(400.0);
        inPascal ? water.Pascal(1e8) : water.pressure(1000.0);
        water.calculate_molar_volume();
        ASSERT_EQ(water.error, 0);
        water.calculateActivity(1.0, aw, b, phi);
        EXPECT_EQ(water.error, 0) << (inPascal ? "1e8 Pa" : "1000 bar");
        EXPECT_NEAR(aw, 0.9668, 1e-3);
    }
    for (auto [T, P, m] : {std::array{298.15, 1.0, 7.0}, std::array{298.15, 1500.0, 1.0},
                           std::array{600.0, 200.0, 1.0}}) {
        water.calculateFromTP(T, P, 0);
        water.calculateActivity(m, aw, b, phi);
        EXPECT_EQ(water.error, 1) << T << " " << P << " " << m;
    }
}

// Regression: after the stable state at 373.15 K and 1 bar (steam, 0.59 kg/m3) the Pitzer
// model returned phi = 1.137 with the flag clear. The models are those of liquid water: the
// vapour and water above its critical temperature are refused by each, and the liquid at
// 2 bar gives the osmotic coefficient of 1 mol/kg NaCl at 100 degC (0.933, Pitzer et al.
// 1984).
TEST_F(WaterActivityTest, AStateThatIsNotLiquidWaterHasNoActivity) {
    for (int model : {0, 1, 2}) {
        water.activityModel = model;
        for (auto [T, P] : {std::pair{373.15, 1.0}, {500.0, 10.0}, {700.0, 400.0}}) {
            ASSERT_NE(water.calculateStableStateFromTP(T, P), FluidPhase::StablePhase::None);
            ASSERT_EQ(water.error, 0);
            double aw = 0.0, b = 0.0, phi = 0.0;
            water.calculateActivity(1.0, aw, b, phi);
            EXPECT_EQ(water.error, 1) << model << " " << T << " K " << P << " bar";
            EXPECT_TRUE(std::isnan(aw) && std::isnan(phi)) << model << " " << T << " " << phi;
        }
    }
    water.activityModel = 0;
    ASSERT_EQ(water.calculateStableStateFromTP(373.15, 2.0), FluidPhase::StablePhase::Liquid);
    double aw = 0.0, b = 0.0, phi = 0.0;
    water.calculateActivity(1.0, aw, b, phi);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(phi, 0.933, 2e-3);
}

TEST_F(WaterActivityTest, TableWithAnUnsafeSuffixIsRefused) {
    EXPECT_FALSE(
        test::stderrOf([&] { water.calculateOsmoticIsotherm(373.15, 1, "/../x"); }).empty());
    EXPECT_FALSE(std::ifstream("osmo/../x").good());
}

}  // namespace
}  // namespace vornex
