// Saturation temperatures from a pressure on the water models: the reference model against
// the saturation states of the IAPWS-95 release (Table 8), and every model over a
// logarithmic grid of pressures from the triple point to its own critical pressure, where
// the temperature found gives the pressure back on the model's own saturation curve. The
// full grid of 20,001 pressures belongs to the sweep suite; here every fourth of them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "support/SaturationTemperatureGrid.h"
#include "water/Table8.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using testing_support::expectSaturationTemperaturesOverGrid;

TEST(SaturationTemperatureTest, ReferenceModelMatchesTable8) {
    WagnerPruss water(2);
    for (const testing::SaturationCheck& s : testing::kTable8) {
        water.calculateTheSaturationTemperature(s.p * 10.0, 0);
        ASSERT_EQ(water.error, 0) << s.p;
        EXPECT_NEAR(water.T, s.T, 1e-7 * s.T);
        EXPECT_NEAR(kWaterMolarMass / water.Vl, s.rhoL, 1e-7 * s.rhoL) << s.T;
        EXPECT_NEAR(kWaterMolarMass / water.Vv, s.rhoV, 1e-7 * s.rhoV) << s.T;
    }
}

// Between 0.0706 and 0.0733 bar the search from the fits of the reference curve did not
// converge on any of these models (IAPWS-95 at 0.0707 bar: 312.335 K by python-iapws).
TEST(SaturationTemperatureTest, PressuresWhereTheFitsMissTheCurve) {
    WagnerPruss water(2);
    for (double Pbar : {0.07063, 0.0707, 0.0715, 0.07328}) {
        water.calculateTheSaturationTemperature(Pbar, 0);
        ASSERT_EQ(water.error, 0) << Pbar;
        EXPECT_NEAR(water.Pv, Pbar * 1e5, 1e-8 * Pbar * 1e5);
    }
    water.calculateTheSaturationTemperature(0.0707, 0);
    EXPECT_NEAR(water.T, 312.335, 1e-3);
    // The conode at that pressure: both phases written.
    const auto folder = std::filesystem::temp_directory_path() / "vornex_conop_0707";
    std::filesystem::create_directories(folder);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    water.calculateTheConodeFromP(0.0707, 0, "t");
    std::filesystem::current_path(cwd);
    std::ifstream in(folder / "conopt");
    std::string line;
    int rows = 0;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') ++rows;
    EXPECT_EQ(rows, 2);
    std::filesystem::remove_all(folder);
}

// At 0.1535 bar Keenan's water has, besides its liquid and vapour at 327 K, a pair of two
// gases of equal pressure and fugacity at 490.5 K (where its saturation pressure is 22 bar),
// which the search took for the saturation.
TEST(SaturationTemperatureTest, TwoGasesAreNoSaturation) {
    Keenan water(2);
    const double Pbar = 0.15347854764978608;
    water.calculateTheSaturationTemperature(Pbar, 0);
    ASSERT_EQ(water.error, 0);
    EXPECT_LT(water.T, 400.0);
    EXPECT_LT(water.Vl, kWaterCriticalVolume);
    const double TK = water.T;
    EXPECT_NEAR(water.calculateTheSaturationPressure(TK) / (Pbar * 1e5), 1.0, 1e-8);
}

// Hill's water at 49.74 bar, solved from 453 K (0.7 Tc) with the volumes of the saturation
// just below it: the Newton solve converged to another pair of equal pressure and fugacity,
// 601.5 K with a liquid of 55.1 cm3/mol on a stiff stretch between the loops of its isotherm
// (its saturation pressure there is 125.8 bar), and gave it as the saturation.
TEST(SaturationTemperatureTest, AFarStartGivesTheModelsOwnSaturation) {
    Hill water(2);
    const double Tc = water.namingCriticalTemperature();
    for (double Pbar : {49.7410463, 52.971392}) {
        SCOPED_TRACE(Pbar);
        water.Vl0 = 23.1417038e-6;
        water.Vv0 = 718.730572e-6;
        water.calculate_saturation_temperature(Pbar * 1e5, 0.7 * Tc);
        ASSERT_EQ(water.error, 0);
        const double TK = water.T;
        EXPECT_LT(TK, 545.0);
        EXPECT_LT(water.Vl, 24e-6);
        EXPECT_NEAR(water.calculateTheSaturationPressure(TK) / (Pbar * 1e5), 1.0, 1e-8);
    }
}

TEST(SaturationTemperatureTest, EveryPressureOfTheGridOnTheReferenceModel) {
    WagnerPruss water(2);
    expectSaturationTemperaturesOverGrid(water, 20001, 40);
}

TEST(SaturationTemperatureTest, EveryPressureOfTheGridOnTheOlderModels) {
    HGK hgk(2);
    Hill hill(2);
    Keenan keenan(2);
    Saul saul(2);
    for (WaterEOS* model : {static_cast<WaterEOS*>(&hgk), static_cast<WaterEOS*>(&hill),
                            static_cast<WaterEOS*>(&keenan), static_cast<WaterEOS*>(&saul)}) {
        SCOPED_TRACE(model->modelName);
#ifdef VORNEX_SANITIZED_BUILD
        // A coarser grid over the same pressures, as many of them checked on the curve.
        expectSaturationTemperaturesOverGrid(*model, 1251, 10);
#else
        expectSaturationTemperaturesOverGrid(*model, 5001, 40);
#endif
    }
}

}  // namespace
}  // namespace vornex
