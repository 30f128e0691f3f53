// A magma with a single melting point: where the balance of a heating falls on it, the magma
// stays there, partly crystallised, instead of the cycle failing; the diagram's table writes
// a figure not computed as "nan".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

WaterMagmaCalculationResult cycleAt(WagnerPruss& water, uint8_t heating, double m, bool pyroclast) {
    WaterMagmaCalculationInfo info;
    info.heating = heating;
    char mText[32];
    std::snprintf(mText, sizeof mText, "%.3f", m);
    std::vector<const char*> words = {"Tsol", "1100", "Tliq", "1100", "m", mText};
    if (pyroclast) words.push_back("pyroclast");
    ::testing::internal::CaptureStdout();
    const int read = info.readArguments(static_cast<int>(words.size()), words.data());
    WaterMagmaCalculationResult r;
    if (read == 0) water.calculateWaterMagmaCycle(info, r, 0, 0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(read, 0);
    water.error = 0;
    return r;
}

TEST(SingleMeltingPoint, HeatingsThatFallOnItStopThere) {
    WagnerPruss water(2);
    const double Tp = 1100.0 + 273.15;
    // Isochoric, isobaric and the Wohletz heating: across the mass ratios where the water
    // takes part of the latent heat, the peak stays at the melting point.
    for (uint8_t heating : {0, 1, 2}) {
        double previous = 1e9;
        int onIt = 0;
        for (double m = 0.02; m <= 0.2001; m += 0.01) {
            const WaterMagmaCalculationResult r = cycleAt(water, heating, m, false);
            ASSERT_EQ(r.failed, 0) << "heating " << int(heating) << ", m " << m;
            EXPECT_LE(r.T3, previous + 1e-9) << "heating " << int(heating) << ", m " << m;
            previous = r.T3;
            if (std::fabs(r.T3 - Tp) <= WaterEOS::kSingleMeltingWidth) ++onIt;
            EXPECT_FALSE(r.T3 > Tp + 1e-9 && r.T3 < Tp + 0.5) << "heating " << int(heating);
        }
        EXPECT_GE(onIt, 3) << "heating " << int(heating);
    }
    // The pyroclast-heated variant of a peak on the melting point.
    const WaterMagmaCalculationResult r = cycleAt(water, 0, 0.05, true);
    ASSERT_EQ(r.failed, 0);
    EXPECT_EQ(r.pyroclastFailed, 0);
    EXPECT_TRUE(std::isfinite(r.WrevP) && r.WrevP < r.Wrev);
}

TEST(SingleMeltingPoint, TheLatentHeatIsReleasedOnceAcrossIt) {
    WagnerPruss water(2);
    water.latentHeat = 350000.0;
    water.solidusTemperature = water.liquidusTemperature = 1373.15;
    const double L = water.latentHeat;
    EXPECT_EQ(water.calculateLatentHeatTerm(1473.15, 1273.15), -L);
    EXPECT_EQ(water.calculateLatentHeatTerm(1273.15, 1473.15), L);
    EXPECT_EQ(water.calculateLatentHeatTerm(1473.15, 1400.0), 0.0);
    EXPECT_EQ(water.calculateLatentHeatTerm(1300.0, 1200.0), 0.0);
    // Halfway through its crystallisation at the melting point.
    const double half = 1373.15 - 0.5 * WaterEOS::kSingleMeltingWidth;
    EXPECT_NEAR(water.calculateLatentHeatTerm(1473.15, half), -0.5 * L, 1e-6 * L);
    // The heat at the melting temperature: its entropy, whole or in part.
    EXPECT_NEAR(water.calculateLatentHeatEntropicTerm(1473.15, 1273.15), -L / 1373.15,
                1e-12 * L / 1373.15);
    EXPECT_NEAR(water.calculateLatentHeatEntropicTerm(1473.15, half), -0.5 * L / 1373.15,
                1e-6 * L / 1373.15);
}

TEST(SingleMeltingPoint, DiagramTableWritesFiguresNotComputedAsNan) {
    WaterMagmaCalculationInfo info;
    info.pyroclast = 1;
    info.m = 0.03;
    WaterMagmaCalculationResult r;
    r.Wrev = -1500.0;
    r.WirrP = std::nan("");
    r.WrevP = -5000.0;
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    writeDataIgorFileForWaterMagmaDiagram(file, info, r);
    std::rewind(file);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
    std::fclose(file);
    const std::string text(line);
    EXPECT_EQ(text.find("-nan"), std::string::npos) << text;
    EXPECT_NE(text.find(" nan"), std::string::npos) << text;
    EXPECT_NE(text.find("1500.000000"), std::string::npos) << text;
}

}  // namespace
}  // namespace vornex
