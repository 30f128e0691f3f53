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

// With molar masses the same printout gives the figures per kg beside those per mole, each
// the residual property of the truncated virial equation Z = 1 + B(T)/V divided by the molar
// mass: u = -R T^2 B'/V, h = R T (B - T B')/V, cv = -R (2 T B' + T^2 B'')/V, and the mass
// density M/V, with B(T) read from the fluid's pressure, B = (P V/(R T) - 1) V.
TEST(VirialSelfCheckPrintout, FiguresPerKgWithAMolarMass) {
    VirialEos eos(1, 1, 0);
    const std::string text = test::outputOf([&] { eos.test(); });
    ASSERT_GT(eos.M, 0.0);
    EXPECT_FALSE(has(text, "No molar mass")) << text;
    const double M = eos.M, R = kGasConstant;
    double T = NAN, V = NAN, rho = NAN, molarDensity = NAN, h = NAN, u = NAN, cv = NAN;
    for (const auto& line : test::linesOf(text)) {
        std::sscanf(line.c_str(), "** T %lf K", &T);
        std::sscanf(line.c_str(), "-> V %lf m3/mol", &V);
        std::sscanf(line.c_str(), "-> rho %lf kg/m3 %lf mol/dm3", &rho, &molarDensity);
        std::sscanf(line.c_str(), "-> h residual %lf kJ/kg", &h);
        std::sscanf(line.c_str(), "-> u residual %lf kJ/kg", &u);
        std::sscanf(line.c_str(), "-> cv residual %lf J/kg/K", &cv);
    }
    ASSERT_TRUE(std::isfinite(T) && std::isfinite(V)) << text;
    EXPECT_NEAR(rho, M / V, 1e-6) << text;
    EXPECT_NEAR(molarDensity, 0.001 / V, 1e-6) << text;
    auto B = [&](double TK) {  // the checked fluid itself, at 1 m3/mol
        eos.temperature(TK);
        eos.volume(1.0);
        return eos.calculate_pressure() / (R * TK) - 1.0;
    };
    const double d = 0.01, B0 = B(T), B1 = (B(T + d) - B(T - d)) / (2 * d);
    const double B2 = (B(T + d) - 2 * B0 + B(T - d)) / (d * d);
    // Printed to two decimals.
    EXPECT_NEAR(u, -R * T * T * B1 / V / M * 1e-3, 0.006) << text;
    EXPECT_NEAR(h, R * T * (B0 - T * B1) / V / M * 1e-3, 0.006) << text;
    EXPECT_NEAR(cv, -R * (2 * T * B1 + T * T * B2) / V / M, 0.006) << text;
}

}  // namespace
}  // namespace vornex
