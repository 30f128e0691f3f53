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
    // Per mass: the points' enthalpy (J/mol) divided by 1000 times the molar mass, in kJ/kg.
    double T[] = {373.15, 400.0};
    vdw->draw_enthalpic_diagram_HP("satu1", "pts", 1, T, 2);
    EXPECT_TRUE(holds("g61.gp", "rep \"pts\" us ($5/44):4 notitle\n"));
    // The points are replotted on a line of their own: appended to the plot command they
    // would have run into it.
    double T1[] = {300.0}, P1[] = {1.5};
    vdw->draw_enthalpic_diagram_HS("s", "p", 0, T1, 1, P1, 1);
    EXPECT_TRUE(holds("g63.gp",
                      ", \"isot30000\" using 6:4 w lines lt 3 , \"isob150\" using 7:($5*1000) w "
                      "lines lt 2 \nrep \"p\" us 8:5 notitle\n"));

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
