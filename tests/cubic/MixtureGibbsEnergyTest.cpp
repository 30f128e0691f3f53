// The Gibbs energy of a term-based cubic mixture against its fugacities: the chemical
// potential of a component from the slope of G in the composition at constant T and P.
#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace vornex
