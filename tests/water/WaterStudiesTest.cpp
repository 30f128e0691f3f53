// The water study drivers: homogenisation of inclusions against the saturation of the
// reference model, the console loops and the comparison tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CorrelationTestSupport.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kM = kWaterMolarMass;

using testing::textWritten;

class WaterHomogenisationTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};
};

TEST_F(WaterHomogenisationTest, DensityFromThIsTheSaturationOfTheModel) {
    // IAPWS-95 saturation at 500 K: 831.31 and 13.199 kg/m3, 2.6392 MPa.
    water.calculateTheDensityFromTh(500.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(kM / water.Vl, 831.31, 0.05);
    EXPECT_NEAR(kM / water.Vv, 13.199, 0.005);
}

TEST_F(WaterHomogenisationTest, NonPositiveVolumeIsRefused) {
    EXPECT_NE(water.calculateTheGasTh(0.0), 0);
    EXPECT_NE(water.calculateTheLiquidTh(-3.0), 0);
    EXPECT_NE(water.calculateTheLiquidTh(std::nan("")), 0);
    water.calculateTheDensityFromTh(700.0);
    EXPECT_EQ(water.error, 1);
}

TEST_F(WaterHomogenisationTest, ConsoleLoopStopsAtZeroAndAtBadInput) {
    std::istringstream in("21.67\n0\n99\n");
    water.calculateTheLiquidThs(in);
    EXPECT_NEAR(water.T, 500.0, 0.5);
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "99");  // nothing read after the 0
    std::istringstream junk("abc\n");
    water.calculateTheGasThs(junk);  // ends without a number: no hang
}

class WaterComparisonTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};
};

TEST_F(WaterComparisonTest, SteamTableVolumesAgreeWithinTwoPercent) {
    double aad = 100.0;
    const std::string text =
        textWritten([&](FILE* out) { aad = water.compareNBSSteamTable(&water, out); });
    // The model extrapolates to 2000 degC: 1.5 % on average.
    EXPECT_LT(aad, 2.0);
    // Each of the twelve states: the printed deviation is that of the model's own volume
    // there, every one within 4 %, and the mean is theirs.
    std::istringstream lines(text);
    std::string line, label;
    double sum = 0.0, worst = 0.0;
    int rows = 0;
    while (std::getline(lines, line) && line.rfind("T ", 0) == 0) {
        std::istringstream row(line);
        double T = 0, P = 0, Vcalc = 0, Vexp = 0, dev = 0;
        row >> label >> T >> label >> P >> label >> Vcalc >> label >> Vexp >> label >> dev;
        WagnerPruss fresh(2);
        fresh.calculateFromTP(T, P, 0);
        ASSERT_EQ(fresh.error, 0) << line;
        EXPECT_NEAR(Vcalc, fresh.V * 1e6, 1e-5 * Vcalc) << line;
        EXPECT_NEAR(dev, 100.0 * (Vcalc - Vexp) / Vexp, 1e-3) << line;  // six digits printed
        EXPECT_LT(std::fabs(dev), 4.0) << line;
        sum += std::fabs(dev);
        worst = std::max(worst, std::fabs(dev));
        ++rows;
    }
    EXPECT_EQ(rows, 12);
    EXPECT_NEAR(aad, sum / rows, 1e-4);
    EXPECT_GT(worst, 0.0);
}

TEST_F(WaterComparisonTest, ModelComparedWithItselfDeviatesNowhere) {
    WagnerPruss other(2);
    std::istringstream text(textWritten([&](FILE* out) { water.compareWithEOS(&other, out); }));
    std::string line;
    std::getline(text, line);
    int rows = 0;
    while (std::getline(text, line)) {
        std::istringstream row(line);
        double p, d;
        row >> p;
        for (int i = 0; i < 10 && (row >> d); ++i)
            if (std::isfinite(d)) {
                EXPECT_NEAR(d, 0.0, 1e-9) << line;
            }
        ++rows;
    }
    EXPECT_EQ(rows, 43);
}

TEST_F(WaterComparisonTest, KellTableIsCloseToTheReferenceWhereKellApplies) {
    std::istringstream text(textWritten([&](FILE* out) { water.compareKellWithIUPAC(out); }));
    std::string line;
    std::getline(text, line);
    std::getline(text, line);  // 1 bar: 0 and 100 degC
    std::istringstream row(line);
    double p, d0;
    row >> p >> d0;
    EXPECT_EQ(p, 1.0);
    EXPECT_LT(std::fabs(d0), 0.5);
}

TEST_F(WaterComparisonTest, HighPTExtrapolationWritesTwelveRows) {
    std::filesystem::remove("extra");
    ASSERT_TRUE(water.checkHighPTExtrapolation());
    std::ifstream in("extra");
    double T, P, Vcalc, Vexp, dev;
    int rows = 0;
    while (in >> T >> P >> Vcalc >> Vexp >> dev) {
        EXPECT_NEAR(dev, (Vcalc - Vexp) / Vexp * 100.0, 1e-4);
        ++rows;
    }
    EXPECT_EQ(rows, 12);
}

TEST_F(WaterComparisonTest, BadSuffixAndNonPositivePressureAreRefused) {
    water.calculateTheBoyleCurve(0, "../x");
    EXPECT_EQ(water.error, 1);
    EXPECT_FALSE(std::filesystem::exists("boyle../x0"));
    EXPECT_FALSE(std::filesystem::exists("../x0"));
    water.error = 0;
    water.calculateTheIsobar(-5.0, 0, 0, "n", nullptr);
    EXPECT_EQ(water.error, 1);
}

}  // namespace
}  // namespace vornex
