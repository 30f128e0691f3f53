// The gnuplot scripts of the enthalpy diagrams, byte for byte, and the names they refuse.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "fluid/TestFluids.h"

namespace vornex {
namespace {

std::string slurp(const std::string& file) {
    std::stringstream s;
    s << std::ifstream(file).rdbuf();
    return s.str();
}

class EnthalpyDiagrams : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals();
};

TEST_F(EnthalpyDiagrams, PressureEnthalpyWithoutPointsOrIsothermsIsTheSaturationPlotAlone) {
    vdw->draw_enthalpic_diagram_HP("satu1", nullptr, 0, nullptr, 0);
    EXPECT_EQ(slurp("g61.gp"),
              "reset\nset timestamp\nset term aqua\nset style line 1 linetype 1\n"
              "set title \"P-H plot - noname\"\nset xlabel \"H (J/mol)\"\nset ylabel \"P (bar)\"\n"
              "set yrange [*:*]\nset key off\n"
              "plot \"satu1\" using 7:1 w lines lt 1 title \"Sat\"; rep \"satu1\" using 8:1 w "
              "lines lt 1 notitle\n\n");
}

TEST_F(EnthalpyDiagrams, PressureEnthalpyPerMassWithPointsAndIsotherms) {
    vdw->setModelName("vdw");
    double T[] = {373.15, 400.0};
    vdw->draw_enthalpic_diagram_HP("satu1", "pts", 1, T, 2);
    EXPECT_EQ(slurp("g61.gp"),
              "reset\nset timestamp\nset term aqua\nset style line 1 linetype 1\n"
              "set title \"P-H plot - vdw\"\nset xlabel \"H (J/kg)\"\nset ylabel \"P (bar)\"\n"
              "set yrange [*:*]\nset key off\n"
              "plot \"satu1\" using 19:1 w lines lt 1 title \"Sat\"; rep \"satu1\" using 20:1 w "
              "lines lt 1 notitle\n"
              "rep \"pts\" us (0.044000/($5*1000)):4 notitle\n"
              "rep \"isot37315\" using ($4*1000):2 w lines lt 2 title \"373.15 K\"; "
              "rep \"isot40000\" using ($4*1000):2 w lines lt 2 title \"400.00 K\"\n");
}

TEST_F(EnthalpyDiagrams, TemperatureEnthalpyWithIsobars) {
    double P[] = {10.0};
    vdw->draw_enthalpic_diagram_HT("s", "p", 0, P, 1);
    EXPECT_EQ(slurp("g62.gp"),
              "set term aqua\nset title \"T-H plot - noname\"\nset xlabel \"H (J/mol)\"\n"
              "set ylabel \"T (K)\"\nset yrange [*:*]\nset key off\n"
              "plot \"s\" using 7:4 w lines lt 1 title \"Sat.\", \"s\" using 8:4 w lines lt 1 "
              "notitle\n"
              "rep \"p\" us 5:1 notitle\n"
              "rep \"isob1000\" using ($5*1000):2 w lines lt 2 title \"10.00\"\n");
}

// The points are replotted on a line of their own: appended to the plot command they would
// have run into it.
TEST_F(EnthalpyDiagrams, EnthalpyEntropyKeepsThePointsOutOfThePlotCommand) {
    double T[] = {300.0};
    double P[] = {1.5};
    vdw->draw_enthalpic_diagram_HS("s", "p", 0, T, 1, P, 1);
    EXPECT_EQ(slurp("g63.gp"),
              "set title \"H-S plot - noname\"\nset ylabel \"H (kJ/mol)\"\nset xlabel \"S (J/K)\"\n"
              "set yrange [*:*]\nset key off\n"
              "plot \"s\" using 13:7 w lines lt 1, \"s\" using 14:8 w lines lt 1 lw 2"
              ", \"isot30000\" using 6:4 w lines lt 3 , \"isob150\" using 7:5 w lines lt 2 \n"
              "rep \"p\" us 5:8 notitle\n");
}

TEST_F(EnthalpyDiagrams, NamesThatCouldBreakOutOfTheScriptAreRefused) {
    for (const char* script : {"g61.gp", "g62.gp", "g63.gp"}) std::remove(script);
    vdw->draw_enthalpic_diagram_HP("a\"; system \"rm x", nullptr, 0, nullptr, 0);
    vdw->draw_enthalpic_diagram_HT("s", "`rm x`", 0, nullptr, 0);
    vdw->draw_enthalpic_diagram_HS(nullptr, nullptr, 0, nullptr, 0, nullptr, 0);
    EXPECT_FALSE(std::ifstream("g61.gp").good());
    EXPECT_FALSE(std::ifstream("g62.gp").good());
    EXPECT_FALSE(std::ifstream("g63.gp").good());
}

}  // namespace
}  // namespace vornex
