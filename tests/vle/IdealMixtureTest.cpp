#include <gtest/gtest.h>

#include <cmath>

#include "RaoultMixture.h"
#include "numerics/TextCapture.h"
#include "vle/IdealMixture.h"

namespace vornex {
namespace {

using testing::propaneButane;
using testing::psatC3;
using testing::psatNC4;

// Raoult-law flash, bubble and dew points of propane / n-butane against closed forms.
class RaoultFlash : public ::testing::Test {
   protected:
    static constexpr double T = 300.0;  // K
    std::unique_ptr<IdealMixture> mixture = propaneButane(0.4);
    // Solves problem `type` at the temperature (K), pressure (bar) and vapour amount given,
    // those that are NaN left unset; the status.
    int solve(int type, double TK, double Pbar, double vapour = NAN) {
        mixture->set_type_of_problem(type);
        if (!std::isnan(TK)) mixture->set_the_temperature(TK);
        if (!std::isnan(Pbar)) mixture->set_the_pressure(Pbar);
        if (!std::isnan(vapour)) mixture->set_the_vaporization_ratio(vapour);
        mixture->calculateVLE();
        return mixture->status;
    }
};

TEST_F(RaoultFlash, FlashMatchesRachfordRiceAndBalancesMass) {
    mixture->set_initialization_flag(2);
    ASSERT_EQ(solve(12, T, 5.0), 0);  // between dew and bubble pressure
    std::vector<double> K{psatC3(T) / 5e5, psatNC4(T) / 5e5};
    double Fv = testing::rachfordRiceRoot({0.4, 0.6}, K);
    EXPECT_NEAR(mixture->current.Fv, Fv, 1e-4);
    EXPECT_NEAR(mixture->current.nV + mixture->current.nL, 1.0, 1e-14);
    double sumX = 0.0, sumY = 0.0;
    for (int i = 0; i < 2; i++) {
        double x = mixture->current.x[i], y = mixture->current.y[i];
        EXPECT_NEAR(y / x, K[i], 1e-12);
        EXPECT_NEAR(mixture->current.nL * x + mixture->current.nV * y, mixture->bulkAmount[i],
                    1e-12);
        sumX += x;
        sumY += y;
    }
    EXPECT_NEAR(sumX, 1.0, 1e-4);
    EXPECT_NEAR(sumY, 1.0, 1e-4);
    // The converged state becomes the trial and last state of the next solve.
    EXPECT_EQ(mixture->last.x, mixture->current.x);
    EXPECT_EQ(mixture->trial.P, 5e5);
}

TEST_F(RaoultFlash, BubblePressureIsTheMoleFractionWeightedVapourPressure) {
    ASSERT_EQ(solve(13, T, NAN, 0.0), 0);
    double P = 0.4 * psatC3(T) + 0.6 * psatNC4(T);
    EXPECT_NEAR(mixture->current.P / P, 1.0, 1e-6);
    EXPECT_NEAR(mixture->current.x[0], 0.4, 1e-6);
    EXPECT_NEAR(mixture->current.y[0], 0.4 * psatC3(T) / P, 1e-6);
}

TEST_F(RaoultFlash, DewPressureIsTheHarmonicMeanAndBubbleTemperatureAtGivenPressure) {
    ASSERT_EQ(solve(31, T, NAN, 1.0), 0);
    double P = 1.0 / (0.4 / psatC3(T) + 0.6 / psatNC4(T));
    EXPECT_NEAR(mixture->current.P / P, 1.0, 1e-6);
    EXPECT_NEAR(mixture->current.y[0], 0.4, 1e-6);
    ASSERT_EQ(solve(23, NAN, 5.0, 0.0), 0);
    double Tb = mixture->current.T;
    EXPECT_NEAR((0.4 * psatC3(Tb) + 0.6 * psatNC4(Tb)) / 5e5, 1.0, 1e-4);
}

// Every K > 1 at 1 bar: all vapour, no root. A failed flash used to overwrite the last
// converged point, so retries stepped from it.
TEST_F(RaoultFlash, NoRootIsReportedAndKeepsTheLastConvergedPoint) {
    ASSERT_EQ(solve(12, T, 5.0), 0);
    std::vector<double> x = mixture->last.x;
    EXPECT_EQ(solve(12, T, 1.0), 1);
    EXPECT_EQ(mixture->last.P, 5e5);
    EXPECT_EQ(mixture->last.x, x);
    EXPECT_EQ(solve(12, T, 5.0), 0);  // a later success reports itself
    // A flash at no pressure or no temperature is no state: said, and the last point kept.
    for (auto [TK, Pbar] : {std::pair{T, 0.0}, std::pair{T, -2.0}, std::pair{0.0, 5.0}}) {
        const std::string said = test::stderrOf([&] { EXPECT_EQ(solve(12, TK, Pbar), 1); });
        EXPECT_NE(said.find("no state"), std::string::npos) << said;
        EXPECT_EQ(mixture->last.P, 5e5);
    }
}

TEST_F(RaoultFlash, VapourVolumeFractionBecomesTheVapourAmount) {
    mixture->set_type_of_problem(15);
    mixture->set_the_temperature(T);
    mixture->set_the_vaporization_ratio1(0.5);
    mixture->calculateVLE();
    EXPECT_DOUBLE_EQ(mixture->spec.nV, 0.5 / 5.5);
    EXPECT_EQ(mixture->status, 0);
    mixture->set_type_of_problem(25);
    mixture->set_the_pressure(5.0);
    mixture->set_the_vaporization_ratio(0.3);
    mixture->calculateVLE();
    EXPECT_DOUBLE_EQ(mixture->spec.nV, 0.3);
}

TEST_F(RaoultFlash, UndefinedTypeIsReported) {
    EXPECT_EQ(test::stderrOf([&] { EXPECT_EQ(solve(16, NAN, NAN), 2); }),
              "Type of problem not defined\n");
}

TEST(RaoultComponents, AliasesShareOneCorrelation) {
    IdealMixture mixture;
    mixture.number_of_components(3);
    mixture.add_components("C1", "CH4", "c1");
    EXPECT_DOUBLE_EQ(mixture.Psat(0, 150.0), mixture.Psat(1, 150.0));
    EXPECT_GT(mixture.Psat(0, 150.0), 1e5);
    EXPECT_EQ(mixture.correlations[2], nullptr);
}

// Regression: the count of components named stayed that of the former count, so a mixture
// of two given three named only its third ("no room" for the others).
TEST(RaoultComponents, ALaterCountNamesItsComponentsAfresh) {
    IdealMixture mixture;
    mixture.number_of_components(2);
    mixture.add_components("C3", "nC4");
    mixture.number_of_components(3);
    const std::string said = test::stderrOf([&] {
        mixture.add_component("C1");
        mixture.add_component("C3");
        mixture.add_component("nC4");
    });
    EXPECT_EQ(said, "");
    EXPECT_EQ(mixture.names, (std::vector<std::string>{"C1", "C3", "nC4"}));
    EXPECT_GT(mixture.Psat(0, 150.0), 1e5);
    EXPECT_DOUBLE_EQ(mixture.Psat(2, 300.0), psatNC4(300.0));
}

// Water has no entry of the built-in table: its component file's Antoine constants serve,
// 1 atm at its normal boiling point (a water-bearing mixture once stopped for want of one).
TEST(RaoultComponents, ComponentFileAntoineConstantsServe) {
    IdealMixture mixture;
    mixture.number_of_components(2);
    mixture.add_components("C3", "H2O");
    ASSERT_NE(mixture.correlations[1], nullptr);
    EXPECT_NEAR(mixture.Psat(1, 373.124), 101325.0, 100.0);
    EXPECT_NEAR(mixture.Tsat(1, 101325.0), 373.124, 0.05);
    mixture.bulk_composition(0.5, 0.5);
    mixture.set_type_of_problem(12);
    mixture.set_the_temperature(300.0);
    mixture.set_the_pressure(2.0);  // between the dew (0.07 bar) and bubble (5 bar) pressures
    EXPECT_EQ(test::stderrOf([&] { mixture.calculateVLE(); }), "");
    EXPECT_EQ(mixture.status, 0);
}

TEST(RaoultComponents, UnknownComponentIsRefusedBeforeUse) {
    IdealMixture mixture;
    mixture.number_of_components(2);
    mixture.add_components("C3", "water");
    mixture.bulk_composition(0.5, 0.5);
    mixture.set_type_of_problem(12);
    mixture.set_the_temperature(300.0);
    mixture.set_the_pressure(5.0);
    std::string message = test::stderrOf([&] { mixture.calculateVLE(); });
    EXPECT_NE(message.find("water"), std::string::npos) << message;
    EXPECT_EQ(mixture.status, 2);
}

// The solver's own reset used to drop the phase models the base constructor had paired.
TEST(RaoultWithPhaseModels, ConstructorKeepsThePairedPhases) {
    FluidPhase vapour{0, 1, 0}, liquid{0, 2, 0};
    liquid.Vl0 = 1.8e-5;
    IdealMixture mixture(vapour, liquid);
    EXPECT_EQ(mixture.firstPhase, &liquid);
    EXPECT_EQ(mixture.secondPhase, &vapour);
    EXPECT_DOUBLE_EQ(mixture.last.Vl, 1.8e-5);
    ASSERT_NE(mixture.solver, nullptr);
    mixture.number_of_components(2);
    mixture.add_components("C3", "nC4");
    mixture.bulk_composition(0.4, 0.6);
    mixture.set_type_of_problem(13);
    mixture.set_the_temperature(300.0);
    mixture.set_the_vaporization_ratio(0.25);
    mixture.calculateVLE();
    EXPECT_EQ(mixture.status, 0);
    EXPECT_DOUBLE_EQ(vapour.totalMoles, 0.25);
    EXPECT_DOUBLE_EQ(liquid.totalMoles, 0.75);
}

}  // namespace
}  // namespace vornex
