// Component data: the standard-state ideal gas (Standard) on the shipped JANAF table, and the
// vapour-pressure correlations on the shipped component files and on files of the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "fluid/PsatCorr.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

// ------------------------------------------------------------ standard state

class StandardIdealGas : public ::testing::Test {
   protected:
    // A Standard term of n components evaluated at T.
    static std::unique_ptr<Standard> term(std::initializer_list<const char*> names, double T) {
        auto s = std::make_unique<Standard>();
        s->number_of_components(static_cast<int>(names.size()));
        for (const char* name : names) s->read_component_data(name);
        s->T = T;
        s->calculate_fugacities();
        return s;
    }
};

TEST_F(StandardIdealGas, ReferenceStateOfWaterIsTheJanafEntry) {
    // JANAF H2O(g): DfH(298.15) = -241.826 kJ/mol, S(298.15) = 188.834 J/(mol K).
    auto s = term({"H2O"}, 298.15);
    EXPECT_EQ(s->error, 0);
    EXPECT_NEAR(s->idealH, -241826.0, 0.5);
    EXPECT_NEAR(s->idealS, 188.834, 1e-3);
    EXPECT_NEAR(s->idealG, s->idealH - 298.15 * s->idealS, 1e-6);
}

TEST_F(StandardIdealGas, HeatCapacityFollowsTheTableWithinTheFit) {
    // JANAF Cp of CO2(g): 41.325 J/(mol K) at 400 K, 51.434 at 800 K; the least-squares line
    // over 300 to 1000 K stays within 2 % there.
    EXPECT_NEAR(term({"CO2"}, 400.0)->idealCp, 41.325, 0.02 * 41.325);
    EXPECT_NEAR(term({"CO2"}, 800.0)->idealCp, 51.434, 0.02 * 51.434);
    auto n2 = term({"N2"}, 650.0);
    EXPECT_NEAR(n2->idealCp - n2->idealCv, R, 1e-9);
    EXPECT_NEAR(n2->idealH - n2->idealU, R * 650.0, 1e-6);
}

TEST_F(StandardIdealGas, AliasReadsTheSameRecordAndAnUnknownNameNone) {
    auto byName = term({"CH4"}, 500.0), byAlias = term({"methane"}, 500.0);
    EXPECT_EQ(byName->idealH, byAlias->idealH);
    EXPECT_EQ(byName->idealS, byAlias->idealS);
    EXPECT_EQ(byName->idealCp, byAlias->idealCp);
    // An unknown component keeps zero coefficients and the next name goes to the next one.
    std::unique_ptr<Standard> s;
    EXPECT_NE(test::stderrOf([&] {
                  s = term({"Xenon", "N2"}, 400.0);
              }).find("Data for component Xenon have not been found"),
              std::string::npos);
    EXPECT_EQ(s->componentIndex, 2);
    EXPECT_EQ(s->cpA[0], 0.0);
    EXPECT_GT(s->cpA[1], 0.0);
}

TEST_F(StandardIdealGas, MixtureTermIsLinearInTheMoleFractions) {
    auto s = term({"H2O", "CO2"}, 600.0);
    s->x = {0.25, 0.75};
    s->calculate_fugacities();
    auto w = term({"H2O"}, 600.0);
    auto c = term({"CO2"}, 600.0);
    EXPECT_NEAR(s->idealCp, 0.25 * w->idealCp + 0.75 * c->idealCp, 1e-9);
    // Its composition derivative is each component's own value.
    EXPECT_NEAR(s->dax[0], w->table[Deriv::a], 1e-12);
    EXPECT_NEAR(s->dax[1], c->table[Deriv::a], 1e-12);
}

TEST_F(StandardIdealGas, FluidWithAStandardTermIsTheTabulatedIdealGas) {
    // Ideal-gas limit of a fluid with a Standard term: Cp of the fluid is the tabulated Cp,
    // Cv = Cp - R, H the tabulated enthalpy and S the tabulated entropy at 1 bar. A term
    // that holds G0/(RT) alone would give the fluid Cv = Cp0 and Cp = Cp0 + R.
    auto ideal = new Standard();
    auto fluid = testing::makeFluid(new testing::IdealGasTerm(), {0.018015268}, 1, ideal);
    fluid->componentsAdded = 0;
    fluid->add_component("H2O");
    ideal->componentIndex = 0;
    ideal->read_component_data("H2O");
    fluid->calculateFromTP(298.15, 1.0, 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->Cp, ideal->idealCp, 1e-9);
    EXPECT_NEAR(fluid->Cp - fluid->Cv, R, 1e-9);
    EXPECT_NEAR(fluid->H, -241826.0, 0.5);
    EXPECT_NEAR(fluid->S, 188.834, 1e-3);
    EXPECT_NEAR(fluid->U, fluid->H - R * 298.15, 1e-6);

    // A mixture still has phi = 1 and f = x P: the standard chemical potentials exp(mu0/RT)
    // must stay out of the fugacities.
    ideal = new Standard();
    fluid = testing::makeFluid(new testing::IdealGasTerm(), {0.018015268, 0.044}, 1, ideal);
    ideal->read_component_data("H2O");
    ideal->read_component_data("CO2");
    fluid->composition(0.25, 0.75);
    fluid->calculateFromTP(450.0, 20.0, 0);
    ASSERT_EQ(fluid->error, 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(fluid->fugacityCoefficient[i], 1.0, 1e-12) << i;
        EXPECT_NEAR(fluid->dphidT[i], 0.0, 1e-15) << i;
    }
    EXPECT_NEAR(fluid->fugacity[1], 0.75 * 20e5, 1e-6);
    EXPECT_NEAR(fluid->dfdT[1], 0.0, 1e-9);
    EXPECT_NEAR(fluid->Cp, ideal->idealCp, 1e-9);
}

TEST_F(StandardIdealGas, PropertyTablesHoldTheTermsValues) {
    // One component from 300 K in steps of 2 K: T, ..., H (kJ/mol), Cp.
    term({"N2"}, 300.0)->plot_cp_data(300.0, 400.0, 0);
    auto rows = testing::fileLines("standard.note");
    ASSERT_EQ(rows.size(), 50u);
    auto last = testing::numbersOf(rows[49]);
    auto at398 = term({"N2"}, 398.0);
    EXPECT_EQ(testing::numbersOf(rows[0])[0], 300.0);
    EXPECT_EQ(last[0], 398.0);
    EXPECT_NEAR(last[3], at398->idealH / 1000, 1e-5);
    EXPECT_NEAR(last[4], at398->idealCp, 1e-5);
    // Several components: four columns each after T; the row at 400 K.
    char h2o[] = "H2O", co2[] = "CO2";
    char* names[] = {h2o, co2};
    term({"H2O"}, 300.0)->plot_cp_data(names, 2, 300.0, 500.0, 4);
    auto row = testing::numbersOf(testing::fileLines("standard.note").at(2));
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[0], 400.0);
    EXPECT_NEAR(row[4], term({"H2O"}, 400.0)->idealCp, 1e-3);
    EXPECT_NEAR(row[8], term({"CO2"}, 400.0)->idealCp, 1e-3);
}

// ------------------------------------------------------ vapour-pressure lines

class VapourPressure : public ::testing::Test {
   protected:
    void TearDown() override { std::filesystem::remove_all("compo"); }
    // A component file of the tests in ./compo, which the data lookup prefers.
    static void writeComponent(const char* name, const char* text) {
        std::filesystem::create_directories("compo");
        std::ofstream(std::string("compo/") + name) << text;
    }
};

TEST_F(VapourPressure, AntoineOfWaterBoilsAtOneAtmosphereAndTsatInvertsPsat) {
    Antoine a;
    test::stdoutOf([&] { a.set_component("H2O"); });
    EXPECT_NEAR(a.Psat(373.15), 101325.0, 0.002 * 101325.0);
    EXPECT_NEAR(a.Psat(298.15), 3169.9, 0.01 * 3169.9);  // IAPWS-95: 3.1699 kPa
    a.set_constants(8.07131, 1730.63, 233.426);
    for (double T : {280.0, 320.0, 373.15, 420.0}) EXPECT_NEAR(a.Tsat(a.Psat(T)), T, 1e-9);
    // Below 0 °C the correlation is clamped to a vanishing pressure.
    a.set_constants(5.0, 100.0, 0.0);
    EXPECT_EQ(a.Psat(273.15 - 1.0), 1e-20);
    EXPECT_DOUBLE_EQ(a.Psat(273.15), std::exp(-100.0) * 101325.0 / 760.0);
}

TEST_F(VapourPressure, ClapeyronPassesThroughItsTwoPoints) {
    Clapeyron c;
    test::stdoutOf([&] { c.set_component("CH4"); });
    EXPECT_NEAR(c.Tc, 190.564, 1e-3);  // methane
    EXPECT_NEAR(c.Psat(c.Tb), c.Pb, 1e-6);
    EXPECT_NEAR(c.Psat(c.Tc), c.Pc, 1e-3);
    EXPECT_NEAR(c.Tsat(c.Psat(150.0)), 150.0, 1e-9);
}

TEST_F(VapourPressure, MissingFileAndKeywordLeaveTheConstantsAndALocalFileWins) {
    Antoine a;
    a.set_constants(1.0, 2.0, 3.0);
    EXPECT_NE(test::stderrOf([&] {
                  a.set_component("Unobtainium");
              }).find("File compo/Unobtainium not found"),
              std::string::npos);
    EXPECT_EQ(a.A, 1.0);
    writeComponent("Argon", "Tc 150.687 Pc 4863000\n");
    EXPECT_NE(test::stderrOf([&] { a.set_component("Argon"); }).find("No Antoine coefficients"),
              std::string::npos);
    EXPECT_EQ(a.B, 2.0);
    EXPECT_EQ(a.component, "Argon");
    // A local component file wins over the shipped one.
    writeComponent("H2O", "Antoine 4 5 6\n");
    test::stdoutOf([&] { a.set_component("H2O"); });
    EXPECT_EQ(a.A, 4.0);
    EXPECT_EQ(a.C, 6.0);
}

// The base correlation knows no line: it keeps the name it is given and answers 0, which
// no pressure or temperature a caller asks for can be.
TEST_F(VapourPressure, TheBareCorrelationKeepsItsNameAndAnswersZero) {
    PsatCorr bare;
    bare.set_component("H2O");
    EXPECT_EQ(bare.correlationName, "PsatCorr");
    EXPECT_EQ(bare.component, "H2O");
    EXPECT_EQ(bare.Psat(373.15), 0.0);
    EXPECT_EQ(bare.Tsat(101325.0), 0.0);
}

}  // namespace
}  // namespace vornex
