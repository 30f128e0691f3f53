// The printout of the virial fluid's self-check of two components: that version of the fluid
// has no molar masses, so the state it prints carries no figure per kg, and none of its
// figures is an infinity or not a number.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cubic/Virial.h"
#include "numerics/TextCapture.h"
#include "support/PrintedChecks.h"

namespace vornex {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(VirialSelfCheckPrintout, NoFigurePerKgWithoutMolarMasses) {
    VirialEos eos(1, 0, 0);
    const std::string text = test::outputOf([&] { eos.test(); });
    ASSERT_FALSE(eos.M > 0.0) << "the check is of a fluid without molar masses";
    for (const auto& line : test::linesOf(text)) {
        EXPECT_FALSE(has(line, "inf")) << line;
        EXPECT_FALSE(has(line, "nan")) << line;
        // Per kg: energies, entropies and heat capacities, the mass density, the molality
        // and the mass percentage of water mixtures.
        for (const char* unit : {"kJ/kg ", "J/kg/K", "kg/m3", "m(1)", "wt(1)"})
            EXPECT_FALSE(has(line, unit)) << line;
    }
    EXPECT_TRUE(has(text, "No molar mass")) << text;
    // The per-mole figures are still there: u of the virial fluid is -R T^2 B'/V = 0 with a
    // constant B, h = u + P V; the molar density 1/V.
    const double R = kGasConstant, T = 298.15, V = 0.01, B = -0.001165;
    const double P = R * T / V * (1 + B / V);
    double h = NAN, u = NAN, molarDensity = NAN;
    for (const auto& line : test::linesOf(text)) {
        std::sscanf(line.c_str(), "-> h residual %lf kJ/mol", &h);
        std::sscanf(line.c_str(), "-> u residual %lf kJ/mol", &u);
        std::sscanf(line.c_str(), "-> rho %lf mol/dm3", &molarDensity);
    }
    EXPECT_NEAR(molarDensity, 0.001 / V, 1e-6) << text;
    EXPECT_NEAR(u, 0.0, 0.01) << text;
    EXPECT_NEAR(h, (P * V - R * T) / 1000, 0.01) << text;
    // The state printed carries its own fugacity coefficients, those printed after it.
    double inState = NAN, after = NAN;
    for (const auto& line : test::linesOf(text)) {
        std::sscanf(line.c_str(), "-> fugacity[0] %*f bar, fugcoef[0] %lf", &inState);
        std::sscanf(line.c_str(), "fugcoef 0 : %lf", &after);
    }
    EXPECT_NEAR(inState, after, 1e-6) << text;
    EXPECT_NEAR(after, std::exp(2 * B / V - std::log(1 + B / V)), 1e-6);
}

// With molar masses the same printout gives the figures per kg beside those per mole.
TEST(VirialSelfCheckPrintout, FiguresPerKgWithAMolarMass) {
    VirialEos eos(1, 1, 0);
    const std::string text = test::outputOf([&] { eos.test(); });
    ASSERT_GT(eos.M, 0.0);
    EXPECT_TRUE(has(text, "kJ/kg")) << text;
    EXPECT_TRUE(has(text, "kg/m3")) << text;
    EXPECT_FALSE(has(text, "No molar mass")) << text;
}

}  // namespace
}  // namespace vornex
