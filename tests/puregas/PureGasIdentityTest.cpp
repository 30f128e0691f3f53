// The pure-gas models in the identity suite of every equation of state, and the terms no
// fluid evaluates in their own modes: the 28-term nitrogen residual and the zero-density
// terms of the IUPAC models in the fugacity mode.
#include <cmath>
#include <memory>

#include "expression/SeparableSum.h"
#include "expression/Sum.h"
#include "puregas/AnderkoCO2.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"
#include "support/EosIdentitySuite.h"
#include "support/FormulaText.h"

namespace vornex {
namespace {

using testing_support::Convention;
using testing_support::EosModel;
using testing_support::expectDerivativesMatchDifferences;

template <class Model>
EosModel gas(const char* name, std::vector<std::array<double, 2>> states, double saturationT,
             Convention convention = Convention::Whole) {
    return EosModel{name, [] { return std::make_unique<Model>(1); }, std::move(states),
                    saturationT}
        .as(convention);
}

// Gas, dense fluid and liquid states of each model (T in K, V in m3/mol).
VORNEX_EOS_IDENTITY_SUITE(
    PureGas, gas<Jacobsen>("Jacobsen", {{300, 2.5e-4}, {100, 3.6e-5}, {150, 1e-3}}, 100.0),
    // The IUPAC models' ideal-term slot holds their zero-density correction, no ideal gas.
    gas<IUPACCH4>("IUPACCH4", {{300, 2.1e-4}, {150, 4.3e-5}, {250, 5e-5}}, 150.0,
                  Convention::ResidualOnly),
    gas<DuanCH4>("DuanCH4", {{300, 2.1e-4}, {250, 5e-5}, {500, 1e-3}}, 0.0),
    gas<IUPACCO2>("IUPACCO2", {{350, 1.9e-4}, {300, 5.5e-5}, {673.15, 7.6e-5}}, 273.15,
                  Convention::ResidualOnly),
    gas<Sterner>("Sterner", {{350, 1.9e-4}, {300, 5.5e-5}, {673.15, 7.6e-5}}, 273.15),
    gas<DuanCO2>("DuanCO2", {{350, 1.9e-4}, {300, 5.5e-5}, {673.15, 7.6e-5}}, 273.15),
    gas<AnderkoCO2>("AnderkoCO2", {{350, 1.9e-4}, {473.15, 1e-4}, {673.15, 7.6e-5}}, 273.15));

template <class Term>
std::unique_ptr<Term> sized() {
    auto term = std::make_unique<Term>();
    term->number_of_components(1);
    return term;
}

// a of the term at (T, V) in the fugacity mode or not.
double helmholtz(Interaction& term, double TK, double Vm3, int fugacityMode) {
    term.T = TK;
    term.V = Vm3;
    term.fugacityFlag = fugacityMode;
    term.calculate();
    return term.table[Deriv::a];
}

TEST(PureGasTerms, TermsOutsideTheFluidsMatchDifferencesToFourthOrder) {
    auto old = sized<JacobsenRes>();
    expectDerivativesMatchDifferences(*old, {110.0, 4e-5, 1.0}, 2e-6, 1e-5);
    expectDerivativesMatchDifferences(*old, {300.0, 2.5e-4, 1.0});
    // The zero-density terms do nothing but in the fugacity mode.
    auto methane = sized<IUPAC1ID>();
    methane->fugacityFlag = 1;
    expectDerivativesMatchDifferences(*methane, {150.0, 4e-5, 1.0});
    auto co2 = sized<IUPACCO2ID>();
    co2->fugacityFlag = 1;
    expectDerivativesMatchDifferences(*co2, {300.0, 5e-5, 1.0});
}

TEST(PureGasTerms, ZeroDensityTermsAddNothingOutsideTheFugacityMode) {
    auto methane = sized<IUPAC1ID>();
    auto co2 = sized<IUPACCO2ID>();
    for (Interaction* term : std::initializer_list<Interaction*>{methane.get(), co2.get()}) {
        EXPECT_EQ(helmholtz(*term, 250.0, 1e-4, 0), 0.0);
        for (double entry : term->table) EXPECT_EQ(entry, 0.0);
    }
}

TEST(PureGasTerms, InTheFugacityModeTheIUPACModelsAreMinusLnVAtZeroDensity) {
    auto ch4 = sized<IUPAC1>();
    auto ch4Limit = sized<IUPAC1ID>();
    auto co2 = sized<IUPAC>();
    auto co2Limit = sized<IUPACCO2ID>();
    for (double T : {150.0, 300.0, 1000.0}) {
        const double V = 1e3;
        EXPECT_NEAR(helmholtz(*ch4, T, V, 1) + helmholtz(*ch4Limit, T, V, 1), -std::log(V), 1e-6);
        EXPECT_NEAR(helmholtz(*co2, T, V, 1) + helmholtz(*co2Limit, T, V, 1), -std::log(V), 1e-6);
    }
    // At the reducing state every polynomial term of the carbon-dioxide residual vanishes.
    EXPECT_NEAR(helmholtz(*co2, 304.2, 1.0 / 10630.0, 0), std::log(10630.0), 1e-12);
}

// The zero-density values e_j = sum_i (-1)^(i+1) b_ij/(i + 1) of the carbon-dioxide residual
// (Angus et al. 1976), worked from the published b_ij; the term in the fugacity mode is
// -sum_j e_j (Tc/T - 1)^j.
TEST(PureGasTerms, CarbonDioxideZeroDensityValues) {
    const double published[7] = {0.9843435175390475, 2.376171905648889, 1.5856701819301589,
                                 3.0762428269047617, 4.481669451666668, 2.465416821666667,
                                 0.149156928};
    for (int j = 0; j < 7; ++j)
        EXPECT_NEAR(IUPACCO2ID::zeroDensityCoefficient(j), published[j], 1e-14 * published[j])
            << "e" << j;
    EXPECT_EQ(IUPACCO2ID::zeroDensityCoefficient(-1), 0.0);
    EXPECT_EQ(IUPACCO2ID::zeroDensityCoefficient(7), 0.0);
    auto limit = sized<IUPACCO2ID>();
    for (double T : {220.0, 304.2, 500.0}) {
        const double y = 304.2 / T - 1.0;
        double expected = 0.0;
        for (int j = 6; j >= 0; --j) expected = expected * y - published[j];
        EXPECT_NEAR(helmholtz(*limit, T, 1e-4, 1), expected, 1e-12) << T;
    }
}

// The 28-term residual is kept for its second virial coefficient, B = lim V Z_r.
TEST(PureGasTerms, OlderNitrogenResidualGivesTheSecondVirialCoefficient) {
    auto old = sized<JacobsenRes>();
    auto reference = sized<JacobsenRes1>();
    auto virial = [](Interaction& term, double TK) {
        term.T = TK;
        term.V = 10.0;
        term.calculate_state_functions();
        return term.Z * term.V;
    };
    for (double T = 100.0; T <= 500.0; T += 50.0)
        EXPECT_NEAR(virial(*old, T), virial(*reference, T), 1.5e-6) << T << " K";
    // All 28 terms are in the graph, the separable ones evaluated together in one node.
    size_t terms = 0;
    for (Expression* t : static_cast<Sum*>(old->root)->terms) {
        auto* fused = dynamic_cast<SeparableSum*>(t);
        terms += fused != nullptr ? static_cast<size_t>(fused->numberOfTermsAdded()) : 1u;
    }
    EXPECT_EQ(terms, 28u);
    EXPECT_NEAR(helmholtz(*old, 300.0, 1e6, 0), 0.0, 1e-9);
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// The fused terms print under the labels of their publication: "dt" k for a polynomial
// term, "de" k for an exponential one, k as numbered in the tables (28 of the 100-term
// general form for the older equation, 1-36 for Span et al.).
TEST(PureGasTerms, FusedTermsPrintUnderThePublishedLabels) {
    auto old = sized<JacobsenRes>();
    const std::string oldText = test::formulaText(*old->root);
    for (const char* line : {"dt1 = 0.9499541827 delta^1 tau^0.25\n",
                             "dt37 = 0.001659823569 delta^6 tau^2\n",
                             "de42 = -0.04927710927 delta^1 tau^3 exp(-delta^3)\n",
                             "de91 = -0.0105447491 delta^4 tau^18 exp(-delta^4)\n"})
        EXPECT_NE(oldText.find(line), std::string::npos) << line << oldText;
    auto span = sized<JacobsenRes1>();
    const std::string spanText = test::formulaText(*span->root);
    for (const char* line :
         {"dt1 = 0.924803575275 delta^1 tau^0.25\n", "de7 = 0.564857472498 delta^1 tau^0.5 exp(-delta^1)\n",
          "de36 = 2627.67566274 delta^2 tau^3 exp(-25 (delta - 1)^2 - 275 (tau - 1.25)^2)\n"})
        EXPECT_NE(spanText.find(line), std::string::npos) << line << spanText;
}

}  // namespace
}  // namespace vornex
