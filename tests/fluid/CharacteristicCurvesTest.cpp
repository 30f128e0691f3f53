// Joule-Thomson inversion, Boyle, ideal and Joule curves on the van der Waals fluid, whose
// curves have closed forms (s = sqrt(R T b / a)):
//   Boyle      dZ/dV = 0   V = b / (1 - s),        T_B = a/(R b) at V -> infinity
//   ideal      Z = 1       V = a b / (a - b R T)
//   inversion  mu_JT = 0   V = b / (1 - s/sqrt 2), T_inv = 2a/(R b) at low pressure
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::numbersOf;

constexpr double R = kGasConstant;
constexpr double kA = testing::kVdwA, kB = testing::kVdwB;

class CharacteristicCurves : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals(1, 2.5);
    static double s(double T) { return std::sqrt(R * T * kB / kA); }
    static double boyleVolume(double T) { return kB / (1.0 - s(T)); }
    static double idealVolume(double T) { return kA * kB / (kA - kB * R * T); }
    static double inversionVolume(double T) { return kB / (1.0 - s(T) / std::sqrt(2.0)); }
};

TEST_F(CharacteristicCurves, PointsMatchTheClosedForms) {
    const double T = 600.0;
    vdw->calculateBoylePoint(T, 1.1 * boyleVolume(T));
    ASSERT_EQ(vdw->error, 0);
    EXPECT_NEAR(vdw->V / boyleVolume(T), 1.0, 1e-7);
    EXPECT_NEAR(vdw->dZdV, 0.0, 1e-6 / vdw->V);

    vdw->calculateIdealPoint(T, 1.1 * idealVolume(T));
    ASSERT_EQ(vdw->error, 0);
    EXPECT_NEAR(vdw->V / idealVolume(T), 1.0, 1e-7);
    EXPECT_NEAR(vdw->Z, 1.0, 1e-9);

    vdw->calculateJouleThomsonInversionTemperature(T, 1.1 * inversionVolume(T));
    ASSERT_EQ(vdw->error, 0);
    EXPECT_NEAR(vdw->V / inversionVolume(T), 1.0, 1e-7);
    EXPECT_NEAR(vdw->jouleThomson * 1e5, 0.0, 1e-9);
}

// Close to the low-pressure limits the curves' volumes grow without bound: the Boyle
// temperature a/(R b) and the inversion temperature 2 a/(R b).
TEST_F(CharacteristicCurves, LowPressureLimitsAreBoyleAndInversionTemperatures) {
    const double TB = kA / (R * kB);
    const double T = TB * (1.0 - 1e-4);
    vdw->calculateBoylePoint(T, boyleVolume(T) * 0.98);
    ASSERT_EQ(vdw->error, 0);
    // V = b/(1 - s): 1 - s = b/V gives back the temperature of the point.
    const double sB = 1.0 - kB / vdw->V;
    EXPECT_NEAR(kA * sB * sB / (R * kB) / TB, 1.0 - 1e-4, 1e-9);
    EXPECT_GT(vdw->V, 1e4 * kB);

    const double Tinv = 2.0 * kA / (R * kB);
    const double T2 = Tinv * (1.0 - 1e-4);
    vdw->calculateJouleThomsonInversionTemperature(T2, inversionVolume(T2) * 0.98);
    ASSERT_EQ(vdw->error, 0);
    const double sI = 1.0 - kB / vdw->V;
    EXPECT_NEAR(2.0 * kA * sI * sI / (R * kB) / Tinv, 1.0 - 1e-4, 1e-9);
}

// The Boyle curve steps from its start in T; its rows are the closed form. Above the Boyle
// temperature the curve does not exist: the trace ends there with the flag set, the rows
// below it kept.
TEST_F(CharacteristicCurves, BoyleCurveRowsFollowTheClosedFormUntilThePointsStopExisting) {
    vdw->calculateBoyleCurve("boyle", 400.0, 1.2 * boyleVolume(400.0), -10.0, 300.0, 1000.0, 2,
                             "b");
    EXPECT_EQ(vdw->error, 0);
    auto lines = fileLines("boyle");
    ASSERT_EQ(lines.size(), 1u + 11u);
    for (size_t k = 0; k < 11; k += 5) {
        const auto row = numbersOf(lines[1 + k]);
        const double T = 400.0 - 10.0 * k, V = boyleVolume(T);
        EXPECT_NEAR(row[0], T, 1e-6);
        EXPECT_NEAR(row[1], V * 1e6, 1e-5);
        EXPECT_NEAR(row[2], (R * T / (V - kB) - kA / (V * V)) * 1e-5, 1e-5);
    }
    const double TB = kA / (R * kB);
    vdw->calculateBoyleCurve("boyle2", TB - 40.0, boyleVolume(TB - 40.0), 10.0, 0.0, 2 * TB, 2,
                             "x");
    EXPECT_EQ(vdw->error, 1);
    lines = fileLines("boyle2");
    ASSERT_GE(lines.size(), 4u);
    for (size_t k = 1; k < lines.size(); ++k) EXPECT_LT(numbersOf(lines[k])[0], TB);
}

// A first point that does not converge is not written as if it did (the van der Waals fluid
// has no Joule curve: dZ/dT = a/(R T^2 V) > 0); a start at the limit writes the first point
// alone, a zero step stops after it, and names that leave the folder are refused.
TEST_F(CharacteristicCurves, FailedStartsZeroStepsAndBadNamesEndCleanly) {
    vdw->calculateJouleCurve("joule", 400.0, 1e-4, 10.0, 300.0, 500.0, 1, "j");
    EXPECT_EQ(vdw->error, 1);
    const auto joule = fileLines("joule");
    ASSERT_EQ(joule.size(), 4u);
    EXPECT_EQ(joule[2] + joule[3], "BEGINEND");
    vdw->calculateIdealCurve("ideal", 500.0, idealVolume(500.0), 5.0, 300.0, 500.0, 2, nullptr);
    EXPECT_EQ(vdw->error, 0);
    const auto lines = fileLines("ideal");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(numbersOf(lines[1])[1], idealVolume(500.0) * 1e6, 1e-5);
    vdw->calculateIdealCurve("ideal0", 500.0, idealVolume(500.0), 0.0, 300.0, 800.0, 2, "z");
    EXPECT_EQ(fileLines("ideal0").size(), 2u);
    vdw->calculateIdealCurve("a/b", 500.0, idealVolume(500.0), 1.0, 300.0, 800.0, 2, "z");
    EXPECT_EQ(vdw->error, 1);
    vdw->calculateIdealCurve("ideal1", 500.0, idealVolume(500.0), 1.0, 300.0, 800.0, 2, "a/b");
    EXPECT_EQ(vdw->error, 1);
    EXPECT_TRUE(fileLines("ideal1").empty());
}

}  // namespace
}  // namespace vornex
