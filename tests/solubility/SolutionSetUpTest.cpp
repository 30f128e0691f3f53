// Solution models that take their components by name: a set-up given again is the new one,
// and the gas named is weighed by its own molar mass in every density.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numerics/TextCapture.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"

namespace vornex {
namespace {

void setUp(Henry& h, std::initializer_list<const char*> names) {
    h.number_of_components(static_cast<int>(names.size()));
    for (const char* n : names) h.add_component(n);
}

// One Henry model set up for CO2 in brine, then for CH4 in brine, then for N2 in water: each
// solubility is a fresh model's of those names, not the first gas's under a new name (CH4
// came out as CO2's 0.694 mol/kg for 0.0785, N2 as 1.126 for 0.0458).
TEST(SolutionSetUp, HenryModelSetUpAgainIsTheNewSolution) {
    Henry again;
    again.changeModelVersion(1);
    setUp(again, {"H2O", "CO2", "NaCl"});
    again.calculate_gas_solubility(323.15, 100.0, 1.0);
    ASSERT_EQ(again.error, 0);
    const struct {
        std::initializer_list<const char*> names;
        double ms;
    } sets[] = {{{"H2O", "CH4", "NaCl"}, 1.0}, {{"H2O", "N2"}, 0.0}, {{"H2O", "CO2", "NaCl"}, 1.0}};
    for (const auto& s : sets) {
        Henry fresh;
        fresh.changeModelVersion(1);
        setUp(fresh, s.names);
        fresh.calculate_gas_solubility(323.15, 100.0, s.ms);
        setUp(again, s.names);
        again.calculate_gas_solubility(323.15, 100.0, s.ms);
        const std::string gas = *(s.names.begin() + 1);
        ASSERT_EQ(fresh.error, 0) << gas;
        EXPECT_EQ(again.error, 0) << gas;
        EXPECT_EQ(again.nc, fresh.nc) << gas;
        EXPECT_EQ(again.iNaCl, fresh.iNaCl) << gas;
        EXPECT_NEAR(again.mg, fresh.mg, 1e-12 * fresh.mg) << gas;
        ASSERT_TRUE(again.vapour != nullptr);
        EXPECT_EQ(again.vapour->componentName[0], gas);
    }
    // No components at all is no set-up: refused, saying so, and the last one stands.
    const std::string said = test::outputOf([&] { again.number_of_components(0); });
    EXPECT_NE(said.find("refused"), std::string::npos) << said;
    again.calculate_gas_solubility(323.15, 100.0, 1.0);
    EXPECT_EQ(again.componentName[1], "CO2");
    EXPECT_EQ(again.error, 0);
}

// The Henry-Pitzer set likewise: CO2, then H2S, in brine (H2S came out as CO2's 0.0151).
TEST(SolutionSetUp, HenPitSetSetUpAgainIsTheNewSolution) {
    auto describe = [](HenPitSet& s, const char* gas) {
        s.number_of_components(3);
        s.add_components("H2O", gas, "NaCl");
        s.m = 1.0;
        s.temperature(323.15);
        s.pressure(100.0);
        s.describe();
    };
    HenPitSet again;
    again.setVapourModel(1);
    describe(again, "CO2");
    ASSERT_EQ(again.error, 0);
    describe(again, "H2S");
    HenPitSet fresh;
    fresh.setVapourModel(1);
    describe(fresh, "H2S");
    ASSERT_EQ(fresh.error, 0);
    EXPECT_EQ(again.error, 0);
    EXPECT_EQ(again.numberOfGases, 1);
    EXPECT_NEAR(again.x[1], fresh.x[1], 1e-12 * fresh.x[1]);
}

// Henry's law over brine at 323.15 K and 100 bar: the vapour's density is the mass of its
// moles, water and the gas by its standard molar mass (g/mol), and the gas's partial density
// in the liquid is its concentration times that mass. Every gas once counted as methane's
// 16 g/mol (CO2's vapour 128 kg/m3 for 353).
TEST(SolutionSetUp, HenryGasWeighedByItsOwnMolarMass) {
    const struct {
        const char* gas;
        double M;
    } gases[] = {{"CO2", 44.01}, {"H2S", 34.08}, {"N2", 28.013}, {"C2H6", 30.07}, {"CH4", 16.04}};
    for (const auto& g : gases) {
        Henry h;
        h.changeModelVersion(1);
        setUp(h, {"H2O", g.gas, "NaCl"});
        h.setDensityModelType(SM_MaoDuan0);
        test::outputOf([&] { h.calculate_gas_solubility(323.15, 100.0, 1.0); });
        ASSERT_EQ(h.error, 0) << g.gas;
        h.compositionCode = 11;
        h.update_composition();
        h.calculate_density();
        h.calculateVapourMolarVolume();
        ASSERT_TRUE(std::isfinite(h.rhoSolution)) << g.gas;
        const double Mv = 18.015 * h.yH2O + g.M * (1.0 - h.yH2O);
        EXPECT_NEAR(h.vapourDensity() * h.Vvapour * 1e3, Mv, 3e-3 * Mv) << g.gas;
        const double cg = h.x[1] * h.rhoSolution / h.solutionMolarMass();
        EXPECT_NEAR(h.gasDensityInLiquid(), cg * g.M * 1e-3, 3e-3 * cg * g.M * 1e-3) << g.gas;
    }
}

// Henry's law of two gases at once: the solubility, the bubble pressure and the isopleth are
// refused naming the count of gases (they said the gas phase had no state at the pressure, or
// that no pressure up to 10 kbar balanced the fugacities).
TEST(SolutionSetUp, HenryOfTwoGasesSaysItSolvesOne) {
    Henry h;
    h.changeModelVersion(1);
    setUp(h, {"H2O", "CO2", "CH4", "NaCl"});
    std::string said = test::outputOf([&] { h.calculate_gas_solubility(323.15, 100.0, 1.0); });
    EXPECT_EQ(h.error, 1);
    EXPECT_NE(said.find("one dissolved gas"), std::string::npos) << said;
    said = test::outputOf([&] { h.calculate_bubble_pressure(323.15, 0.0, 1.0, 0.1); });
    EXPECT_EQ(h.error, 1);
    EXPECT_NE(said.find("one dissolved gas"), std::string::npos) << said;
    said = test::outputOf([&] { EXPECT_FALSE(h.calculateTheIsopleth(1.0, 0.1, 0, "two", nullptr)); });
    EXPECT_NE(said.find("one dissolved gas"), std::string::npos) << said;
}

}  // namespace
}  // namespace vornex
