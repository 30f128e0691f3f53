// The water terms' written-out derivatives against the expression graphs they stand for:
// the same coefficient tables evaluated by the generic multi-parameter terms. The residual
// sums cancel (terms of 1e3 leave 1e1 in dense liquid), so the two agree to the rounding of
// those sums, measured on each entry's own scale (1/T^i V^j); next to the critical
// temperature the terms evaluate the graph itself and agree to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "water/Wagner.h"
#include "water/WagnerCoefficients.h"
#include "water/WagnerPruss.h"
#include "water/Wagnerid.h"

namespace vornex {
namespace water_kernel {

constexpr int kEntries[] = {Deriv::a,    Deriv::a_T,   Deriv::a_V,   Deriv::a_TT, Deriv::a_TV,
                            Deriv::a_VV, Deriv::a_TTV, Deriv::a_TVV, Deriv::a_VVV};

// The size an entry has for a term of order one: 1 / (T^nT V^nV).
double scaleOf(int entry, double T, double V) {
    return 1.0 / (std::pow(T, kDerivCounts[entry][0]) * std::pow(V, kDerivCounts[entry][1]));
}

template <class Term>
void place(Term& term, double T, double V) {
    term.number_of_components(1);
    term.T = T;
    term.V = V;
}

// Worst difference of the nine state entries, a_TTT and the fugacity contributions, each
// on its scale, between the written-out term and the graph over liquid, vapour and
// supercritical states (T 250-1270 K, density 1e-3 to 1250 kg/m3).
template <class Own, class Graph>
double worstOverTheGrid(Own& own, Graph& graph, bool nearCriticalOnly, std::string& where) {
    std::vector<double> temperatures;
    if (nearCriticalOnly)
        for (double T = 641.0; T <= 653.0; T += 2.1) temperatures.push_back(T);
    else
        for (double T = 250.0; T <= 1270.0; T += 17.3) temperatures.push_back(T);
    double worst = 0.0;
    auto note = [&](double d, double scale, const std::string& what) {
        const double r = std::fabs(d) / scale;
        if (!(r <= worst)) {
            worst = std::isnan(r) ? INFINITY : r;
            where = what;
        }
    };
    for (double T : temperatures) {
        for (double rho = 1e-3; rho <= 1250.0; rho *= 1.13) {
            const double V = kWaterMolarMass / rho;
            const std::string at = std::to_string(T) + " K, " + std::to_string(rho) + " kg/m3";
            place(own, T, V);
            place(graph, T, V);
            own.calculate_state_functions();
            graph.calculate_state_functions();
            EXPECT_EQ(own.error, 0) << at;
            for (int k : kEntries)
                note(own.table[k] - graph.table[k], std::fabs(graph.table[k]) + scaleOf(k, T, V),
                     "entry " + std::to_string(k) + " at " + at);
            note(own.thirdTemperatureDerivative() - graph.thirdTemperatureDerivative(),
                 std::fabs(graph.thirdTemperatureDerivative()) + 1.0 / (T * T * T),
                 "a_TTT at " + at);
            own.calculate_fugacities();
            graph.calculate_fugacities();
            note(own.mu[0] - graph.mu[0], std::fabs(graph.mu[0]) + 1.0, "mu at " + at);
            note(own.dmudT[0] - graph.dmudT[0], std::fabs(graph.dmudT[0]) + 1.0 / T,
                 "dmu/dT at " + at);
            note(own.dmudV[0] - graph.dmudV[0], std::fabs(graph.dmudV[0]) + 1.0 / V,
                 "dmu/dV at " + at);
            note(own.dZdV - graph.dZdV, std::fabs(graph.dZdV) + 1.0 / V, "dZ/dV at " + at);
            note(own.P - graph.P, std::fabs(graph.P) + 8.314 * T / V, "P at " + at);
        }
    }
    return worst;
}

TEST(WagnerPrussKernel, ResidualStateFunctionsAndFugacitiesAreTheGraphs) {
    Wagner own;
    MultiParResidual graph(iapws95::kReducing, iapws95::kResidual);
    std::string where;
    EXPECT_LT(worstOverTheGrid(own, graph, false, where), 1e-11) << where;
    // Within 1 % of the critical temperature the term is its graph.
    EXPECT_EQ(worstOverTheGrid(own, graph, true, where), 0.0) << where;
}

TEST(WagnerPrussKernel, IdealGasStateFunctionsAndFugacitiesAreTheGraphs) {
    Wagnerid own;
    ReducedIdeal graph(iapws95::kReducing, Wagnerid::coefficients());
    std::string where;
    EXPECT_LT(worstOverTheGrid(own, graph, false, where), 1e-14) << where;
    EXPECT_EQ(worstOverTheGrid(own, graph, true, where), 0.0) << where;
}

// phi_delta and phi_deltadelta of terms 1-54 in long double, as the plain sum of the
// table's terms (the non-analytic ones are below 1e-100 at the states it is used for).
long double plainDeltaDerivatives(long double tau, long double delta, long double& d2) {
    using L = long double;
    L d1 = 0;
    d2 = 0;
    auto add = [&](L n, int d, L t, int c, L alpha, L beta, L gamma, L eps) {
        L G = std::pow(delta, d), h1 = d / delta, h2 = -d / (delta * delta);
        if (c > 0) {
            const L dc = std::pow(delta, c);
            G *= std::exp(-dc);
            h1 = (d - c * dc) / delta;
            h2 = (-d - c * (c - 1) * dc) / (delta * delta);
        }
        if (alpha != 0) {
            G *= std::exp(-alpha * (delta - eps) * (delta - eps));
            h1 -= 2 * alpha * (delta - eps);
            h2 -= 2 * alpha;
        }
        L F = n * std::pow(tau, t);
        if (beta != 0) F *= std::exp(-beta * (tau - gamma) * (tau - gamma));
        d1 += F * G * h1;
        d2 += F * G * (h1 * h1 + h2);
    };
    for (const auto& k : iapws95::kPowerTerms) add(k.n, k.d, k.t, 0, 0, 0, 0, 0);
    for (const auto& k : iapws95::kExponentialTerms) add(k.n, k.d, k.t, k.c, 0, 0, 0, 0);
    for (const auto& k : iapws95::kGaussianTerms)
        add(k.n, k.d, k.t, 0, k.alpha, k.beta, k.gamma, k.eps);
    return d1;
}

// In dense liquid the residual's terms cancel to a thousandth of their size, and the last
// digits of a_V and a_VV are rounding, of the graph's sums and of the written-out ones
// alike: against a long-double evaluation neither is the closer everywhere, and the
// written-out ones stay within the graph's worst (over this grid 2.3e-13 against 1.1e-12).
TEST(WagnerPrussKernel, DenseLiquidDerivativesAreWithinTheGraphsRounding) {
    Wagner own;
    MultiParResidual graph(iapws95::kReducing, iapws95::kResidual);
    double worstOwn = 0.0, worstGraph = 0.0;
    for (double T : {275.0, 300.0, 325.0, 350.0, 400.0, 500.0})
        for (double V : {17.5e-6, 18.0e-6, 19.0e-6, 20.0e-6, 22.0e-6}) {
            place(own, T, V);
            place(graph, T, V);
            own.calculate_state_functions();
            graph.calculate_state_functions();
            using L = long double;
            const L tau = static_cast<L>(iapws95::kReducing.Tc) / T,
                    delta = static_cast<L>(iapws95::kReducing.Vc) / V;
            L d2 = 0;
            const L d1 = plainDeltaDerivatives(tau, delta, d2);
            const L dV = -delta / V, dVV = 2 * delta / (static_cast<L>(V) * V);
            const L exact[2] = {d1 * dV, d2 * dV * dV + d1 * dVV};
            const int entries[2] = {Deriv::a_V, Deriv::a_VV};
            for (int e = 0; e < 2; ++e) {
                auto error = [&](const double* table) {
                    return static_cast<double>(
                        std::fabs((table[entries[e]] - exact[e]) / exact[e]));
                };
                worstOwn = std::max(worstOwn, error(own.table));
                worstGraph = std::max(worstGraph, error(graph.table));
            }
        }
    EXPECT_LE(worstOwn, worstGraph);
    EXPECT_LT(worstGraph, 1e-11);
}

// The water model with its two terms replaced by the same tables as generic graph terms,
// which it then evaluates as any other model.
void useGraphTerms(WagnerPruss& model) {
    auto* residual = new MultiParResidual(iapws95::kReducing, iapws95::kResidual);
    auto* idealGas = new ReducedIdeal(iapws95::kReducing, Wagnerid::coefficients());
    residual->number_of_components(1);
    idealGas->number_of_components(1);
    model.setInteraction(0, residual);
    model.setIdealTerm(idealGas);
}

// Whole (T, P) states against those of the graph terms: volumes, state functions and
// fugacities to rounding.
TEST(WagnerPrussKernel, StatesAreThoseOfTheGraphs) {
    WagnerPruss own(2), graph(2);
    useGraphTerms(graph);
    const struct {
        double T, Pbar;
        int phase;
    } states[] = {{300, 1, 2},   {300, 1000, 2},       {450, 0.1, 1},   {500, 50, 2},
                  {600, 200, 2}, {700, 300, 2},        {1000, 1000, 2}, {1270, 10, 1},
                  {280, 500, 2}, {373.124, 1.01325, 2}};
    for (const auto& s : states) {
        own.set_the_phase_as(s.phase);
        graph.set_the_phase_as(s.phase);
        own.calculateFromTP(s.T, s.Pbar, 0);
        graph.calculateFromTP(s.T, s.Pbar, 0);
        ASSERT_EQ(own.error, 0) << s.T << " K " << s.Pbar << " bar";
        ASSERT_EQ(graph.error, 0);
        EXPECT_NEAR(own.V, graph.V, 1e-13 * graph.V) << s.T;
        for (auto [o, g] : {std::pair{own.H, graph.H}, {own.S, graph.S}, {own.G, graph.G}})
            EXPECT_NEAR(o, g, 1e-11 * (std::fabs(g) + 8.314 * s.T)) << s.T;
        for (auto [o, g] : {std::pair{own.Cv, graph.Cv},
                            {own.Cp, graph.Cp},
                            {own.soundSpeed, graph.soundSpeed},
                            {own.mur[0], graph.mur[0]}})
            EXPECT_NEAR(o, g, 1e-10 * std::fabs(g) + 1e-12) << s.T;
    }
}

// The root each phase selector finds is the graph's: the same flag and volume over
// 200-6000 K and 1e-6 to 1e7 bar, and within 3 % of the saturation pressure on both sides
// (where the search must keep to its branch).
TEST(WagnerPrussKernel, EachSelectorFindsTheGraphsRoot) {
    WagnerPruss own(2), graph(2), saturation(2);
    useGraphTerms(graph);
    int compared = 0;
    auto compare = [&](double T, double Pbar) {
        for (int phase : {1, 2}) {
            own.set_the_phase_as(phase);
            graph.set_the_phase_as(phase);
            own.calculateFromTP(T, Pbar, 0);
            graph.calculateFromTP(T, Pbar, 0);
            ASSERT_EQ(own.error, graph.error) << T << " K " << Pbar << " bar, selector " << phase;
            if (own.error == 0) {
                ++compared;
                ASSERT_NEAR(own.V, graph.V, 1e-11 * graph.V) << T << " K " << Pbar << " bar";
            }
        }
    };
    for (double T = 200.0; T <= 6000.0; T *= 1.05)
        for (double Pbar = 1e-6; Pbar <= 1e7; Pbar *= 1.6) compare(T, Pbar);
    for (double T = 275.0; T <= 640.0; T += 5.3) {
        saturation.calculateTheSaturationPressure(T);
        ASSERT_EQ(saturation.error, 0) << T;
        const double Ps = saturation.P * 1e-5;
        for (double f = 0.97; f <= 1.03; f += 0.004) compare(T, f * Ps);
    }
    EXPECT_GT(compared, 5000);
}

}  // namespace water_kernel
}  // namespace vornex
