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

}  // namespace
}  // namespace vornex
