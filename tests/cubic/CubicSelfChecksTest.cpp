// The console self-checks of the cubic and virial terms and fluids, with what they print
// checked: every analytic derivative a term's check prints beside its central difference,
// the virial fluid's spinodal and isotherm rows against the truncated virial equation
// Z = 1 + B/V, the classic cubic's CO2-CH4 volumes against the pressure they were solved
// for and against measured densities, the mixing tables of print_parameters against the
// mixing rules, and the pairwise kaij setter of the three-constant cubics.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"
#include "cubic/CubicConstants.h"
#include "cubic/HCubic.h"
#include "cubic/SoaveAttraction.h"
#include "cubic/VanDerWaalsAttrac.h"
#include "cubic/Virial.h"
#include "numerics/TextCapture.h"
#include "support/PrintedChecks.h"

namespace vornex {
namespace cubic_self_checks {

constexpr double R = kGasConstant;

using test::expectDerivativePairsAgree;
using test::linesOf;

// The van der Waals attraction -a x1^2/(R T V) at 300 K, 1.8e-5 m3/mol, x1 = 0.4 (alpha -1).
TEST(CubicSelfChecks, VanDerWaalsAttractionCheck) {
    VanDerWaalsAttrac term;
    const std::string text = test::stdoutOf([&] { term.test(); });
    EXPECT_NEAR(test::printedValue(text), -0.16 / (R * 300.0 * 1.8e-5), 1e-5);
    EXPECT_EQ(expectDerivativePairsAgree(text), 4 + 10);
}

// The Peng-Robinson attraction A/(R T) = a/(2 sqrt(2) b R T) ln((V + (1 - sqrt(2)) b) /
// (V + (1 + sqrt(2)) b)), computed here from the check's constants.
double pengRobinsonAttraction(double a, double b, double TK, double Vm3) {
    const double s = std::sqrt(2.0);
    return a / (2 * s * b * R * TK) * std::log((Vm3 + (1 - s) * b) / (Vm3 + (1 + s) * b));
}

// Stryjek-Vera: two components at 373.15 K and 3e-5 m3/mol, x = (0.8, 0.2), a_i = ac_i
// (1 + kappa_i (1 - sqrt(Tr)))^2 with kappa = kappa0 + kappa1 (1 + sqrt(Tr))(0.7 - Tr), and
// quadratic mixing; Nirma: water (Tc 647.13 K, Pc 220.55 bar) at 373.15 K and 2e-5 m3/mol
// with the Soave form of alpha, m = 0.85360439, and the Peng-Robinson constants OmegaA
// 0.45724 and OmegaB 0.07780 (Peng and Robinson 1976, to the digits they print).
TEST(CubicSelfChecks, StryjekVeraAndNirmaChecks) {
    StryjekVera sv;
    std::string text = test::stdoutOf([&] { sv.test(); });
    const double T = 373.15;
    auto alpha = [&](double Tc, double k0, double k1) {
        const double Tr = T / Tc, kappa = k0 + k1 * (1 + std::sqrt(Tr)) * (0.7 - Tr);
        return std::pow(1 + kappa * (1 - std::sqrt(Tr)), 2);
    };
    const double a0 = 0.5 * alpha(304.0, 1.2, 0.04), a1 = 0.1 * alpha(190.0, 0.4, 0.001);
    const double am = 0.64 * a0 + 2 * 0.16 * std::sqrt(a0 * a1) + 0.04 * a1;
    const double bm = 0.8 * 1.8e-5 + 0.2 * 2.5e-5;
    EXPECT_NEAR(test::printedValue(text) / pengRobinsonAttraction(am, bm, T, 3e-5), 1.0, 1e-5);
    EXPECT_EQ(expectDerivativePairsAgree(text), 4 + 10);

    Nirma nirma(0);
    text = test::stdoutOf([&] { nirma.test(); });
    const double Tc = 647.13, Pc = 22055000, Tr = T / Tc;
    const double a = 0.45724 * R * R * Tc * Tc / Pc *
                     std::pow(1 + 0.85360439 * (1 - std::sqrt(Tr)), 2);
    const double b = 0.07780 * R * Tc / Pc;
    EXPECT_NEAR(test::printedValue(text) / pengRobinsonAttraction(a, b, T, 2e-5), 1.0, 2e-4);
    EXPECT_EQ(expectDerivativePairsAgree(text), 3 + 6);
}

// The virial term: a = B/V with B = sum x_i x_j B_ij (version 0) or B(T) (version 1).
TEST(CubicSelfChecks, VirialTermChecks) {
    for (int version : {0, 1}) {
        Virial term(version);
        const std::string text = test::stdoutOf([&] { term.test(); });
        EXPECT_EQ(expectDerivativePairsAgree(text), version == 0 ? 4 + 10 : 3 + 6) << version;
    }
}

// Version 0: water with B = -1165 cm3/mol at 298.15 K and 0.01 m3/mol, Z = 1 + B/V, the
// fugacity coefficients ln phi_i = 2 sum_j x_j B_ij / V - ln Z, and the plotted isotherm
// from 0.01 to 1000 m3/mol with (Z - 1) V = B on every row.
TEST(CubicSelfChecks, VirialFluidCheckOfTwoComponents) {
    VirialEos eos(1, 0, 0);
    const std::string text = test::outputOf([&] { eos.test(); });
    const double B = -0.001165, V = 0.01, Z = 1 + B / V;
    double phi0 = 0, phi1 = 0;
    for (const auto& line : linesOf(text)) {
        std::sscanf(line.c_str(), "fugcoef 0 : %lf", &phi0);
        std::sscanf(line.c_str(), "fugcoef 1 : %lf", &phi1);
    }
    EXPECT_NEAR(phi0, std::exp(2 * B / V - std::log(Z)), 1e-6);
    EXPECT_NEAR(phi1, std::exp(2 * -6.3e-05 / V - std::log(Z)), 1e-5);
    int rows = 0;
    double previous = 0;
    for (const auto& line : linesOf(text)) {
        double v, z, bv;
        if (std::sscanf(line.c_str(), "%lf %lf %lf", &v, &z, &bv) != 3 || line.find(':') != line.npos)
            continue;
        if (v < 0.0099 || v > 1000.01) continue;
        EXPECT_NEAR(z, 1 + B / v, 1e-5) << line;
        EXPECT_NEAR(bv, B * 1e6, 1e-3) << line;
        if (rows > 0) { EXPECT_NEAR(v / previous, std::pow(1e5, 0.01), 1e-5); }
        previous = v;
        ++rows;
    }
    EXPECT_EQ(rows, 101);  // five decades in steps of 10^0.05
}

// Version 1 on water at 373.15 K: B(T) = p1 T + p2 T^2 + p3 of the table; the printed
// volumes -2B and -3B and their pressures: -2B is where the truncated virial isotherm has
// its maximum (its spinodal), P = -R T/(4 B) there and -2 R T/(9 B) at -3B.
TEST(CubicSelfChecks, VirialFluidOfWaterPrintsItsSpinodal) {
    VirialEos eos(1, 1, 0);
    const std::string text = test::stdoutOf([&] { eos.test(); });
    const double T = 373.15, B = 3.9571e-06 * T - 2.8759e-09 * T * T - 1.43559e-03;
    double printedB = 0, v1 = 0, p1 = 0, v2 = 0, p2 = 0;
    for (const auto& line : linesOf(text)) {
        std::sscanf(line.c_str(), "B  : %lf", &printedB);
        std::sscanf(line.c_str(), "v1 : %lf   p1 : %lf", &v1, &p1);
        std::sscanf(line.c_str(), "v2 : %lf   p2 : %lf", &v2, &p2);
    }
    EXPECT_NEAR(printedB, B * 1e6, 1e-3);
    EXPECT_NEAR(v1, -2 * B * 1e6, 1e-3);
    EXPECT_NEAR(p1, -R * T / (4 * B) * 1e-5, 1e-4);
    EXPECT_NEAR(v2, -3 * B * 1e6, 1e-2);
    EXPECT_NEAR(p2, -2 * R * T / (9 * B) * 1e-5, 1e-4);
    // At 0.01 bar the vapour: Z = 1 + B P/(R T) to first order in P.
    EXPECT_NEAR(eos.Z, 1 + B * 1e3 / (R * T), 1e-7);
    // The maximum of the model's own isotherm.
    auto P = [&](double V) {
        eos.temperature(T);
        eos.volume(V);
        return eos.calculate_pressure();
    };
    const double V1 = v1 * 1e-6, h = 1e-4 * V1;
    EXPECT_NEAR((P(V1 + h) - P(V1 - h)) / (2 * h) * V1 / P(V1), 0.0, 1e-6);
    EXPECT_LT(P(V1 * 1.1), P(V1));
    EXPECT_LT(P(V1 * 0.9), P(V1));
}

// The roots Z of Soave's cubic (Soave 1972: OmegaA 0.42748, OmegaB 0.08664, m = 0.480 +
// 1.574 omega - 0.176 omega^2, a_ij = (1 - k) sqrt(a_i a_j)) for a CO2-CH4 mixture of CO2
// fraction x at T and P, solved here by bisection from the constants of the classic table:
// CO2 304.21 K, 73.825 bar, omega 0.225; CH4 190.555 K, 45.95 bar, omega 0.013; k = 0.1.
std::vector<double> soaveRoots(double x, double TK, double PPa) {
    const double Tc[2] = {304.21, 190.555}, Pc[2] = {73.825e5, 45.95e5}, w[2] = {0.225, 0.013};
    double a[2], b[2];
    for (int i = 0; i < 2; ++i) {
        const double m = 0.480 + 1.574 * w[i] - 0.176 * w[i] * w[i];
        a[i] = 0.42748 * R * R * Tc[i] * Tc[i] / Pc[i] *
               std::pow(1 + m * (1 - std::sqrt(TK / Tc[i])), 2);
        b[i] = 0.08664 * R * Tc[i] / Pc[i];
    }
    const double y[2] = {x, 1 - x};
    double am = 0, bm = 0;
    for (int i = 0; i < 2; ++i) {
        bm += y[i] * b[i];
        for (int j = 0; j < 2; ++j) am += y[i] * y[j] * (i == j ? 1.0 : 0.9) * std::sqrt(a[i] * a[j]);
    }
    const double A = am * PPa / (R * R * TK * TK), B = bm * PPa / (R * TK);
    auto f = [&](double Z) { return ((Z - 1) * Z + A - B - B * B) * Z - A * B; };
    std::vector<double> roots;
    for (double lo = B; lo < 2.0; lo += 1e-3) {
        double l = lo, h = lo + 1e-3;
        if (f(l) * f(h) > 0) continue;
        for (int k = 0; k < 100; ++k) ((f(l) > 0) == (f(0.5 * (l + h)) > 0) ? l : h) = 0.5 * (l + h);
        roots.push_back(0.5 * (l + h));
    }
    return roots;
}

// CO2 with 1 % methane at 0 degC and 100 bar is a liquid (CO2: 0.961 g/cm3, 45.8 cm3/mol,
// measured; Soave's cubic is known to give liquid volumes some 10 % too large), methane
// with 1 % CO2 a gas; each volume is the smallest or the largest root of Soave's cubic
// computed here from the critical constants, and gives back 100 bar.
TEST(CubicSelfChecks, ClassicalCubicVolumesOfCarbonDioxideAndMethane) {
    ClassicalSRK srk(2);
    const std::string text = test::stdoutOf([&] { srk.test(1); });
    std::vector<double> volumes;
    for (const auto& line : linesOf(text)) {
        double v;
        if (std::sscanf(line.c_str(), "V %lf cm3/mol", &v) == 1) volumes.push_back(v);
        EXPECT_EQ(line.find("errorflag 1"), std::string::npos) << text;
    }
    ASSERT_EQ(volumes.size(), 2u) << text;
    EXPECT_GT(volumes[0], 45.8) << text;
    EXPECT_LT(volumes[0], 45.8 * 1.2) << text;
    const double RT = R * 273.15;
    const auto liquid = soaveRoots(0.99, 273.15, 100e5), gas = soaveRoots(0.01, 273.15, 100e5);
    ASSERT_FALSE(liquid.empty());
    ASSERT_FALSE(gas.empty());
    // To the six digits printed.
    EXPECT_NEAR(volumes[0] * 1e-6 * 100e5 / RT / liquid.front(), 1.0, 2e-5);
    EXPECT_NEAR(volumes[1] * 1e-6 * 100e5 / RT / gas.back(), 1.0, 2e-5);
    const double fractions[2][2] = {{0.99, 0.01}, {0.01, 0.99}};
    for (int k = 0; k < 2; ++k) {
        srk.composition(fractions[k][0], fractions[k][1]);
        srk.temperature(273.15);
        srk.volume(volumes[k] * 1e-6);
        EXPECT_NEAR(srk.calculate_pressure() * 1e-5, 100.0, 0.01) << k;
    }
    // Without two components the check says so.
    ClassicalSRK single(2);
    single.number_of_components(1);
    EXPECT_NE(test::stdoutOf([&] { single.test(0); }).find("needs a two-component fluid"),
              std::string::npos);
}

// The mixing table: b_i = OmegaB R Tc/Pc, a_ij = (1 - kaij) sqrt(a_i a_j),
// b_ij = (b_i + b_j)(1 - kbij)/2, and the mixture's a and b the quadratic sums.
template <class Fluid>
void expectMixingTable(Fluid& fluid, double kb01) {
    fluid.number_of_components(2);
    fluid.add_component("CO2");
    fluid.add_component("CH4");
    fluid.temperature(300.0);
    fluid.composition(0.3, 0.7);
    const auto lines = linesOf(test::stdoutOf([&] { fluid.print_parameters(stdout); }));
    ASSERT_EQ(lines.size(), 7u);
    double b[2], a[2], aij[2][2], ka[2][2], bij[2][2], kb[2][2];
    for (const auto& line : lines) {
        int i, j;
        double u, v, w, z;
        if (std::sscanf(line.c_str(), "(i=%d,j=%d) aij %lf  bpa %lf  bij %lf bpb %lf", &i, &j, &u,
                        &v, &w, &z) == 6) {
            aij[i][j] = u, ka[i][j] = v, bij[i][j] = w, kb[i][j] = z;
        } else if (std::sscanf(line.c_str(), "(i=%d) bi %lf ai %lf", &i, &u, &v) == 3) {
            b[i] = u, a[i] = v;
        }
    }
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(b[i], kSrkOmegaB * R * fluid.Tc[i] / fluid.Pc[i], 1e-5 * b[i]);
    EXPECT_NEAR(aij[1][0], (1 - ka[1][0]) * std::sqrt(a[0] * a[1]), 1e-5 * aij[1][0]);
    EXPECT_NEAR(bij[1][0], (b[0] + b[1]) * (1 - kb[1][0]) / 2, 1e-5 * bij[1][0]);
    EXPECT_NEAR(kb[1][0], kb01, 1e-12);
    EXPECT_NEAR(ka[1][0], 0.1, 1e-12);  // CO2-CH4
    double am = 0, bm = 0;
    sscanf(lines.back().empty() ? lines[lines.size() - 2].c_str() : lines.back().c_str(),
           "a %lf  b %lf", &am, &bm);
    const double x[2] = {0.3, 0.7};
    EXPECT_NEAR(am, x[0] * x[0] * a[0] + 2 * x[0] * x[1] * aij[1][0] + x[1] * x[1] * a[1], 1e-5 * am);
    EXPECT_NEAR(bm, x[0] * x[0] * b[0] + 2 * x[0] * x[1] * bij[1][0] + x[1] * x[1] * b[1], 1e-5 * bm);
}

TEST(CubicSelfChecks, PrintedMixingTablesFollowTheMixingRules) {
    ClassicalCubic0 classic(kSoaveRedlichKwong, 2);
    expectMixingTable(classic, 0.0);
    CriticalInterpolationCubic interpolated(kSoaveRedlichKwong, 2);
    expectMixingTable(interpolated, 0.06);
}

// kaij of a ternary in the order (0,1), (0,2), (1,2), each pair symmetric and the mixture's
// attraction the geometric mean reduced by it.
TEST(CubicSelfChecks, PairwiseAttractionParametersOfATernary) {
    TwoPar fluid(1);
    fluid.number_of_components(3);
    fluid.add_component("CH4");
    fluid.add_component("CO2");
    fluid.add_component("N2");
    fluid.set_binary_interaction_a_parameters(0.11, 0.03, -0.035);
    const double expected[3][3] = {{0, 0.11, 0.03}, {0.11, 0, -0.035}, {0.03, -0.035, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_DOUBLE_EQ(fluid.kaij[i * 3 + j], expected[i][j]) << i << j;
    fluid.temperature(250.0);
    fluid.pressure(50.0);
    fluid.composition(0.5, 0.3, 0.2);
    fluid.calculate_molar_volume();
    ASSERT_EQ(fluid.error, 0);
    double amix = 0;
    const double x[3] = {0.5, 0.3, 0.2};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            amix += x[i] * x[j] * (1 - expected[i][j]) * std::sqrt(fluid.a[i] * fluid.a[j]);
    EXPECT_NEAR(fluid.amix, amix, 1e-12 * amix);
    // A binary takes its one parameter.
    TwoPar binary(1);
    binary.number_of_components(2);
    binary.add_components("CH4", "CO2");
    binary.set_binary_interaction_a_parameters(0.2);
    EXPECT_DOUBLE_EQ(binary.kaij[1], 0.2);
    EXPECT_DOUBLE_EQ(binary.kaij[2], 0.2);
}

}  // namespace cubic_self_checks
}  // namespace vornex
