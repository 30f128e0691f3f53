// Virial coefficients, the ideal-gas limit check and the Gibbs transect. The van der Waals
// fluid has B = b - a/(R T) and C = b^2; the ideal gas has Z = 1, da = 0 and phi = 1 at
// every volume; a binary ideal gas has activities x_i and no excess volume.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::numbersOf;

constexpr double R = kGasConstant;
constexpr double kA = testing::kVdwA, kB = testing::kVdwB;

class Virial : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals();
    std::unique_ptr<FluidPhase> gas = testing::makeIdealGas();
    static double secondVirial(double T) { return kB - kA / (R * T); }
};

TEST_F(Virial, ThirdCoefficientStandsClearOfTheRoundingOfZ) {
    const std::string text = test::stdoutOf([&] { vdw->calculateVirialCoefficients(300.0); });
    double B0 = 0, B1 = 0, C = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "B0 : %lg cm3/mol\nB1 : %lg cm3/mol\nC  : %lg cm6/mol2\n",
                          &B0, &B1, &C),
              3)
        << text;
    const double B = secondVirial(300.0) * 1e6;
    // The two-volume fit takes out the C/V term that the one-volume estimate keeps.
    EXPECT_NEAR(B1, B, 1e-3);  // printed with six digits
    EXPECT_NEAR(B0, B + kB * kB * 1e6 / 100.0, 1e-3);
    // Regression: from Z at 100 m3/mol alone, rounding left C wrong by more than half.
    EXPECT_NEAR(C, kB * kB * 1e12, 1e-3 * kB * kB * 1e12);
}

TEST_F(Virial, TableRowsFollowBOfTAndPressureAtOneHundredCubicMetres) {
    vdw->plotVirialCoefficients(300.0, 310.0, 1, "v");
    EXPECT_EQ(vdw->error, 0);
    const auto lines = fileLines("virialv");
    ASSERT_EQ(lines.size(), 3u + 11u + 1u);
    for (int k = 0; k <= 10; k += 5) {
        const auto row = numbersOf(lines[static_cast<size_t>(3 + k)]);
        ASSERT_EQ(row.size(), 6u);
        const double T = 300.0 + k;
        EXPECT_DOUBLE_EQ(row[0], T);
        EXPECT_NEAR(row[1], (R * T / (100.0 - kB) - kA / 1e4) * 1e-5, 1e-9);
        EXPECT_NEAR(row[3], secondVirial(T) * 1e6, 1e-3);
        EXPECT_NEAR(row[5], std::copysign(std::sqrt(std::fabs(row[4])), row[4]), 1e-3);
    }
}

TEST_F(Virial, IdealGasMeetsTheIdealLimitExactly) {
    gas->checkInfiniteVolumes(1e6, 273.15, 283.15, 1, "1");
    const auto lines = fileLines("inf1");
    ASSERT_EQ(lines.size(), 8u + 11u + 1u);
    for (int k = 0; k <= 10; k += 5) {
        const auto row = numbersOf(lines[static_cast<size_t>(8 + k)]);
        ASSERT_EQ(row.size(), 8u);
        EXPECT_DOUBLE_EQ(row[0], 273.15 + k);
        EXPECT_NEAR(row[2] / (R * row[0] / 1e6), 1.0, 1e-5);
        EXPECT_DOUBLE_EQ(row[3], 1.0);
        EXPECT_NEAR(row[5], 0.0, 1e-14);
        EXPECT_NEAR(row[6], 1.0, 1e-14);
        EXPECT_NEAR(row[7], 0.0, 1e-14);
    }
}

TEST_F(Virial, VanDerWaalsApproachesTheIdealGasAtLargeVolume) {
    vdw->checkInfiniteVolumes(1e6, 300.0, 300.0, 2, "2");
    const auto lines = fileLines("inf2");
    ASSERT_EQ(lines.size(), 1u);
    const auto row = numbersOf(lines[0]);
    // da = (2b - 2a/(R T)) / V to first order in 1/V.
    EXPECT_NEAR(row[5], 2.0 * secondVirial(300.0) / 1e6, 1e-14);
}

TEST_F(Virial, RangesThatCannotBeWalkedAreRefused) {
    gas->checkInfiniteVolumes(1e6, 300.0, 1e300, 1, "3");
    EXPECT_EQ(gas->error, 1);
    EXPECT_TRUE(fileLines("inf3").empty());
    gas->error = 0;
    gas->plotVirialCoefficients(NAN, 300.0, 1, "4");
    EXPECT_EQ(gas->error, 1);
    gas->error = 0;
    gas->checkInfiniteVolumes(-1.0, 300.0, 301.0, 1, "5");
    EXPECT_EQ(gas->error, 1);
}

// A binary ideal gas: activities equal to the mole fractions, coefficients 1, no excess
// volume, and Gex the ideal-mixing term alone.
TEST(GibbsTransect, BinaryIdealGasHasIdealActivitiesAndAPureFluidNone) {
    auto gas = testing::makeFluid(new testing::IdealGasTerm(), {0.044, 0.016});
    gas->calculateGibbsTransect2(400.0, 10.0, "t");
    const auto lines = fileLines("gibbst");
    ASSERT_EQ(lines.size(), 3u + 1001u + 1u);
    for (size_t k = 0; k <= 1000; k += 125) {
        const auto row = numbersOf(lines[3 + k]);
        ASSERT_EQ(row.size(), 15u);
        const double x1 = k == 1000 ? 1.0 : 0.001 * k;
        EXPECT_NEAR(row[0] + row[1], 1.0, 1e-12);
        EXPECT_NEAR(row[1], x1, 1e-12);
        EXPECT_NEAR(row[2] / (R * 400.0), 1.0, 1e-5);
        EXPECT_NEAR(row[3], 0.0, 1e-6);
        EXPECT_NEAR(row[9], 1.0 - x1, 1e-9);
        EXPECT_NEAR(row[10], x1, 1e-9);
        const double mixing = k == 0 || k == 1000
                                  ? 0.0
                                  : R * 400.0 * (x1 * std::log(x1) + (1 - x1) * std::log(1 - x1));
        EXPECT_NEAR(row[6], mixing, 1e-5 * std::fabs(mixing));
        EXPECT_EQ(row[14], 0.0);
        if (k > 0 && k < 1000) {
            EXPECT_NEAR(row[11], 1.0, 1e-9);
            EXPECT_NEAR(row[12], 1.0, 1e-9);
        }
    }
    // At the pure ends one activity coefficient has no value: 0/0.
    EXPECT_FALSE(std::isfinite(numbersOf(lines[3])[12]));
    EXPECT_FALSE(std::isfinite(numbersOf(lines[3 + 1000])[11]));
    // A pure fluid has no transect.
    auto vdw = testing::makeVanDerWaals();
    vdw->calculateGibbsTransect2(400.0, 10.0, "p");
    EXPECT_EQ(vdw->error, 1);
    EXPECT_TRUE(fileLines("gibbsp").empty());
}

}  // namespace
}  // namespace vornex
