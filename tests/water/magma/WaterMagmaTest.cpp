// Magma-water energetics on the reference water model: expansion works, saturated
// expansion, exsolution and isobaric heating against values computed independently from
// IAPWS-95 (to the printed 0.1 J/g), the default isochoric cycle, latent heat, isobaric
// modes, heating-decompression paths, the input record and the report texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "MagmaTestSupport.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

// The input record of the given option words, read quietly.
WaterMagmaCalculationInfo infoFrom(std::vector<const char*> words, uint8_t heating = 0) {
    WaterMagmaCalculationInfo info;
    info.heating = heating;
    ::testing::internal::CaptureStdout();
    info.readArguments(static_cast<int>(words.size()), words.data());
    ::testing::internal::GetCapturedStdout();
    return info;
}

class MagmaWaterTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};

    // A magma of 1200 J/(kg K) that melts between 1173.15 and 1473.15 K with `latentHeat` J/kg.
    void setMagma(double latentHeat) {
        water.magmaHeatCapacity = 1200.0;
        water.latentHeat = latentHeat;
        water.solidusTemperature = 1173.15;
        water.liquidusTemperature = 1473.15;
    }

    // Expansion of the liquid state (T K, P bar) to 1 bar, as the "TP" command does it.
    WaterMagmaCalculationResult expandState(double TK, double Pbar) {
        water.set_the_phase_as(2);
        water.calculateFromTP(TK, Pbar, 0);
        WaterMagmaCalculationResult r;
        water.calculateExpansionWorkOfState(r, 1.0);
        return r;
    }

    WaterMagmaCalculationResult cycle(WaterMagmaCalculationInfo info) {
        WaterMagmaCalculationResult r;
        water.calculateWaterMagmaCycle(info, r, 0, 0);
        return r;
    }
};

TEST_F(MagmaWaterTest, ExpansionOfLiquidAt300CAnd100Bar) {
    const WaterMagmaCalculationResult r = expandState(573.15, 100.0);
    EXPECT_NEAR(r.V3, 25.19, 0.005);
    EXPECT_NEAR(-r.Wrev, 241.0, 0.05);
    EXPECT_NEAR(r.T4, 572.5, 0.05);
    EXPECT_NEAR(r.P4, 85.07, 0.005);
    EXPECT_NEAR(r.x5, 0.679, 0.0005);
    EXPECT_NEAR(-r.Wirr, 68.4, 0.05);
    EXPECT_NEAR(r.xi, 0.596, 0.0005);
    EXPECT_EQ(r.twoPhase, 1);
    EXPECT_EQ(r.failed, 0);
}

TEST_F(MagmaWaterTest, RegressionIrreversibleExpansionOfSteamEndsAsSteam) {
    // Superheated steam at 300 deg. C and 10 bar against 1 bar: the end lies on the vapour
    // side, where a liquid-side search finds only superheated liquid and fails.
    water.set_the_phase_as(1);
    water.calculateFromTP(573.15, 10.0, 0);
    WaterMagmaCalculationResult r;
    water.calculateExpansionWorkOfState(r, 1.0);
    ASSERT_EQ(r.failed, 0);
    ASSERT_TRUE(std::isfinite(r.Wirr));
    EXPECT_EQ(r.xi, 0.0);  // all steam
    EXPECT_GT(r.T5irr, 373.15);
    EXPECT_LT(r.T5irr, 573.15);
    // Positive work, below the reversible one.
    EXPECT_GT(-r.Wirr, 0.0);
    EXPECT_LT(-r.Wirr, -r.Wrev);
    // U5 - U3 = -Pf (V5 - V3) with the end state at 1 bar.
    water.set_the_phase_as(1);
    water.calculateFromTP(r.T5irr, 1.0, 0);
    ASSERT_EQ(water.error, 0);
    const double Pf = 1e5, V3 = r.V3 * 1e-6;
    EXPECT_NEAR((water.U - r.U3) + Pf * (water.V - V3), 0.0, 1e-6 * std::fabs(water.U - r.U3));
    EXPECT_NEAR(-r.Wirr, Pf * (water.V - V3) * 0.001 / kWaterMolarMass, 1e-6 * -r.Wirr);
}

TEST_F(MagmaWaterTest, RegressionSingleStateResultStartsFromZero) {
    // The single-state commands set state 3 only: nothing else may come from stray memory.
    const WaterMagmaCalculationResult r = expandState(573.15, 100.0);
    EXPECT_EQ(r.m, 0.0);
    EXPECT_EQ(r.pyroclast, 0);
    EXPECT_EQ(r.steamMass, 0.0);  // no magma: m = 0
    EXPECT_EQ(r.steamMassIrr, 0.0);
    EXPECT_EQ(r.WrevP, 0.0);
    EXPECT_NEAR(r.Q, r.U3 * 0.001 / kWaterMolarMass, 1e-9);  // from a state 2 of zero
}

TEST_F(MagmaWaterTest, SaturatedLiquidAndSteamAt200CExpandedTo1Bar) {
    WaterSaturationResult s;
    water.calculateSaturatedExpansionWork(473.15, 0.0, &s, 1.0);
    EXPECT_NEAR(s.Wrevl, 78.7, 0.05);
    EXPECT_NEAR(s.Wirrl, 32.5, 0.05);
    EXPECT_NEAR(s.Wrevv, 408.9, 0.05);
    EXPECT_NEAR(s.Wirrv, 151.6, 0.05);
    // Just below the critical pressure both ends are the critical fluid.
    ::testing::internal::CaptureStdout();
    water.calculateSaturatedExpansionWork(0.0, 220.62, &s, 1.0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_NEAR(s.T, kWaterCriticalTemperature, 0.01);
    EXPECT_EQ(s.Vl, s.Vv);
    EXPECT_NEAR(s.Wrevl, s.Wrevv, 1e-9);
    // Below the exit pressure nothing is produced.
    water.calculateSaturatedExpansionWork(330.0, 0.0, &s, 1.0);
    EXPECT_EQ(s.belowExit, 1);
    EXPECT_EQ(s.Wrevl, 0.0);
    EXPECT_EQ(s.steamMassv, 100.0);
}

TEST_F(MagmaWaterTest, ExsolutionWorkAt900CAnd1000Bar) {
    // With a target work of 0 the residual is the work itself.
    struct {
        double P, V0, W;
    } context{1000.0, 1.2e-5, 0.0};
    EXPECT_NEAR(water.equationForExsolutionWork(1173.15, &context), 437.6, 0.05);
    EXPECT_NEAR(water.V * 1e6, 90.84, 0.005);
    // The temperature of that work at that pressure comes back.
    water.temperature(1100.0);
    water.calculateTemperatureForGivenExsolutionWorkAndPressure(437.63, 1000.0, 1.2e-5);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(water.T, 1173.15, 0.1);
    // No steam at 1000 bar is denser than the melt's 12 cm3/mol: a work taken in, not given
    // out, has no temperature, and the search says so rather than return one.
    water.temperature(1100.0);
    water.calculateTemperatureForGivenExsolutionWorkAndPressure(-500.0, 1000.0, 1.2e-5);
    EXPECT_EQ(water.error, 1);
    // Far below the triple point the model has no steam: the residual is refused, not zero.
    water.equationError = 0;
    water.equationForExsolutionWork(100.0, &context);
    EXPECT_EQ(water.equationError, 1);
    water.equationError = 0;
}

TEST_F(MagmaWaterTest, IsobaricHeatingWorkReport) {
    ::testing::internal::CaptureStdout();
    water.calculateIsobaricHeatingWork(100.0, 293.15, 573.15);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Isobaric heating work   :     4.01 J/g H2O"), std::string::npos) << out;
}

TEST_F(MagmaWaterTest, DefaultIsochoricCycle) {
    const WaterMagmaCalculationResult r = cycle(infoFrom({}));
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(r.T2, 296.15, 1e-9);
    EXPECT_NEAR(r.P2, 10.81, 1e-9);
    EXPECT_NEAR(r.T3, 691.3, 0.05);
    EXPECT_NEAR(r.P3, 7699.0, 0.5);
    EXPECT_NEAR(r.Q, 1288.2, 0.05);
    EXPECT_NEAR(-r.Wrev, 319.6, 0.05);
    EXPECT_NEAR(-r.Wirr, 72.5, 0.05);
}

TEST_F(MagmaWaterTest, CyclesStartFromLiquidWaterAtTheSurfaceAndAtDepth) {
    // Boiling points (IAPWS-95, python3-iapws): 99.606 deg. C at 1 bar, 45.81 at 0.1 bar,
    // 310.4 at 99.1 bar. Beyond them the water is steam: no cycle heats it as a liquid.
    struct Case {
        std::vector<const char*> words;
        uint8_t heating;
        const char* why;
    };
    const Case steam[] = {
        {{"T1", "99.7"}, 0, "the water at the surface is steam"},
        {{"T1", "60", "Psurf", "0.1"}, 2, "the water at the surface is steam"},
        {{"T1", "150", "recharge"}, 0, "the water at the surface is steam"},
        {{"geo", "300", "d", "1000"}, 1, "the water at depth is steam"},
        {{"geo", "300", "d", "1000", "pyroclast"}, 0, "the water at depth is steam"},
        {{"geo", "1000", "d", "1000"}, 1, "the water at depth is steam"},
    };
    for (const Case& c : steam) {
        water.error = 0;
        const WaterMagmaCalculationInfo info = infoFrom(c.words, c.heating);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const WaterMagmaCalculationResult r = cycle(info);
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
        EXPECT_NE(water.error, 0) << c.words[1];
        EXPECT_NE(r.failure.find(c.why), std::string::npos) << c.words[1] << ": " << r.failure;
    }
    // Just below the boiling points the cycles run: liquid at 99.5 deg. C and 1 bar, at
    // 300 deg. C and 99.1 bar, and at depth above the critical pressure whatever its heat.
    for (const std::vector<const char*>& words :
         {std::vector<const char*>{"T1", "99.5"}, {"geo", "280", "d", "1000"},
          {"Tm", "1200", "d", "2500", "geo", "150"}}) {
        water.error = 0;
        const WaterMagmaCalculationInfo info = infoFrom(words);
        ::testing::internal::CaptureStdout();
        const WaterMagmaCalculationResult r = cycle(info);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(water.error, 0) << words[1] << ": " << r.failure;
        EXPECT_TRUE(r.failure.empty()) << r.failure;
    }
}

TEST_F(MagmaWaterTest, ReversibleWorkPerGramOfMagmaPeaksNearHalfAndMoreWater) {
    auto workPerMagma = [&](double m) {
        WaterMagmaCalculationInfo info = infoFrom({});
        info.m = m;
        const WaterMagmaCalculationResult r = cycle(info);
        EXPECT_EQ(water.error, 0) << m;
        return -r.Wrev * m;
    };
    const double w45 = workPerMagma(0.45), w55 = workPerMagma(0.55), w70 = workPerMagma(0.7);
    EXPECT_NEAR(w45, 354.0, 0.5);
    EXPECT_NEAR(w55, 359.0, 0.5);
    EXPECT_NEAR(w70, 353.0, 0.5);
    EXPECT_GT(w55, w45);
    EXPECT_GT(w55, w70);
}

// ------------------------------------------------------------------- latent heat

TEST_F(MagmaWaterTest, LatentHeatOfTheCrystallisingMagma) {
    struct Case {
        double L, Tsol, Tliq, T0, T, heat, entropy;
    };
    const double L = 350000.0;
    const Case cases[] = {
        {0.0, 1173.15, 1473.15, 1473.15, 800.0, 0.0, 0.0},
        // Cooling from the liquidus through the whole interval, and into it by a third.
        {L, 1173.15, 1473.15, 1473.15, 800.0, -L, L / 300.0 * std::log(1173.15 / 1473.15)},
        {L, 1173.15, 1473.15, 1500.0, 1373.15, -L / 3.0, L / 300.0 * std::log(1373.15 / 1473.15)},
        // Equal solidus and liquidus: a step only when the point is crossed.
        {L, 1200.0, 1200.0, 1300.0, 1100.0, -L, -L / 1200.0},
        {L, 1200.0, 1200.0, 1100.0, 1300.0, L, L / 1200.0},
        {L, 1200.0, 1200.0, 1300.0, 1250.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        water.latentHeat = c.L;
        water.solidusTemperature = c.Tsol;
        water.liquidusTemperature = c.Tliq;
        EXPECT_NEAR(water.calculateLatentHeatTerm(c.T0, c.T), c.heat, 1e-6) << c.T0 << " " << c.T;
        EXPECT_NEAR(water.calculateLatentHeatEntropicTerm(c.T0, c.T), c.entropy, 1e-9);
    }
}

// ------------------------------------------------------------------ isobaric modes

TEST_F(MagmaWaterTest, IsobaricModesFollowTheHeatLeftAtSpinodalAndAfterBoiling) {
    struct Case {
        const char* m;
        const char* depth;
        int stage;
        double x3;
    };
    // Much water stays liquid, little water ends as steam, in between it boils; below
    // 2250 m the pressure is supercritical.
    const Case cases[] = {{"7", "100", 1, -2.0},
                          {"0.8", "100", 2, 0.5},
                          {"0.1", "100", 3, 0.0},
                          {"1", "2300", 4, 0.0}};
    for (const Case& c : cases) {
        const WaterMagmaCalculationResult r = cycle(infoFrom({"m", c.m, "d", c.depth}, 1));
        EXPECT_EQ(water.error, 0) << c.m;
        EXPECT_EQ(r.isobaricStage, c.stage) << c.m << " " << c.depth;
        if (c.stage == 2) {
            EXPECT_GT(r.x3, 0.0);
            EXPECT_LT(r.x3, 1.0);
            EXPECT_NEAR(r.T3, r.Tb, 1e-9);
        } else {
            EXPECT_EQ(r.x3, c.x3) << c.m;
        }
        // Heat given by the magma: the water's enthalpy rise plus what the rock took (none).
        EXPECT_GT(r.Q, 0.0);
        EXPECT_LT(r.Wrev, 0.0) << c.m;
    }
}

// ---------------------------------------------------- heating-decompression paths

TEST_F(MagmaWaterTest, HeatingDecompressionEndsAtTheBoundaryOrTheEndPressure) {
    water.waterMagmaRatio = 1.0;
    setMagma(0.0);
    // Hot dense water: the path meets the two-phase boundary.
    water.magmaTemperature = 691.3;
    water.calculateHeatingDecompression(18.05e-6, 691.3, 273.15, 1473.15, 1e5, 0, "", nullptr);
    EXPECT_EQ(water.boundaryReached, 1);
    EXPECT_GT(water.boundaryPressure, 1e5);
    EXPECT_LT(water.boundaryTemperature, kWaterCriticalTemperature);
    EXPECT_LT(water.boundaryWork, 0.0);  // the water has done work
    EXPECT_GT(water.boundaryHeat, 0.0);  // and taken heat from the magma
    // Light hot steam reaches 1 bar first; the end point is interpolated there.
    water.magmaTemperature = 1200.0;
    water.calculateHeatingDecompression(2e-3, 1200.0, 273.15, 1473.15, 1e5, 6, "", nullptr);
    EXPECT_EQ(water.endInterpolated, 1);
    EXPECT_NEAR(water.endPressure, 1e5, 1.0);
    EXPECT_NE(water.boundaryReached, 1);
    // A start outside (Tlow, Thigh) writes only the header.
    water.calculateHeatingDecompression(2e-3, 1200.0, 273.15, 1000.0, 1e5, 2, "x", nullptr);
    EXPECT_EQ(testing::fileLines("isohx").size(), 1u);
    EXPECT_EQ(water.endInterpolated, -1);
}

TEST_F(MagmaWaterTest, RegressionEquilibriumCurveSweepsTheMassRatio) {
    setMagma(350000.0);
    water.calculateEquilibriumCurve(1473.15, 0, 0, 0, 0, 1, "0");
    const std::vector<std::string> lines = testing::fileLines("heat0.txt");
    ASSERT_EQ(lines.size(), 3u + 1018u + 1u);
    const std::vector<double> first = testing::numbersOf(lines[3]),
                              last = testing::numbersOf(lines[1020]);
    EXPECT_NEAR(first[0], 0.01, 1e-9);
    EXPECT_NEAR(last[0], 10.09, 1e-9);
    // More water ends cooler.
    EXPECT_GT(first[1], last[1] + 500.0);
}

// The plain-text table: each row balances the water's energy gain at its cold volume with
// the magma's heat, sensible and latent (all of it: the peak is below the solidus); beside
// it the same balance with a water heat capacity of 4200 J/(kg K).
TEST_F(MagmaWaterTest, EquilibriumTableBalancesTheMagmasHeat) {
    setMagma(350000.0);
    water.waterMagmaRatio = 0.3;
    water.calculateEquilibriumCurve(1473.15, 0, 0, 0, 0, 0, "1");
    ASSERT_EQ(water.error, 0);
    EXPECT_EQ(water.waterMagmaRatio, 0.3);  // the sweep leaves the model's own ratio
    const std::vector<std::string> lines = testing::fileLines("heat1.txt");
    ASSERT_EQ(lines.size(), 4u + 1018u);
    EXPECT_EQ(lines[0], "# Magma temperature : 1473.150000");
    EXPECT_EQ(lines[1], "# T0                : 293.150000");
    EXPECT_EQ(lines[2], "# P0                : 1.000000");
    WagnerPruss cold(2);
    cold.calculateFromTP(293.15, 1.0, 0);
    const double V1 = cold.V, U1 = cold.U, M = 0.018015268;
    for (const std::size_t row : {4u + 18u + 40u, 4u + 18u + 90u, 4u + 18u + 400u}) {
        const std::vector<double> v = testing::numbersOf(lines[row]);
        ASSERT_EQ(v.size(), 3u) << lines[row];
        const double m = v[0], T = v[1];
        ASSERT_LT(T, 1173.15) << m;
        WagnerPruss hot(2);
        hot.calculateFromTV(T, V1, 0);
        ASSERT_EQ(hot.error, 0);
        const double magmaHeat = 1200.0 * (1473.15 - T) + 350000.0;  // J per kg of magma
        EXPECT_NEAR(m * (hot.U - U1) / M, magmaHeat, 1e-5 * magmaHeat) << m;
        EXPECT_NEAR(
            v[2], (1473.15 * 1200.0 + 293.15 * m * 4200.0 + 350000.0) / (m * 4200.0 + 1200.0), 0.1)
            << m;
    }
    std::filesystem::remove("heat1.txt");
    // A suffix that names another folder writes nothing and says why.
    ::testing::internal::CaptureStderr();
    water.calculateEquilibriumCurve(1473.15, 0, 0, 0, 0, 0, "/x");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("Suffix \"/x\" refused"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists("heat/x.txt"));
    EXPECT_EQ(water.waterMagmaRatio, 0.3);
}

// ------------------------------------------------------------------ input record

TEST(MagmaWaterInfoTest, OptionsDefaultsAndConversions) {
    WaterMagmaCalculationInfo info = infoFrom({"Tm", "1000", "Tm", "1100", "frac", "5"});
    EXPECT_DOUBLE_EQ(info.Tm, 1373.15);
    EXPECT_EQ(info.fractionation, 1);
    EXPECT_EQ(info.fractionCount, 5);
    EXPECT_EQ(info.m, 1.0);
    EXPECT_DOUBLE_EQ(info.cp, 1200.0);
    EXPECT_DOUBLE_EQ(info.geoGradient, 0.03);
    EXPECT_STREQ(info.suffix, "0");
    WaterMagmaCalculationInfo same = infoFrom({"Tm", "1000", "Tm", "1100", "frac", "5"});
    EXPECT_TRUE(info.isEqualTo(&same));
    same.coupling = 0.5;
    EXPECT_FALSE(info.isEqualTo(&same));
    // Counts below 1 are one cycle.
    EXPECT_EQ(infoFrom({"max", "-4"}).maxRecharges, 1);
}

TEST(MagmaWaterInfoTest, EveryTypedNumberIsTakenAsGivenNoneReadsAsLeftOut) {
    // -100 is a number like any other: a depth, overpressure or porosity of -100 is refused,
    // a gradient or latent heat of -100 is taken (or refused) as typed, never the default.
    auto status = [](std::vector<const char*> words) {
        WaterMagmaCalculationInfo info;
        info.heating = 0;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int s = info.readArguments(static_cast<int>(words.size()), words.data());
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
        return s;
    };
    for (const char* word : {"d", "over", "porosity", "satu", "L", "cp", "g", "sediRho", "Psurf"})
        EXPECT_EQ(status({word, "-100"}), -1) << word;
    EXPECT_DOUBLE_EQ(infoFrom({"geo", "-100", "d", "50"}).geoGradient, -0.1);
    EXPECT_DOUBLE_EQ(infoFrom({"T1", "-100"}).T1, 173.15);
    EXPECT_DOUBLE_EQ(infoFrom({"Tsol", "-100", "Tliq", "-50"}).Tsol, 173.15);
    // Left out, each takes its default.
    const WaterMagmaCalculationInfo plain = infoFrom({});
    EXPECT_DOUBLE_EQ(plain.T1, 293.15);
    EXPECT_DOUBLE_EQ(plain.depth, 100.0);
    EXPECT_DOUBLE_EQ(plain.overpressure, 0.0);
    // An interactive answer of -100 is the same number; empty lines keep the defaults.
    WaterMagmaCalculationInfo asked;
    std::istringstream answers("\n\n\n-100\n\n\n\n\n\n\n\n\n\n\n\n\n");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(asked.askToUser(answers));
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(asked.T1, -100.0);
    EXPECT_DOUBLE_EQ(asked.Tm, 1200.0);
    EXPECT_EQ(asked.maxRecharges, 10);
}

TEST(MagmaWaterInfoTest, RegressionUnusableValuesAreRefused) {
    // Among them a value option as the last word (no value) and a word partly a number.
    const std::vector<std::vector<const char*>> refused = {
        // m 0, the mark of a ratio not given, was taken for none and computed with m = 1.
        {"m", "0"},
        {"m", "-1"}, {"Tsol", "1300"}, {"porosity", "0"}, {"satu", "1.5"},   {"Tm", "nan"},
        {"Tm"},      {"Tm", "1100x"},  {"d", "-10"},      {"coupling", "2"}, {"cp", "0"}};
    for (const auto& words : refused) {
        WaterMagmaCalculationInfo info;
        info.heating = 0;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(info.readArguments(static_cast<int>(words.size()), words.data()), -1) << words[0];
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    }
}

TEST(MagmaWaterInfoTest, InteractiveAnswersThenLaterOptions) {
    WaterMagmaCalculationInfo info;
    std::istringstream answers("0.5\n\n1000\n\n\n\n\n\n\n\n\n\n\n1\ny\n\n\n");
    const char* words[] = {"interactive", "Tm", "1100"};
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    info.readArguments(3, words, &answers);
    const std::string asked = ::testing::internal::GetCapturedStderr();
    const std::string out = ::testing::internal::GetCapturedStdout();
    // The questions go to standard error, the summary to standard output.
    EXPECT_NE(asked.find("Magma temperature (°C),"), std::string::npos);
    EXPECT_EQ(out.find("default ="), std::string::npos);
    EXPECT_EQ(info.m, 0.5);
    EXPECT_DOUBLE_EQ(info.Tm, 1373.15);  // the later option overrides the answer
    EXPECT_EQ(info.heating, 1);
    EXPECT_EQ(info.recharge, 1);
    EXPECT_EQ(info.maxRecharges, 10);  // the default the help and the options give
    EXPECT_EQ(info.pyroclast, 0);
}

// ------------------------------------------------------------------ report texts

TEST_F(MagmaWaterTest, ExpansionReportOfTheTPCommand) {
    const WaterMagmaCalculationResult r = expandState(573.15, 100.0);
    ::testing::internal::CaptureStdout();
    r.printExpansionWork();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(masked(out),
              "\nReversible isentropic expansion :\n"
              "\tBoiling point at  # deg. C ( # K) and   # bar\n"
              "\tMonophasic expansion work :   # J/g water\n"
              "\tBiphasic expansion work   : # J/g water\n"
              "\tTotal expansion work      : # J/g water\n"
              "\t # mass % of steam at #°C and 1 bar\n"
              "\t # volume % of steam at #°C and 1 bar\n"
              "\nIrreversible adiabatic expansion :\n"
              "\t# mass % of steam at #°C and 1 bar\n"
              "\t # volume % of steam at #°C and 1 bar\n"
              "\tExpansion work            :  # J/g water\n");
    EXPECT_NEAR(numberAfter(out, "Boiling point at"), 572.48 - 273.15, 0.006);
    EXPECT_NEAR(numberAfter(out, "Total expansion work      :"), 241.0, 0.06);
    EXPECT_NEAR(numberAfter(out, "\t "), (1.0 - 0.679) * 100.0, 0.06);
    EXPECT_NEAR(numberAfter(out, "Expansion work            :"), 68.4, 0.06);
}

// The lines the cycle reports share, masked, behind their prefix.
std::string cycleLines(const std::string& tab) {
    std::string text;
    for (const char* line :
         {"T1    :    #°C            P1 :     # bar ", "T2    :    #°C            P2 :    # bar ",
          "T3    :   #°C            P3 :  # bar ", "T4    :   #°C            P4 :    # bar ",
          "T5    :    #°C            P5 :     # bar ", "% steam mass   (rock-free basis) :    # % ",
          "% steam volume (rock-free basis) :    # % ",
          "% steam mass                     :    # % ",
          "% steam volume                   :    # % ", "S3    :    # J/°C/mol       # J/°C/g ",
          "S4    :    # J/°C/mol       # J/°C/g ", "S5    :    # J/°C/mol       # J/°C/g ",
          "V3    :    # cm3/mol        # cm3/g", "V4    :    # cm3/mol        # cm3/g",
          "Q     :  # J/g water "})
        text += tab + line + "\n";
    return text;
}

std::string fractionLines(const std::string& tab) {
    std::string text;
    for (const char* what : {"mass   (rock-free basis)", "volume (rock-free basis)",
                             "mass                    ", "volume                  "})
        text += tab + "% steam " + what + " :    # % \n";
    return text;
}

TEST_F(MagmaWaterTest, CycleReportOnStandardOutputAndInTheLog) {
    WaterMagmaCalculationResult r = cycle(infoFrom({}));
    ::testing::internal::CaptureStdout();
    r.print();
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(masked(out),
              "Reversible isentropic case: \n----------------------------\n" + cycleLines("\t") +
                  "\tWrev  :   # J/g water  =>   # J/g magma \n\n"
                  "Irreversible adiabatic case: \n-----------------------------\n"
                  "\tT5    :    #°C  P5 :     # bar\n" +
                  fractionLines("\t") + "\tWirr  :    # J/g water  =>    # J/g magma \n\n");
    EXPECT_NEAR(numberAfter(out, "\tT3    :"), 691.3 - 273.15, 0.06);
    EXPECT_NEAR(numberAfter(out, "P3 :"), 7699.0, 0.5);
    EXPECT_NEAR(numberAfter(out, "\tWrev  :"), 319.6, 0.06);
    EXPECT_NEAR(numberAfter(out, "\tWirr  :"), 72.5, 0.06);
    EXPECT_NEAR(numberAfter(out, "\tT5    :"), 99.61, 0.006);  // at the final pressure
    // The irreversible end is at the final pressure, whatever it is.
    r.Pf = 2.0;
    ::testing::internal::CaptureStdout();
    r.print();
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("P5 :     2.00 bar\n"),
              std::string::npos);

    WaterMagmaTextLog log;
    setWaterMagmaLog(&log);
    r.Pf = 1.0;
    r.writeToLog();
    setWaterMagmaLog(nullptr);
    EXPECT_EQ(
        masked(log.text),
        "{RTF \\par \\fs30 \\ul Magma-water interaction for m = \\b # \\b0 kg of water per kg of "
        "magma \\ulnone \\fs24\\par\\par \\b Reversible isentropic case: \\b0 \\par}\n" +
            cycleLines("    ") +
            "{RTF      Wrev  :   # J/g water  => \\cf2\\b   # J/g magma \\b0\\cf0 "
            "\\par\\par\\b Irreversible adiabatic case: \\b0 \\par}\n"
            "    T5    :    #°C            P5 :      # bar\n" +
            fractionLines("    ") +
            "{RTF      Wirr  :    # J/g water  => \\cf3\\b    # J/g magma \\b0\\cf0 "
            "\\par\\par\\par For one Mton of interacting magma, the eruption energy is \\b \\cf2  "
            "# "
            "kton of TNT \\cf0 \\b0 (reversible, isentropic case).\\par For one Mton of "
            "interacting magma, the eruption energy is \\b \\cf3  # kton of TNT \\cf0 \\b0 "
            "(irreversible, adiabatic case).\\par\\par}\n");
    // The eruption energy: the work per gram of magma over 4.68.
    EXPECT_NEAR(numberAfter(log.text, "\\cf2  "), 319.57 / 4.68, 0.02);
}

// Isobaric heating splits the reversible work into the heating's own P dV and the expansion's;
// the pyroclast-heated cases follow in the log as on standard output.
TEST_F(MagmaWaterTest, IsobaricPyroclastCycleReportInTheLog) {
    WaterMagmaCalculationResult r = cycle(infoFrom({"m", "7", "d", "100", "pyroclast"}, 1));
    ASSERT_EQ(water.error, 0);
    ASSERT_EQ(r.isobaricStage, 1);  // the heated water stays liquid at P2
    ASSERT_EQ(r.pyroclast, 1);
    WaterMagmaTextLog log;
    setWaterMagmaLog(&log);
    r.writeToLog();
    setWaterMagmaLog(nullptr);
    const std::string& text = log.text;
    // The heating work of a liquid expanding at the constant pressure P2 is P2 (V3 - V2):
    // bar * cm3/mol is 0.1 J/mol, over 18.015268 g/mol.
    const double heating = 0.1 * r.P2 * (r.V3 - r.V2) / 18.015268;
    EXPECT_GT(heating, 0.0);
    EXPECT_NEAR(numberAfter(text, "Isobaric heating work :"), heating, 0.006) << text;
    // Heating and expansion make up the reversible work, in both cases.
    std::size_t irr = text.find("Irreversible adiabatic case");
    ASSERT_NE(irr, std::string::npos);
    const double expansionRev = numberAfter(text, "Expansion work        :");
    EXPECT_NEAR(heating + expansionRev, numberAfter(text, "Wrev  :"), 0.011);
    EXPECT_NEAR(numberAfter(text, "Wrev  :"), -r.Wrev, 0.006);
    const std::string irreversible = text.substr(irr);
    EXPECT_NEAR(numberAfter(irreversible, "Isobaric heating work :"), heating, 0.006);
    EXPECT_NEAR(heating + numberAfter(irreversible, "Expansion work        :"),
                numberAfter(irreversible, "Wirr  :"), 0.011);
    EXPECT_NEAR(numberAfter(irreversible, "Wirr  :"), -r.Wirr, 0.006);

    // The pyroclast-heated cases: the same figures as on standard output, per gram of magma
    // m times those per gram of water.
    const std::size_t rev = text.find("Reversible pyroclast-heated case");
    const std::size_t irrP = text.find("Irreversible pyroclast-heated case");
    ASSERT_NE(rev, std::string::npos);
    ASSERT_NE(irrP, std::string::npos);
    const std::string pyroRev = text.substr(rev, irrP - rev), pyroIrr = text.substr(irrP);
    ::testing::internal::CaptureStdout();
    r.print();
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::size_t outRev = out.find("Reversible pyroclast-heated case");
    const std::size_t outIrr = out.find("Irreversible pyroclast-heated case");
    ASSERT_NE(outIrr, std::string::npos);
    const std::string printedRev = out.substr(outRev, outIrr - outRev),
                      printedIrr = out.substr(outIrr);
    for (const char* label : {"T5    :", "S5    :", "Q     :", "Wrev  :"})
        EXPECT_EQ(numberAfter(pyroRev, label), numberAfter(printedRev, "\t" + std::string(label)))
            << label;
    EXPECT_NEAR(numberAfter(pyroRev, "Wrev  :"), -r.WrevP, 0.006);
    EXPECT_NEAR(numberAfter(pyroRev, "\\cf2 \\b "), -r.WrevP * 7, 0.006);
    EXPECT_NEAR(numberAfter(pyroIrr, "T5    :"), r.T5irrP - 273.15, 0.006);
    EXPECT_EQ(numberAfter(pyroIrr, "T5    :"), numberAfter(printedIrr, "\tT5    :"));
    EXPECT_NEAR(numberAfter(pyroIrr, "Wirr  :"), -r.WirrP, 0.006);
    EXPECT_NEAR(numberAfter(pyroIrr, "\\cf3\\b "), -r.WirrP * 7, 0.006);
    EXPECT_EQ(numberAfter(pyroIrr, "% steam mass                     :"),
              numberAfter(printedIrr, "% steam mass                     :"));

    // Pyroclast figures that could not be computed are said so, never shown.
    r.pyroclastFailed = 1;
    log.text.clear();
    setWaterMagmaLog(&log);
    r.writeToLog();
    setWaterMagmaLog(nullptr);
    EXPECT_EQ(log.text.find("pyroclast-heated case:"), std::string::npos);
    EXPECT_NE(log.text.find("Pyroclast-heated case: not computed"), std::string::npos);
    EXPECT_EQ(log.text.find("Wrev", log.text.find("Pyroclast-heated")), std::string::npos);
}

TEST(MagmaWaterInfoTest, SummaryOfTheDefaults) {
    WaterMagmaCalculationInfo info;
    info.heating = 0;
    ::testing::internal::CaptureStdout();
    info.readArguments(0, nullptr);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(
        out.find("\nSummary:\n---------\nInitial water temperature   :    20.00 °C,   293.15 K\n"),
        std::string::npos);
    EXPECT_NE(out.find("Heating                     : isochoric\nPyroclast heated            : no\n"
                       "Recharge                    : no\nFractionation               : no\n"
                       "Water-magma mass ratio      :    1.000 kg of water / kg of magma \n\n"),
              std::string::npos);
    WaterMagmaTextLog log;
    setWaterMagmaLog(&log);
    info.fractionation = 1;
    info.fractionCount = 5;
    info.m = 0.2;
    info.writeToLog();
    setWaterMagmaLog(nullptr);
    EXPECT_NE(
        log.text.find("Water-magma mass ratio          :    1.000 kg of water / kg of magma \n\n"),
        std::string::npos);
}

// --------------------------------------------------------------- diagram file

TEST(MagmaWaterDiagramFileTest, RegressionFileWrittenInTheWorkingDirectoryAndOpenChecked) {
    WaterMagmaCalculationInfo info = infoFrom({});
    OutputFile out;
    ASSERT_TRUE(produceHeaderIgorFileForWaterMagmaDiagram(out, info));
    WaterMagmaCalculationResult r;
    r.Q = 1288.2;
    r.Wrev = -319.6;
    writeDataIgorFileForWaterMagmaDiagram(out.stream(), info, r);
    ASSERT_TRUE(out.commit());
    const std::vector<std::string> lines = testing::fileLines("wm0");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1],
              "WAVES     m0           q0          T30          T40         ema0 "
              "        ewa0         emb0         ewb0");
    EXPECT_EQ(testing::numbersOf(lines[3])[4], 319.6);
    // A file that cannot be created is reported, not written.
    std::filesystem::remove("wm0");
    std::filesystem::create_directory("wm0");
    ::testing::internal::CaptureStderr();
    OutputFile refused;
    EXPECT_FALSE(produceHeaderIgorFileForWaterMagmaDiagram(refused, info) && refused.commit());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("wm0"), std::string::npos);
    std::filesystem::remove("wm0");
}

TEST_F(MagmaWaterTest, RegressionOneBarExpansionUsesTheFixedSaturationData) {
    // The saturated liquid and steam of the fixed 1-bar data end as themselves.
    const double M = kWaterMolarMass;
    double x1, xi1, x2, xi2, W1, Wi1, W2, Wi2;
    water.calculateSaturationExpansionWork(18.792687e-6, 30517.043633e-6, 417404.663 * M,
                                           2505596.729 * M, 1302.774796 * M, 7358.979099 * M, x1,
                                           xi1, x2, xi2, W1, Wi1, W2, Wi2);
    EXPECT_NEAR(x1, 1.0, 1e-12);
    EXPECT_NEAR(xi1, 1.0, 1e-12);
    EXPECT_NEAR(x2, 0.0, 1e-12);
    EXPECT_NEAR(xi2, 0.0, 1e-12);
    for (double w : {W1, Wi1, W2, Wi2}) EXPECT_NEAR(w, 0.0, 1e-9);
}

// Expansion of the saturated liquid and steam of 40 bar to the saturation at an exit
// pressure: the isentropic end keeps the entropy, its work is the energy lost (adiabatic,
// reversible: the integral of P dV), the irreversible end balances the energy with the
// work against the exit pressure, and no irreversible expansion gives more work than the
// reversible one. With the fixed 1-bar data as exit the ends are those of the 1-bar route.
TEST_F(MagmaWaterTest, SaturatedExpansionToAnExitPressureConservesEntropyOrBalancesEnergy) {
    const double M = kWaterMolarMass;
    struct State {
        double V, U, S, H;
    };
    auto saturation = [&](double Pbar, State& liquid, State& vapour) {
        water.error = 0;
        water.calculateTheSaturationTemperature(Pbar, 0);
        ASSERT_EQ(water.error, 0) << Pbar;
        const double T = water.T, Vl = water.Vl, Vv = water.Vv;
        for (auto [V, out] : {std::pair{Vl, &liquid}, std::pair{Vv, &vapour}}) {
            water.calculateFromTV(T, V, 0);
            water.calculate_state_functions();
            *out = {V, water.U, water.S, water.H};
        }
    };
    State l0, v0;
    saturation(40.0, l0, v0);
    ASSERT_GT(v0.V, 10 * l0.V);
    State lex, vex;
    saturation(2.0, lex, vex);
    const State fixedL{18.792687e-6, 417404.663 * M, 1302.774796 * M, 417508.978 * M};
    const State fixedV{30517.043633e-6, 2505596.729 * M, 7358.979099 * M, 2674992.175 * M};
    for (auto [Pex, L, V] : {std::tuple{2e5, lex, vex}, std::tuple{1e5, fixedL, fixedV}}) {
        double xl, xil, xv, xiv, Wrevl, Wirrl, Wrevv, Wirrv, dHl, dHv;
        water.calculateSaturationExpansionWorkForPex(l0.V, v0.V, l0.U, v0.U, l0.S, v0.S, l0.H,
                                                     v0.H, Pex, L.V, V.V, L.U, V.U, L.H, V.H,
                                                     L.S, V.S, xl, xil, xv, xiv, Wrevl, Wirrl,
                                                     Wrevv, Wirrv, dHl, dHv);
        auto lever = [](double x, double liquid, double vapour) {
            return x * liquid + (1 - x) * vapour;
        };
        const struct {
            State s;
            double x, xi, Wrev, Wirr, dH;
        } ends[] = {{l0, xl, xil, Wrevl, Wirrl, dHl}, {v0, xv, xiv, Wrevv, Wirrv, dHv}};
        for (const auto& e : ends) {
            SCOPED_TRACE(::testing::Message() << "Pex " << Pex << " V0 " << e.s.V);
            ASSERT_GT(e.x, 0.0);
            ASSERT_LT(e.x, 1.0);
            EXPECT_NEAR(lever(e.x, L.S, V.S), e.s.S, 1e-9 * e.s.S);
            EXPECT_NEAR(e.Wrev, (e.s.U - lever(e.x, L.U, V.U)) * 0.001 / M, 1e-9);
            EXPECT_NEAR(e.dH, (e.s.H - lever(e.x, L.H, V.H)) * 0.001 / M, 1e-9);
            const double Vend = lever(e.xi, L.V, V.V), Uend = lever(e.xi, L.U, V.U);
            EXPECT_NEAR(e.Wirr, Pex * (Vend - e.s.V) * 0.001 / M, 1e-9);
            EXPECT_NEAR(e.s.U - Uend, Pex * (Vend - e.s.V), 1e-9 * std::fabs(e.s.U));
            EXPECT_GT(e.Wirr, 0.0);
            EXPECT_GT(e.Wrev, e.Wirr);
        }
        // The steam ends wetter than it started dry, the liquid partly boils: both expand.
        EXPECT_GT(xl, xv);
        if (Pex == 1e5) {
            double x1, xi1, x2, xi2, W1, Wi1, W2, Wi2;
            water.calculateSaturationExpansionWork(l0.V, v0.V, l0.U, v0.U, l0.S, v0.S, x1, xi1,
                                                   x2, xi2, W1, Wi1, W2, Wi2);
            EXPECT_NEAR(x1, xl, 1e-6);
            EXPECT_NEAR(x2, xv, 1e-6);
            EXPECT_NEAR(xi1, xil, 1e-6);
            EXPECT_NEAR(xi2, xiv, 1e-6);
            EXPECT_NEAR(W1, Wrevl, 1e-3);
            EXPECT_NEAR(Wi1, Wirrl, 1e-3);
            EXPECT_NEAR(W2, Wrevv, 1e-3);
            EXPECT_NEAR(Wi2, Wirrv, 1e-3);
        }
    }
    // A state at the exit saturation itself does not expand: no work.
    double xl, xil, xv, xiv, Wrevl, Wirrl, Wrevv, Wirrv, dHl, dHv;
    water.calculateSaturationExpansionWorkForPex(
        lex.V, vex.V, lex.U, vex.U, lex.S, vex.S, lex.H, vex.H, 2e5, lex.V, vex.V, lex.U, vex.U,
        lex.H, vex.H, lex.S, vex.S, xl, xil, xv, xiv, Wrevl, Wirrl, Wrevv, Wirrv, dHl, dHv);
    EXPECT_NEAR(xl, 1.0, 1e-9);
    EXPECT_NEAR(xv, 0.0, 1e-9);
    for (double w : {Wrevl, Wirrl, Wrevv, Wirrv, dHl, dHv}) EXPECT_NEAR(w, 0.0, 1e-6);
}

// ------------------------------------------------------------ energy balances

TEST_F(MagmaWaterTest, PeakStatesBalanceTheMagmasHeat) {
    // Isochoric: the water's energy rise is what the magma gives, sensible and latent.
    for (const char* m : {"0.2", "1", "3"}) {
        const WaterMagmaCalculationInfo info = infoFrom({"m", m});
        const WaterMagmaCalculationResult r = cycle(info);
        ASSERT_EQ(water.error, 0) << m;
        const double magma =
            info.cp * (info.Tm - r.T3) - water.calculateLatentHeatTerm(info.Tm, r.T3);
        EXPECT_NEAR(r.Q * 1000.0 * info.m, magma, 1e-4 * magma) << m;
        EXPECT_NEAR(r.V3, r.V2, 1e-9);
    }
    // Wohletz: a constant heat capacity Cp2 from state 2.
    const WaterMagmaCalculationInfo info = infoFrom({}, 2);
    const WaterMagmaCalculationResult r = cycle(info);
    ASSERT_EQ(water.error, 0);
    const double magma = info.cp * (info.Tm - r.T3) - water.calculateLatentHeatTerm(info.Tm, r.T3);
    EXPECT_NEAR(info.m * r.Cp2 * (r.T3 - r.T2) / kWaterMolarMass, magma, 1e-4 * magma);
    EXPECT_NEAR(r.S3, r.S2 + r.Cv2 * std::log(r.T3 / r.T2), 1e-6);
    // A wet host rock takes its share: the water ends cooler.
    const WaterMagmaCalculationResult plain = cycle(infoFrom({}));
    const WaterMagmaCalculationResult rock = cycle(infoFrom({"porosity", "0.5"}));
    EXPECT_GT(rock.sedimentHeatCapacity, 0.0);
    EXPECT_LT(rock.T3, plain.T3 - 10.0);
}

TEST_F(MagmaWaterTest, IrreversibleEndBalancesEnergyWithTheMagmasHeat) {
    water.waterMagmaRatio = 1.0;
    water.latentHeat = 350000.0;
    water.solidusTemperature = 1173.15;
    water.liquidusTemperature = 1473.15;
    const double T0 = 900.0, V0 = 1e-4, P = 1e5, e = 1200.0 * kWaterMolarMass;
    water.calculateFromTV(T0, V0, 0);
    const double U0 = water.U;
    water.calculateWaterIrreversibleDecompressionPoint(T0, V0, P, e, T0);
    ASSERT_EQ(water.error, 0);
    const double balance = (water.U - U0) + P * (water.V - V0) + e * (water.T - T0) +
                           kWaterMolarMass * water.calculateLatentHeatTerm(T0, water.T);
    EXPECT_NEAR(balance, 0.0, 1e-6 * std::fabs(water.U - U0));
    EXPECT_NEAR(water.P, P, 1e-6 * P);
    // A temperature below zero is no state.
    struct {
        double P, V0, U0, e, T0;
    } context{P, V0, U0, 0.0, T0};
    water.equationForWaterIrreversibleDecompression(-1.0, &context);
    EXPECT_EQ(water.equationError, 1);
    water.equationError = 0;
}

TEST_F(MagmaWaterTest, MixtureIsentropeTakesTheMagmasHeat) {
    water.waterMagmaRatio = 1.0;
    water.magmaHeatCapacity = 1200.0;
    water.calculateFromTV(500.0, 2.5e-5, 0);
    const double S0 = water.S;
    const double x = water.calculateIsentropicMixtureState(S0, 500.0, 450.0);
    ASSERT_GT(x, 0.0);
    ASSERT_LT(x, 1.0);
    // The water gained the entropy the magma lost reversibly.
    EXPECT_NEAR(water.S, S0 + 1200.0 * kWaterMolarMass * std::log(500.0 / 450.0), 1e-9);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(water.calculateIsentropicMixtureState(S0, 500.0, 700.0), 1.0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("No saturation state of water at 700 K"),
              std::string::npos);
}

TEST_F(MagmaWaterTest, PyroclastHeatedCasesDoMoreWork) {
    for (uint8_t heating : {0, 1}) {
        const WaterMagmaCalculationResult r = cycle(infoFrom({"pyroclast"}, heating));
        ASSERT_EQ(water.error, 0) << int(heating);
        EXPECT_LT(r.WrevP, r.Wrev) << int(heating);
        EXPECT_GT(r.QP, r.Q) << int(heating);
        EXPECT_TRUE(std::isfinite(r.WirrP));
        EXPECT_GT(r.T5P, 273.15);
    }
}

TEST_F(MagmaWaterTest, SaturatedPathKeepsTakingHeat) {
    water.waterMagmaRatio = 1.0;
    water.magmaHeatCapacity = 1200.0;
    water.calculateTheSaturationPressure(500.0);
    water.calculateFromTV(500.0, water.Vl, 0);
    WaterMagmaCalculationResult r;
    water.calculateHeatingDecompressionPath2("path2", 500.0, water.S, 400.0, r);
    EXPECT_LT(r.Wrev, 0.0);
    EXPECT_NEAR(r.Q, 101.0 * 1200.0 * 0.001, 1e-9);  // 1 K of magma per row, per gram
    EXPECT_EQ(testing::fileLines("path2").size(), 1u + 101u);
}

// A saturated path that cannot go on to its end keeps nothing: with a hundredth of a kg of
// water per kg of magma the steam the heat makes was not solved at 462 K, and the 39 rows
// down to there were kept with their work (-2274 J/g) and heat; a ratio of 0 left a header
// and a water above its critical temperature or a file name it could not write nothing, all
// without a word.
TEST_F(MagmaWaterTest, SaturatedPathThatStopsShortKeepsNothing) {
    water.magmaHeatCapacity = 1200.0;
    water.calculateTheSaturationPressure(500.0);
    water.calculateFromTV(500.0, water.Vl, 0);
    const double S0 = water.S;
    struct Case {
        double m, T0;
        const char* file;
        const char* why;
    };
    for (const Case& c : {Case{0.01, 500.0, "path2short", "could not be solved"},
                          Case{0.0, 500.0, "path2none", "mass ratio must be above 0"},
                          Case{1.0, 650.0, "path2above", "no saturated water at 650.00 K"},
                          Case{1.0, 500.0, "no/path2", "its file could not be written"}}) {
        std::filesystem::remove(c.file);
        water.waterMagmaRatio = c.m;
        WaterMagmaCalculationResult r;
        const std::string said =
            test::outputOf([&] { water.calculateHeatingDecompressionPath2(c.file, c.T0, S0, 300.0, r); });
        EXPECT_EQ(water.error, 1) << c.file;
        EXPECT_TRUE(r.failed) << c.file;
        EXPECT_TRUE(std::isnan(r.Wrev) && std::isnan(r.Q)) << c.file << ": " << r.Wrev;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        EXPECT_FALSE(std::filesystem::exists(c.file)) << c.file;
    }
    // The same water with ten times as much of it goes down to 300 K: each kelvin of magma
    // gives it 1.2 J/g of magma, 2.16 J/mol.
    water.waterMagmaRatio = 0.1;
    WaterMagmaCalculationResult r;
    water.calculateHeatingDecompressionPath2("", 500.0, S0, 300.0, r);
    EXPECT_EQ(water.error, 0);
    EXPECT_FALSE(r.failed);
    EXPECT_NEAR(r.Q, 201.0 * 1200.0 / 0.1 * 1e-3, 1e-9);
    EXPECT_LT(r.Wrev, 0.0);
}

TEST_F(MagmaWaterTest, ExsolutionIsoCurveIsTracedFromItsStart) {
    CurveArray* curve = nullptr;
    water.calculateExsolutionWorkIsoCurve(400.0, 1100.0, 500.0, 1000.0, 250.0, 1.2e-5, &curve);
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->size(), 6u);  // (T, P) at 500, 750 and 1000 bar
    for (std::size_t i = 0; i < curve->size(); i += 2) {
        struct {
            double P, V0, W;
        } context{(*curve)[i + 1], 1.2e-5, 400.0};
        EXPECT_NEAR(water.equationForExsolutionWork((*curve)[i], &context), 0.0, 1e-6);
    }
    delete curve;
    water.calculateExsolutionWorkIsoCurve(400.0, 1100.0, 1000.0, 500.0, 250.0, 1.2e-5, &curve);
    EXPECT_TRUE(curve->empty());
    delete curve;
}

// A log that is not shown and has no window to show: the report reaches it all the same.
class HiddenTextLog : public WaterMagmaTextLog {
   public:
    bool isVisible() const override { return false; }
};

TEST_F(MagmaWaterTest, RechargeSequenceReportedInTheLog) {
    HiddenTextLog log;
    setWaterMagmaLog(&log);
    WaterMagmaCalculationInfo info = infoFrom({"d", "5000", "recharge", "max", "3"});
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptArray;
    water.calculateWaterMagmaCycleWithRecharge(info, r, 0, 1);
    setWaterMagmaLog(nullptr);
    EXPECT_EQ(r.cycleCount, 3.0);
    EXPECT_LT(r.cumulativeWrev, r.Wrev);
    EXPECT_DOUBLE_EQ(info.Tm, 1473.15);
    for (const char* piece :
         {"(open system)", "Cycle           T3", "        (°C)    (J/g H2O)",
          "\tNumber of cycles                                     : more than 3",
          "Enhancement factor (reversible, isentropic)", "\u23AF\u23AF\u23AF\u23AF\n",
          "Magma-water interaction for m = \\b 1.0000"})
        EXPECT_NE(log.text.find(piece), std::string::npos) << piece;
    EXPECT_EQ(log.text.find("Input Summary"), std::string::npos);  // only with report 2
}

TEST_F(MagmaWaterTest, RefusedRequestsSayWhy) {
    // Said on standard error: standard output holds the reports only.
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    water.calculateIsobaricHeatingWork(-1.0, 300.0, 400.0);
    water.calculateSaturatedExpansionWork(0.0, 230.0, nullptr, 1.0);
    water.calculateSaturatedExpansionWork(700.0, 0.0, nullptr, 1.0);
    water.calculateExsolutionWork(1173.15, 0.0, 1.2e-5);
    const std::string out = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(out.find("Isobaric heating needs a positive pressure"), std::string::npos);
    EXPECT_NE(out.find("The pressure (230.00 bar) is above the critical pressure (220.64 bar)"),
              std::string::npos);
    EXPECT_NE(out.find("above the critical temperature"), std::string::npos);
    EXPECT_NE(out.find("Exsolution needs a positive temperature and pressure"), std::string::npos);
    // Isochoric heating below 273 K is no state.
    struct {
        double cx, Tx;
    } rock{0.0, 0.0};
    water.equationForIsochorHeating(250.0, &rock);
    EXPECT_EQ(water.equationError, 1);
    water.equationError = 0;
}

TEST(MagmaWaterDiagramFileTest, SequenceColumnsOfRechargeAndFractions) {
    WaterMagmaCalculationInfo info = infoFrom({"m", "2", "frac", "4"});
    WaterMagmaCalculationResult r;
    r.Wrev = -100.0;
    r.Wirr = -40.0;
    r.cumulativeWrev = -300.0;
    r.cumulativeWirr = -120.0;
    r.cumulativeQ = 900.0;
    r.cycleCount = 3.0;
    OutputFile out;
    ASSERT_TRUE(produceHeaderIgorFileForWaterMagmaDiagram(out, info));
    writeDataIgorFileForWaterMagmaDiagram(out.stream(), info, r);
    info.fractionation = 0;
    info.recharge = 1;
    writeDataIgorFileForWaterMagmaDiagram(out.stream(), info, r);
    ASSERT_TRUE(out.commit());
    const std::vector<std::string> lines = testing::fileLines("wm0");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[1].find("emd0         ewd0          qc0"), std::string::npos) << lines[1];
    // Fractions: per gram of magma over the n fractions, per gram of water per cycle done;
    // the sequence per gram of magma is the same sum of the portions' works (of m/n each),
    // not m times it, which counted the magma's work 4 times over.
    EXPECT_EQ(testing::numbersOf(lines[3]),
              (std::vector<double>{2, 0, 0, 0, 150, 100, 60, 40, 150, 300, 60, 120, 900}));
    // Recharges: the first cycle, then the sequence.
    EXPECT_EQ(testing::numbersOf(lines[4]),
              (std::vector<double>{2, 0, 0, 0, 200, 100, 80, 40, 600, 300, 240, 120, 900}));
}

TEST_F(MagmaWaterTest, IsobaricPathFileOfABoilingEnd) {
    WaterMagmaCalculationInfo info = infoFrom({"m", "0.8"}, 1);
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptIgor;
    water.calculateWaterMagmaCycle(info, r, 1, 0);
    ASSERT_EQ(water.error, 0);
    ASSERT_EQ(r.isobaricStage, 2);
    // States 1 and 2, the spinodal at P2, the boiling point, state 3.
    const std::vector<std::string> lines = testing::fileLines("isop0");
    ASSERT_EQ(lines.size(), 3u + 5u + 1u);
    EXPECT_EQ(testing::numbersOf(lines[5]),
              (std::vector<double>{r.P2, std::round(r.Tspin * 1e6) / 1e6}));
    EXPECT_EQ(testing::fileLines("isos1"),
              (std::vector<std::string>{"IGOR", "WAVES p1 t1", "BEGIN", "END"}));
    // The two-phase isentrope starts at its first point: no row of nan before it.
    const std::vector<std::string> isentrope = testing::fileLines("isoss2");
    ASSERT_GT(isentrope.size(), 10u);
    for (const std::string& line : isentrope) EXPECT_EQ(line.find("nan"), std::string::npos) << line;
}

}  // namespace
}  // namespace vornex
