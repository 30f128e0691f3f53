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

}  // namespace
}  // namespace vornex
