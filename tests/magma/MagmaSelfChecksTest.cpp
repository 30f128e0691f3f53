// The magma models' console checks on what they print: the primitive-mantle norm, the
// Holloway term's derivative check and its CO2 isotherm against the Sterner-Pitzer
// equation, and the chamber printout of Tait and Jaupart, whose shares must balance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "magma/Holloway.h"
#include "magma/Magma.h"
#include "magma/TaitJaupart.h"
#include "numerics/TextCapture.h"
#include "support/PrintedChecks.h"

namespace vornex {
namespace magma_self_checks {

using test::linesOf;

// The norm of the primitive mantle (mole %: SiO2 41.7, Al2O3 1.85, CaO 2.45, MgO 52.2) with
// 1.1 Ca per six-oxygen clinopyroxene: the clinopyroxene it prints fills its sites (Ca + Mg +
// Al(M) = 2, Si + Al(T) = 2), is neutral (12 charges) and carries the bulk Al/Ca; with
// orthopyroxene Mg2Si2O6 and olivine Mg2SiO4 the three minerals hold the whole bulk, oxide by
// oxide; the percentages are those of the printed numbers.
TEST(MagmaSelfChecks, PrimitiveMantleNormIsPrinted) {
    Magma magma;
    const std::string text = test::stdoutOf([&] { magma.test(1); });
    double cpx = 0, opx = 0, ol = 0, nCpx = 0, nOpx = 0, nOl = 0, alCa = 0;
    double y[5] = {0, 0, 0, 0, 0};  // Ca, Mg, Al(M), Si, Al(T)
    for (const auto& line : linesOf(text)) {
        std::sscanf(line.c_str(), "Cpx : %lf", &cpx);
        std::sscanf(line.c_str(), "Opx : %lf", &opx);
        std::sscanf(line.c_str(), "Oli : %lf", &ol);
        std::sscanf(line.c_str(), "Number of clinopyroxenes : %lf", &nCpx);
        std::sscanf(line.c_str(), "Number of orthopyroxenes : %lf", &nOpx);
        std::sscanf(line.c_str(), "Number of olivines : %lf", &nOl);
        std::sscanf(line.c_str(), "Bulk Al/Ca : %lf", &alCa);
        std::sscanf(line.c_str(), "\tCa %lf Mg %lf Al %lf Si %lf Al %lf O6", &y[0], &y[1], &y[2],
                    &y[3], &y[4]);
    }
    const double SiO2 = 41.7, Al2O3 = 1.85, CaO = 2.45, MgO = 52.2;
    EXPECT_NEAR(alCa, 2 * Al2O3 / CaO, 5e-4) << text;
    // The clinopyroxene, to the two decimals printed.
    EXPECT_NEAR(y[0], 1.1, 0.005);
    EXPECT_NEAR(y[0] + y[1] + y[2], 2.0, 0.015);
    EXPECT_NEAR(y[3] + y[4], 2.0, 0.01);
    EXPECT_NEAR(2 * y[0] + 2 * y[1] + 3 * y[2] + 4 * y[3] + 3 * y[4], 12.0, 0.07);
    EXPECT_NEAR((y[2] + y[4]) / y[0], 2 * Al2O3 / CaO, 0.01);
    // The bulk, oxide by oxide, from the numbers of minerals (three decimals printed).
    EXPECT_NEAR(nCpx * y[0], CaO, 0.01) << text;
    EXPECT_NEAR(0.5 * nCpx * (y[2] + y[4]), Al2O3, 0.02);
    EXPECT_NEAR(nCpx * y[3] + 2 * nOpx + nOl, SiO2, 0.03);
    EXPECT_NEAR(nCpx * y[1] + 2 * nOpx + 2 * nOl, MgO, 0.03);
    const double sum = nCpx + nOpx + nOl;
    EXPECT_NEAR(cpx, 100 * nCpx / sum, 5e-3);
    EXPECT_NEAR(opx, 100 * nOpx / sum, 5e-3);
    EXPECT_NEAR(ol, 100 * nOl / sum, 5e-3);
    Magma idle;
    EXPECT_EQ(test::stdoutOf([&] { idle.test(0); }), "");
}

// Water at 1073 K and 123 cm3/mol: a = -ln(V - b) + a_H2O/(b R T^1.5) ln(V/(V + b)) with
// b = 14.6 cm3/mol and Holloway's a_H2O(T) above 600 degC; every derivative pair agrees.
TEST(MagmaSelfChecks, HollowayTermCheck) {
    Holloway term;
    const std::string text = test::stdoutOf([&] { term.test(1); });
    const double T = 1073.0, V = 1.23e-4, b = 1.46e-5, t = T - 273.15;
    const double a = -0.0195638 * t + 1.8887e-05 * t * t - 7.22326e-09 * t * t * t + 16.901;
    const double expected = -std::log(V - b) + a / (b * 8.31434 * std::pow(T, 1.5)) * std::log(V / (V + b));
    EXPECT_NEAR(test::printedValue(text), expected, 1e-5);
    EXPECT_EQ(test::expectDerivativePairsAgree(text), 4 + 10);
}

// CO2 at 800 degC from 100 to 4900 bar: every state solved by both equations, the volumes
// within 5 % of Sterner and Pitzer's, the fugacities within 1.5 % to 1 kbar.
TEST(MagmaSelfChecks, HollowayIsothermOfCarbonDioxideAgainstTheReference) {
    HollowayEOS eos(1);
    int failed = -1;
    const std::string text = test::writtenText([&](std::FILE* f) { failed = eos.test(f); });
    EXPECT_EQ(failed, 0);
    int rows = 0;
    for (const auto& line : linesOf(text)) {
        double P, V, Vref, f, fref;
        if (std::sscanf(line.c_str(), "P %lf V %lf Vref %lf f(CO2) %lf fref(CO2) %lf", &P, &V,
                        &Vref, &f, &fref) != 5)
            continue;
        ++rows;
        EXPECT_NEAR(P, 100.0 * rows, 1e-6);
        EXPECT_NEAR(V / Vref, 1.0, 0.05) << line;
        if (P <= 1000) { EXPECT_NEAR(f / fref, 1.0, 0.015) << line; }
    }
    EXPECT_EQ(rows, 49);
    EXPECT_EQ(linesOf(text)[0], "Isotherm 1073.150000 K");
}

// A saturated chamber of 1000 kg at 1 kbar with 5 % water crystallised by 5 %: the printed
// mass shares sum to 100 % before and after, the volumes to 100 %, the crystals are 5 %,
// and V/V0 is the relative growth of the chamber.
TEST(MagmaSelfChecks, ChamberPrintoutBalances) {
    TaitJaupart c;
    ASSERT_TRUE(c.setInitialData(1000, 1e8, 0.0, 0.05, 0.0));
    ASSERT_EQ(c.calculateOverpressure(0.05), 0);
    std::map<std::string, double> v;
    const std::string text = test::writtenText([&](std::FILE* f) { c.print(f); });
    for (const auto& line : linesOf(text)) {
        char key[16];
        double value;
        if (std::sscanf(line.c_str(), "%15s %lf", key, &value) == 2 && !v.count(key)) v[key] = value;
    }
    ASSERT_EQ(v.size(), 19u) << text;
    EXPECT_NEAR(v["mc0/M"] + v["ml0/M"] + v["mg0/M"] + v["md0/M"], 100.0, 1e-5);
    EXPECT_NEAR(v["mc/M"] + v["ml/M"] + v["mg/M"] + v["md/M"], 100.0, 1e-5);
    EXPECT_NEAR(v["mc/M"], 5.0, 1e-6);
    EXPECT_NEAR(v["mg0/M"] + v["md0/M"], 5.0, 1e-6);
    EXPECT_NEAR(v["Vl0/V0"] + v["Vg0/V0"] + v["Vc0/V0"], 100.0, 1e-5);
    EXPECT_NEAR(v["Vl/V"] + v["Vg/V"] + v["Vc/V"], 100.0, 1e-5);
    EXPECT_NEAR(v["P0"], 1000.0, 1e-6);
    EXPECT_NEAR(v["P"], c.P * 1e-5, 1e-6);
    EXPECT_NEAR(v["V/V0"], 100.0 * (c.V - c.V0) / c.V0, 1e-6);
    EXPECT_NEAR(v["V0"], c.V0, 1e-6);
    EXPECT_GT(v["P"], v["P0"]) << "crystallisation pressurises the saturated chamber";
}

}  // namespace magma_self_checks
}  // namespace vornex
