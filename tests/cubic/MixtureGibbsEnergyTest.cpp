// The Gibbs energy of a term-based cubic mixture against its fugacities: the chemical
// potential of a component from the slope of G in the composition at constant T and P.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CubicConstants.h"
#include "cubic/TermCubic.h"

namespace vornex {
namespace {

struct AtTP {
    double G, S, H, lnf0;
};

AtTP stateOf(FluidPhase& f, double x1, double TK, double Pbar) {
    f.composition(1.0 - x1, x1);
    f.calculateFromTP(TK, Pbar, 0);
    EXPECT_EQ(f.error, 0) << x1;
    return {f.G, f.S, f.H, f.lnFugacity[0]};
}

// mu_0 = G - x1 dG/dx1 at constant T and P changes between two compositions by RT ln of
// the ratio of f_0: carbon dioxide-methane in SRK2 at 350 K and 50 bar, from x1 = 0.2 to 0.6,
// by 1965.7 J/mol. Without the ideal mixing in G it came out as -51.3, off by RT ln(0.8/0.4).
TEST(MixtureGibbsEnergy, ChemicalPotentialFromTheSlopeOfGMatchesTheFugacity) {
    SRK2 f(1);
    f.number_of_components(2);
    f.add_component("CO2");
    f.add_component("CH4");
    const double TK = 350.0, Pbar = 50.0, h = 1e-4;
    double mu0[2], lnf0[2];
    const double at[2] = {0.2, 0.6};
    for (int k = 0; k < 2; ++k) {
        const AtTP s = stateOf(f, at[k], TK, Pbar);
        const double slope =
            (stateOf(f, at[k] + h, TK, Pbar).G - stateOf(f, at[k] - h, TK, Pbar).G) / (2 * h);
        mu0[k] = s.G - at[k] * slope;
        lnf0[k] = s.lnf0;
    }
    const double RT = f.gasConstant * TK;
    EXPECT_NEAR(mu0[0] - mu0[1], RT * (lnf0[0] - lnf0[1]), 1e-3);
    EXPECT_NEAR(mu0[0] - mu0[1], 1965.7, 0.1);
}

// The pure ends keep their functions bit for bit (x ln x -> 0), with no value undefined at
// x = 0, and the mixing leaves H alone: it moves S by -R sum x ln x only.
TEST(MixtureGibbsEnergy, PureEndsAreThePureFluidsAndMixingLeavesTheEnthalpy) {
    SRK1 pair(1, 0);
    pair.number_of_components(2);
    pair.add_component("CO2");
    pair.add_component("CH4");
    for (int i = 0; i < 2; ++i) {
        SRK1 pure(1, 0);
        pure.number_of_components(1);
        pure.add_component(i == 0 ? "CO2" : "CH4");
        pure.calculateFromTP(350.0, 50.0, 0);
        ASSERT_EQ(pure.error, 0);
        const AtTP end = stateOf(pair, i == 0 ? 0.0 : 1.0, 350.0, 50.0);
        ASSERT_TRUE(std::isfinite(end.G) && std::isfinite(end.S)) << i;
        EXPECT_EQ(end.G, pure.G) << i;
        EXPECT_EQ(end.S, pure.S) << i;
        EXPECT_EQ(end.H, pure.H) << i;
    }
    // Within the mixture at one T and V, the ideal part is all that separates S from (H - G)/T.
    pair.composition(0.7, 0.3);
    pair.calculateFromTV(350.0, 5e-4, 0);
    EXPECT_NEAR(pair.H - pair.T * pair.S, pair.G, 1e-9 * std::fabs(pair.G));
    EXPECT_NEAR(pair.A, pair.U - pair.T * pair.S, 1e-9 * std::fabs(pair.A));
}

// The rows of a Gibbs transect file, read with a point whatever the locale ("nan" or "inf"
// where a pure end's activity coefficient or curvature has no value).
std::vector<std::vector<double>> transectRows(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> row;
        for (std::string w; words >> w;) {
            std::istringstream s(w);
            s.imbue(std::locale::classic());
            double v = std::nan("");
            if (w.find("inf") != std::string::npos)
                v = w[0] == '-' ? -HUGE_VAL : HUGE_VAL;
            else if (w.find("nan") == std::string::npos && !(s >> v))
                break;
            row.push_back(v);
        }
        if (row.size() == 15) rows.push_back(row);
    }
    return rows;
}

// The transect's Gex is the Gibbs energy of mixing, R T sum x_i ln a_i with the activities
// it prints, in a model of departures from the ideal mixture as in one of Helmholtz terms:
// the closed-form SRK and the term-based SRK are one equation and give one curve (carbon
// dioxide-methane at 300 K and 50 bar: -1662.6 J/mol at x1 = 0.5; the closed form gave its
// excess part alone, +66.2).
TEST(MixtureGibbsEnergy, TransectGivesTheGibbsEnergyOfMixingInEveryModel) {
    ClassicalCubic0 closed(kSoaveRedlichKwong, 1);
    SRK1 terms(1, 0);
    for (FluidPhase* f : {static_cast<FluidPhase*>(&closed), static_cast<FluidPhase*>(&terms)}) {
        f->number_of_components(2);
        f->add_component("CO2");
        f->add_component("CH4");
    }
    closed.calculateGibbsTransect2(300.0, 50.0, "closed");
    terms.calculateGibbsTransect2(300.0, 50.0, "terms");
    ASSERT_EQ(closed.error, 0);
    ASSERT_EQ(terms.error, 0);
    const auto a = transectRows("gibbsclosed"), b = transectRows("gibbsterms");
    ASSERT_EQ(a.size(), 1001u);
    ASSERT_EQ(b.size(), 1001u);
    const double RT = closed.gasConstant * 300.0;
    for (std::size_t k = 0; k <= 1000; k += 50) {
        const double x0 = a[k][0], x1 = a[k][1];
        double mixing = 0.0;
        if (x0 > 0.0) mixing += x0 * std::log(a[k][9]);
        if (x1 > 0.0) mixing += x1 * std::log(a[k][10]);
        mixing *= RT;
        const double tolerance = 1e-4 * RT;
        EXPECT_NEAR(a[k][6], mixing, tolerance) << "closed form, x1 " << x1;
        EXPECT_NEAR(b[k][6], mixing, tolerance) << "terms, x1 " << x1;
        if (k > 0 && k < 1000) {
            EXPECT_LT(a[k][6], 0.0) << "two gases mix: x1 " << x1;
        }
    }
    EXPECT_NEAR(a[500][6], -1662.6, 0.5);
}

}  // namespace
}  // namespace vornex
