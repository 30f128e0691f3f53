// The Duan water model has no ideal-gas part: its U, H and S are residual values, which the
// magma-water energetics cannot balance against the magma's heat (its cycle table held an
// entropy of -4.5 kJ/(kg K) at 643 K and 194 bar, its isobaric-heating ratios came out
// negative, its equilibrium temperature of cold water 2255 K).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "dkl/DuanModels.h"
#include "numerics/TextCapture.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

TEST(DuanWaterEnergetics, StudiesThatBalanceEnergiesRefuseTheResidualModel) {
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path folder = home / "duan-energetics";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    for (const char* name : {"heatirrz", "wohl0", "isohz", "heatz.txt"})
        std::filesystem::remove(name);
    DuanH2O water(2, 0);
    std::string said = test::outputOf([&] { water.calculatePhreaticCycle(100, 1273.15, 0, 1, "z", 20); });
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("no ideal-gas part"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists("heatirrz"));

    water.error = 0;
    said = test::outputOf([&] { water.calculateWohletzCycle(100, 1273.15, 1, 20); });
    EXPECT_EQ(water.error, 1);
    EXPECT_FALSE(std::filesystem::exists("wohl0"));

    water.error = 0;
    bool done = true;
    said = test::outputOf([&] { done = water.calculateIsobaricHeatingWork(100, 300, 600); });
    EXPECT_FALSE(done);
    EXPECT_NE(said.find("no ideal-gas part"), std::string::npos) << said;

    water.error = 0;
    said = test::outputOf([&] {
        water.calculateHeatingDecompression(2e-5, 600, 273.15, 1273.15, 1e5, 2, "z", nullptr);
    });
    EXPECT_EQ(water.error, 1);
    EXPECT_FALSE(std::filesystem::exists("isohz"));

    water.error = 0;
    said = test::outputOf([&] { water.calculateEquilibriumCurve(1273.15, 0, 0, 0, 0, 0, "z"); });
    EXPECT_EQ(water.error, 1);
    EXPECT_FALSE(std::filesystem::exists("heatz.txt"));
    // The side it was set up on is kept through the refusals.
    EXPECT_EQ(water.phase, 2);
    std::filesystem::current_path(home);
}

// The cycle, the energy diagram and the two single-state expansions balance whole energies
// too. On the residual model the isochoric cycle heated its water to 1493 K, above the magma
// it took its heat from (1473 K), with a heat of -244 J/g; the diagram gave its points as
// computed, and the saturated liquid at 500 K expanded with a negative irreversible work.
TEST(DuanWaterEnergetics, CycleDiagramAndExpansionsRefuseTheResidualModel) {
    DuanH2O water(2, 0);
    WagnerPruss whole(2);
    WagnerPruss steam(1);
    for (int heating = 0; heating < 3; ++heating) {
        for (WaterEOS* w : {static_cast<WaterEOS*>(&water), static_cast<WaterEOS*>(&whole)}) {
            WaterMagmaCalculationInfo info;
            test::outputOf([&] { info.readArguments(0, nullptr, nullptr, 30); });
            info.heating = static_cast<uint8_t>(heating);
            info.m = 0.1;
            WaterMagmaCalculationResult r;
            test::outputOf([&] { w->calculateWaterMagmaCycle(info, r, 0, 0); });
            if (w == &whole) {
                // A model with whole energies still heats its water short of the magma.
                EXPECT_EQ(whole.error, 0) << heating << ": " << r.failure;
                EXPECT_LT(r.T3, info.Tm) << heating;
                EXPECT_GT(r.Q, 0.0) << heating;
                // and answers on the side it was set up on after it.
                EXPECT_EQ(whole.phase, 2) << heating;
                continue;
            }
            EXPECT_EQ(water.error, 1) << heating;
            EXPECT_NE(r.failure.find("no ideal-gas part"), std::string::npos) << r.failure;
        }
    }

    // A steam-side model is given back on its side by a cycle, the liquid side's by each
    // of the three heatings above.
    {
        WaterMagmaCalculationInfo info;
        test::outputOf([&] { info.readArguments(0, nullptr, nullptr, 30); });
        WaterMagmaCalculationResult r;
        test::outputOf([&] { steam.calculateWaterMagmaCycle(info, r, 0, 0); });
        EXPECT_EQ(steam.error, 0) << r.failure;
        EXPECT_EQ(steam.phase, 1);
    }

    water.error = 0;
    WaterMagmaCalculationInfo info;
    test::outputOf([&] { info.readArguments(0, nullptr, nullptr, 30); });
    CurveArray points;
    int points0 = 1;
    std::string said = test::outputOf(
        [&] { points0 = water.drawWaterMagmaDiagram(info, kScriptArray, 0, &points, 0.5, 0.6, nullptr); });
    EXPECT_LT(points0, 1);
    EXPECT_TRUE(points.empty());
    EXPECT_NE(said.find("no ideal-gas part"), std::string::npos) << said;

    water.error = 0;
    WaterSaturationResult saturated;
    bool done = true;
    said = test::outputOf([&] { done = water.calculateSaturatedExpansionWork(500.0, 0.0, &saturated, 1.0); });
    EXPECT_FALSE(done);
    EXPECT_EQ(water.error, 1);

    water.error = 0;
    water.calculateFromTP(600.0, 200.0, 0);
    WaterMagmaCalculationResult r;
    test::outputOf([&] { water.calculateExpansionWorkOfState(r, 1.0); });
    EXPECT_EQ(water.error, 1);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(water.phase, 2);
}

// The saturated heating decompression and the isochoric peak temperature balance whole
// energies as well: on the residual model the path from the saturated liquid at 500 K wrote
// its rows and a work of -21.5 J/g (-100.6 J/g on the reference equation), and the peak of
// cold water under a magma at 1473.15 K came out at 1651 K, both as computed.
TEST(DuanWaterEnergetics, SaturatedPathAndPeakTemperatureRefuseTheResidualModel) {
    const std::filesystem::path home = std::filesystem::current_path();
    const std::filesystem::path folder = home / "duan-energetics-path";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::filesystem::remove("pathz");
    DuanH2O water(2, 0);
    WagnerPruss whole(2);
    for (WaterEOS* w : {static_cast<WaterEOS*>(&water), static_cast<WaterEOS*>(&whole)}) {
        w->waterMagmaRatio = 1.0;
        w->magmaHeatCapacity = 1200.0;
        w->magmaTemperature = 1473.15;
        w->latentHeat = 0.0;
    }

    whole.calculateTheSaturationPressure(500.0);
    whole.calculateFromTV(500.0, whole.Vl, 0);
    const double S0 = whole.S;
    WaterMagmaCalculationResult r;
    std::string said = test::outputOf(
        [&] { water.calculateHeatingDecompressionPath2("pathz", 500.0, S0, 400.0, r); });
    EXPECT_EQ(water.error, 1);
    EXPECT_TRUE(r.failed);
    EXPECT_NE(said.find("no ideal-gas part"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists("pathz"));
    // The reference equation still walks it: 101 rows of 1 K of magma each.
    WaterMagmaCalculationResult kept;
    whole.calculateHeatingDecompressionPath2("", 500.0, S0, 400.0, kept);
    EXPECT_EQ(whole.error, 0);
    EXPECT_NEAR(kept.Q, 101.0 * 1.2, 1e-9);
    EXPECT_NEAR(kept.Wrev, -100.6, 0.1);

    // Cold water (20 deg. C, 1 bar) heated at its volume by as much magma: the reference
    // equation's peak is where U(T) - U0 = cp (Tm - T), 602.474 K at 576 MPa.
    water.error = 0;
    said = test::outputOf([&] { water.calculateIsochoricPeakTemperature(293.15, 0.0, 1.0, 0.0, 0.0, nullptr); });
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("no ideal-gas part"), std::string::npos) << said;
    whole.calculateIsochoricPeakTemperature(293.15, 0.0, 1.0, 0.0, 0.0, nullptr);
    EXPECT_EQ(whole.error, 0);
    EXPECT_NEAR(whole.T, 602.4743, 2e-3);
    EXPECT_NEAR(whole.P * 1e-6, 576.01, 0.05);
    // The cold water is a liquid whatever side the model was set up on; a steam-side model
    // answers as steam after (at 380 K and 2 bar, short of boiling, its root is the
    // vapour's, 15.3 L/mol).
    WagnerPruss steam(1);
    steam.waterMagmaRatio = 1.0;
    steam.magmaHeatCapacity = 1200.0;
    steam.magmaTemperature = 1473.15;
    steam.latentHeat = 0.0;
    steam.calculateIsochoricPeakTemperature(293.15, 0.0, 1.0, 0.0, 0.0, nullptr);
    EXPECT_NEAR(steam.T, 602.4743, 2e-3);
    EXPECT_EQ(steam.phase, 1);
    steam.calculateWohletzPeakTemperature(293.15, 0.0, 1.0, 75.0, 0.0, 0.0);
    EXPECT_EQ(steam.phase, 1);
    steam.calculateFromTP(380.0, 2.0, 0);
    EXPECT_GT(steam.V, 0.01);
    std::filesystem::current_path(home);
}

}  // namespace
}  // namespace vornex
