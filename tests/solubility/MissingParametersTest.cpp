// A gas a model has no parameters for is no solubility: Henry's versions without a correlation
// for the gas (its stand-in constant 1e25 Pa gave 4.77e-17 mol/kg of methane at 300 K and
// 100 bar with the error flag clear, the real value some 0.1), the Henry-Pitzer sets alike,
// the Spivey correlation switched to another gas, the Duan-type model on a version it has no
// set for. Each fails and says which versions or systems have one.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "solubility/DMGWwater.h"
#include "solubility/Dubessy.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/HenryCorrelations.h"
#include "solubility/SpiveySolubility.h"

namespace vornex {
namespace {

bool says(const std::string& said, const char* what) {
    return said.find(what) != std::string::npos;
}

TEST(MissingParameters, HenryVersionWithoutCorrelationGivesNoSolubility) {
    const struct {
        int version;
        const char* gas;
        const char* others;
    } rows[] = {{0, "CH4", "versions 1 and 2 have one"},
                {2, "CO2", "versions 0 and 1 have one"},
                {0, "C2H6", "only Henry model version 1 has one"},
                {2, "C2H6", "only Henry model version 1 has one"},
                {4, "CH4", "versions 1 and 2 have one"}};
    for (const auto& r : rows) {
        Henry h;
        h.changeModelVersion(r.version);
        h.number_of_components(3);
        h.add_components("H2O", r.gas, "NaCl");
        h.temperature(300.0);
        // The constant keeps its stand-in value.
        EXPECT_EQ(h.calculateHenryConstant(1, 1e7), Henry::kInsoluble) << r.gas;
        std::string said = test::stderrOf([&] { h.calculate_gas_solubility(300.0, 100.0, 0.0); });
        EXPECT_EQ(h.error, 1) << r.version << " " << r.gas;
        EXPECT_FALSE(std::isfinite(h.mg)) << h.mg;
        EXPECT_TRUE(says(said, ("version " + std::to_string(r.version)).c_str())) << said;
        EXPECT_TRUE(says(said, r.gas) && says(said, r.others)) << said;

        said = test::stderrOf([&] { h.calculate_bubble_pressure(300.0, 0.0, 0.0, 1e-17); });
        EXPECT_EQ(h.error, 1) << r.gas;
        EXPECT_FALSE(std::isfinite(h.P));
        EXPECT_TRUE(says(said, "Bubble pressure") && says(said, r.gas)) << said;

        // No curve, and no file, for it.
        said = test::stderrOf([&] { EXPECT_FALSE(h.calculateTheIsotherm(300.0, 0.0, 0, "")); });
        EXPECT_TRUE(says(said, "Isotherm")) << said;
    }
    // The same gas in a version that has its correlation dissolves: 0.1007 mol/kg of methane
    // at 300 K and 100 bar by the Wilhelm fit.
    Henry h;
    h.changeModelVersion(1);
    h.number_of_components(3);
    h.add_components("H2O", "CH4", "NaCl");
    h.calculate_gas_solubility(300.0, 100.0, 0.0);
    EXPECT_EQ(h.error, 0);
    EXPECT_NEAR(h.mg, 0.1007, 0.001);
}

TEST(MissingParameters, HenryPitzerSetWithoutCorrelationIsRefused) {
    const struct {
        std::vector<const char*> gases;
        const char* others;
    } rows[] = {{{"CH4"}, "Henry-constant sets 1 and 2 have one"},
                {{"CO2", "N2"}, "only Henry-constant set 1 has one"}};
    for (const auto& [gases, others] : rows) {
        HenPitSet s;
        s.setVapourModel(1);
        s.henrySet = 0;
        s.number_of_components(static_cast<int>(gases.size()) + 1);
        s.add_component("H2O");
        for (const char* g : gases) s.add_component(g);
        s.temperature(300.0);
        s.pressure(100.0);
        const std::string said = test::stderrOf([&] { s.describe(); });
        EXPECT_EQ(s.error, 1) << gases.back();
        EXPECT_TRUE(says(said, gases.back()) && says(said, "set 0 has no") && says(said, others))
            << said;
    }
    EXPECT_EQ(henry::setsWithCorrelation("CH4"), "1 and 2");
    EXPECT_EQ(henry::setsWithCorrelation("N2"), "1");
    EXPECT_EQ(henry::setsWithCorrelation("Ar"), "");
}

// Switched to CO2 the Spivey methane correlation gave CO2 the methane's molality, flag
// clear; switched to methane in water it wrote the salt's mole fraction outside the arrays.
TEST(MissingParameters, SpiveyCorrelationIsMethanesAlone) {
    SpiveySolubility co2;
    co2.setSystemType(SM_H2O_CO2_NaCl, 0);
    std::string said = test::stderrOf([&] { co2.calculate_gas_solubility(323.15, 100.0, 1.0); });
    EXPECT_EQ(co2.error, 1);
    EXPECT_FALSE(std::isfinite(co2.mg));
    EXPECT_TRUE(says(said, "CH4") && says(said, "system 1")) << said;
    said = test::stderrOf([&] { co2.calculate_bubble_pressure(323.15, 100.0, 1.0, 0.5); });
    EXPECT_EQ(co2.error, 1);
    EXPECT_TRUE(says(said, "Bubble pressure")) << said;

    SpiveySolubility water, brine;
    water.setSystemType(SM_H2O_CH4, 0);
    water.calculate_gas_solubility(323.15, 100.0, 0.0);
    brine.calculate_gas_solubility(323.15, 100.0, 0.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_EQ(water.mg, brine.mg);
    EXPECT_NEAR(water.x[0] + water.x[1], 1.0, 1e-15);
}

// The Duan-type methane model has versions 0 and 1: another fails saying so (it said "a
// molality or a mole fraction outside its bounds").
TEST(MissingParameters, DuanVersionWithoutSetSaysSo) {
    DMGWwater model(SM_H2O_CH4_NaCl, 0);
    model.changeModelVersion(2);
    const std::string said =
        test::stderrOf([&] { model.calculate_gas_solubility(300.0, 100.0, 1.0); });
    EXPECT_EQ(model.error, 1);
    EXPECT_FALSE(std::isfinite(model.mg));
    EXPECT_TRUE(says(said, "version 2") && says(said, "Duan & Mao")) << said;
}

// The salt-free H2O-CO2 system of the activity-coefficient model has no salting: given a
// salt it dissolved the water's CO2 with the salt counted only in the mole fractions.
TEST(MissingParameters, SaltFreeActivityModelRefusesSalt) {
    Dubessy water(0, 0, 0, 1), brine(2, 0, 0, 1);
    const std::string said =
        test::stderrOf([&] { water.calculate_gas_solubility(373.15, 0.5, 1.0); });
    EXPECT_EQ(water.error, 1);
    EXPECT_TRUE(says(said, "holds no NaCl") && says(said, "system 2")) << said;
    brine.calculate_gas_solubility(373.15, 0.5, 1.0);
    EXPECT_EQ(brine.error, 0);
    water.calculate_gas_solubility(373.15, 0.5, 0.0);
    EXPECT_EQ(water.error, 0);
    // Salt drives the CO2 out: the brine's saturation pressure lies above the water's.
    EXPECT_GT(brine.P, water.P);
}

}  // namespace
}  // namespace vornex
