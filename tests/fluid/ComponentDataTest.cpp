// Component data: the standard-state ideal gas (Standard) on the shipped JANAF table, and the
// vapour-pressure correlations on the shipped component files and on files of the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "fluid/PsatCorr.h"
#include "fluid/TestFluids.h"

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

TEST_F(StandardIdealGas, AliasReadsTheSameRecord) {
    auto byName = term({"CH4"}, 500.0);
    auto byAlias = term({"methane"}, 500.0);
    EXPECT_EQ(byName->cpA[0], byAlias->cpA[0]);
    EXPECT_EQ(byName->H0[0], byAlias->H0[0]);
    EXPECT_EQ(byName->S0[0], byAlias->S0[0]);
}

TEST_F(StandardIdealGas, UnknownComponentKeepsZeroCoefficientsAndAdvances) {
    ::testing::internal::CaptureStderr();
    auto s = term({"Xenon", "N2"}, 400.0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Data for component Xenon have not been found"), std::string::npos);
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

TEST_F(StandardIdealGas, FluidHeatCapacitiesAreThoseOfTheIdealGas) {
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
}

TEST_F(StandardIdealGas, PropertyTableOfOneComponent) {
    auto s = term({"N2"}, 300.0);
    s->plot_cp_data(300.0, 400.0, 0);
    std::ifstream note("standard.note");
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(note, line);) {
        std::istringstream in(line);
        std::vector<double> row;
        for (double v; in >> v;) row.push_back(v);
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows[0][0], 300.0);
    EXPECT_EQ(rows[49][0], 398.0);
    auto at398 = term({"N2"}, 398.0);
    EXPECT_NEAR(rows[49][4], at398->idealCp, 1e-5);
    EXPECT_NEAR(rows[49][3], at398->idealH / 1000, 1e-5);
    std::ifstream script("g10.gp");
    const std::string text((std::istreambuf_iterator<char>(script)), {});
    EXPECT_EQ(text.rfind("reset\nset timestamp\nset multiplot\n", 0), 0u);
    EXPECT_NE(text.find("plot \"standard.note\" using 1:2 with lines title 'A(T)'\n"),
              std::string::npos);
}

TEST_F(StandardIdealGas, PropertyTableOfSeveralComponents) {
    auto s = term({"H2O"}, 300.0);
    char h2o[] = "H2O", co2[] = "CO2";
    char* names[] = {h2o, co2};
    s->plot_cp_data(names, 2, 300.0, 500.0, 4);
    std::ifstream note("standard.note");
    std::vector<double> row;
    std::string line;
    for (int k = 0; k < 3; ++k) std::getline(note, line);  // the row at 400 K
    std::istringstream in(line);
    for (double v; in >> v;) row.push_back(v);
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[0], 400.0);
    EXPECT_NEAR(row[4], term({"H2O"}, 400.0)->idealCp, 1e-3);
    EXPECT_NEAR(row[8], term({"CO2"}, 400.0)->idealCp, 1e-3);
    std::ifstream script("g11.gp");
    const std::string text((std::istreambuf_iterator<char>(script)), {});
    EXPECT_NE(text.find("using 1:9 with lines title 'CO2'"), std::string::npos);
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

TEST_F(VapourPressure, AntoineOfWaterBoilsAtOneAtmosphere) {
    Antoine a;
    ::testing::internal::CaptureStdout();
    a.set_component("H2O");
    ::testing::internal::GetCapturedStdout();
    EXPECT_NEAR(a.Psat(373.15), 101325.0, 0.002 * 101325.0);
    // IAPWS-95: 3.1699 kPa at 298.15 K.
    EXPECT_NEAR(a.Psat(298.15), 3169.9, 0.01 * 3169.9);
}

TEST_F(VapourPressure, AntoineTsatInvertsPsat) {
    Antoine a;
    a.set_constants(8.07131, 1730.63, 233.426);
    for (double T : {280.0, 320.0, 373.15, 420.0}) EXPECT_NEAR(a.Tsat(a.Psat(T)), T, 1e-9);
}

TEST_F(VapourPressure, AntoineLowerClamps) {
    Antoine a;
    a.set_constants(5.0, 100.0, 0.0);
    EXPECT_EQ(a.Psat(273.15 - 1.0), 1e-20);
    EXPECT_DOUBLE_EQ(a.Psat(273.15), std::exp(-100.0) * 101325.0 / 760.0);
}

TEST_F(VapourPressure, ClapeyronPassesThroughItsTwoPoints) {
    Clapeyron c;
    ::testing::internal::CaptureStdout();
    c.set_component("CH4");
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Parameters (Tc,Pc,Tb,Pb) : 190.564 45.992 111.667 1.01325"),
              std::string::npos)
        << out;
    EXPECT_NEAR(c.Psat(c.Tb), c.Pb, 1e-6);
    EXPECT_NEAR(c.Psat(c.Tc), c.Pc, 1e-3);
    EXPECT_NEAR(c.Tsat(c.Psat(150.0)), 150.0, 1e-9);
}

TEST_F(VapourPressure, MissingFileAndMissingKeywordLeaveTheConstants) {
    Antoine a;
    a.set_constants(1.0, 2.0, 3.0);
    ::testing::internal::CaptureStderr();
    a.set_component("Unobtainium");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("File compo/Unobtainium not found"),
              std::string::npos);
    EXPECT_EQ(a.A, 1.0);
    writeComponent("Argon", "Tc 150.687 Pc 4863000\n");
    ::testing::internal::CaptureStderr();
    a.set_component("Argon");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("No Antoine coefficients"),
              std::string::npos);
    EXPECT_EQ(a.B, 2.0);
    EXPECT_EQ(a.component, "Argon");
}

TEST_F(VapourPressure, LocalComponentFileWinsOverTheShippedOne) {
    writeComponent("H2O", "Antoine 1 2 3\n");
    Antoine a;
    ::testing::internal::CaptureStdout();
    a.set_component("H2O");
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(a.A, 1.0);
    EXPECT_EQ(a.C, 3.0);
}

}  // namespace
}  // namespace vornex
