// The water study drivers: homogenisation of inclusions against the saturation of the
// reference model, the console loops, the comparison tables and the files they write.
#include <gtest/gtest.h>

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

TEST_F(WaterHomogenisationTest, ThOfASaturatedVolumeIsItsTemperature) {
    for (double Th : {400.0, 500.0, 600.0, 640.0}) {
        water.calculateTheSaturationPressure(Th);
        ASSERT_EQ(water.error, 0);
        const double Vl = water.Vl * 1e6, Vv = water.Vv * 1e6;
        ASSERT_EQ(water.calculateTheLiquidTh(Vl), 0) << Th;
        EXPECT_NEAR(water.T, Th, 1e-4) << Th;
        if (Th < 550.0) continue;
        ASSERT_EQ(water.calculateTheGasTh(Vv), 0) << Th;
        EXPECT_NEAR(water.T, Th, 1e-3) << Th;
    }
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

TEST_F(WaterHomogenisationTest, InclusionPropertiesPrintTheTrappingState) {
    const std::string text = textWritten(
        [&](FILE* out) { water.calculateTheFluidInclusionProperties(673.15, 1000.0, out); });
    EXPECT_NE(text.find("Ttrap : 673.15 K (400.00°C)"), std::string::npos) << text;
    EXPECT_NE(text.find("Ptrap : 1000.00 bar"), std::string::npos) << text;
    EXPECT_NE(text.find("Th "), std::string::npos) << text;
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
    int lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 13);
    EXPECT_NE(text.find("AADP "), std::string::npos);
}

TEST_F(WaterComparisonTest, ModelComparedWithItselfDeviatesNowhere) {
    WagnerPruss other(2);
    std::istringstream text(textWritten([&](FILE* out) { water.compareWithEOS(&other, out); }));
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line.rfind("P(bar)\\ T(°C)", 0), 0u);
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

TEST_F(WaterComparisonTest, HeatCapacityExceedsCvAlongTheIsobar) {
    std::istringstream text(textWritten([&](FILE* out) { water.checkCp(out); }));
    std::string line;
    std::getline(text, line);
    int rows = 0;
    double T, P, Cv, Cp;
    while (text >> T >> P >> Cv >> Cp) {
        EXPECT_GT(Cp, Cv) << T;
        ++rows;
    }
    EXPECT_EQ(rows, 15);
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
