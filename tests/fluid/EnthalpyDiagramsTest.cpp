// The gnuplot scripts of the enthalpy diagrams: their plot lines, and the names they refuse.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"

namespace vornex {
namespace {

using testing::slurp;

bool holds(const std::string& file, const std::string& text) {
    return slurp(file).find(text) != std::string::npos;
}

TEST(EnthalpyDiagrams, ScriptsPlotTheSaturationCurvePointsAndIsolines) {
    auto vdw = testing::makeVanDerWaals();
    vdw->draw_enthalpic_diagram_HP("satu1", nullptr, 0, nullptr, 0);
    EXPECT_TRUE(holds("g61.gp", "set title \"P-H plot - noname\"\nset xlabel \"H (J/mol)\"\n"));
    EXPECT_TRUE(holds("g61.gp",
                      "plot \"satu1\" using 7:1 w lines lt 1 title \"Sat\"; rep "
                      "\"satu1\" using 8:1 w lines lt 1 notitle\n\n"));
    // Per mass: the per-kilogram columns, and the points divided by the molar mass.
    vdw->setModelName("vdw");
    double T[] = {373.15, 400.0};
    vdw->draw_enthalpic_diagram_HP("satu1", "pts", 1, T, 2);
    EXPECT_TRUE(holds("g61.gp",
                      "plot \"satu1\" using 19:1 w lines lt 1 title \"Sat\"; rep "
                      "\"satu1\" using 20:1 w lines lt 1 notitle\n"
                      "rep \"pts\" us (0.044000/($5*1000)):4 notitle\n"
                      "rep \"isot37315\" using ($4*1000):2 w lines lt 2 title "
                      "\"373.15 K\"; rep \"isot40000\""));
    double P[] = {10.0};
    vdw->draw_enthalpic_diagram_HT("s", "p", 0, P, 1);
    EXPECT_TRUE(holds("g62.gp",
                      "rep \"p\" us 5:1 notitle\nrep \"isob1000\" using ($5*1000):2 w "
                      "lines lt 2 title \"10.00\"\n"));
    // The points are replotted on a line of their own: appended to the plot command they
    // would have run into it.
    double T1[] = {300.0}, P1[] = {1.5};
    vdw->draw_enthalpic_diagram_HS("s", "p", 0, T1, 1, P1, 1);
    EXPECT_TRUE(holds("g63.gp",
                      ", \"isot30000\" using 6:4 w lines lt 3 , \"isob150\" using 7:5 w "
                      "lines lt 2 \nrep \"p\" us 5:8 notitle\n"));

    // Names that could break out of the script are refused.
    for (const char* script : {"g61.gp", "g62.gp", "g63.gp"}) std::remove(script);
    vdw->draw_enthalpic_diagram_HP("a\"; system \"rm x", nullptr, 0, nullptr, 0);
    vdw->draw_enthalpic_diagram_HT("s", "`rm x`", 0, nullptr, 0);
    vdw->draw_enthalpic_diagram_HS(nullptr, nullptr, 0, nullptr, 0, nullptr, 0);
    for (const char* script : {"g61.gp", "g62.gp", "g63.gp"})
        EXPECT_FALSE(std::ifstream(script).good()) << script;
}

}  // namespace
}  // namespace vornex
