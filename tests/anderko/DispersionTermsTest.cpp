// The dispersion terms of the Anderko-Pitzer equations: pure-component limits, the mixing
// rules, graph derivatives against finite differences, the switching functions and the
// refusal of systems that cannot be evaluated.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "anderko/Anderko.h"
#include "anderko/AnderkoDispersion.h"
#include "anderko/H2ODisp.h"
#include "expression/Expression.h"
#include "numerics/TextCapture.h"
#include "support/TermDerivativeCheck.h"

namespace vornex {
namespace {

constexpr double R = 8.31434;
constexpr double bH2O = 2.84959143e-05;

// Evaluates the term at (T, V, x) to fourth order; false when it reports an error.
bool evaluate(Interaction& term, double T, double V, const std::vector<double>& x) {
    term.T = T;
    term.V = V;
    for (size_t i = 0; i < x.size(); ++i) term.x[i] = x[i];
    term.calculate();
    return term.error == 0;
}

// -(1/(RT)) (a/V + acb/(4V^2) + adb2/(16V^3) + aeb3/(64V^4)) of one component.
double pureDispersion(double T, double V, double a, double ac, double ad, double ae, double b) {
    return -(a / V + b * ac / (4 * V * V) + b * b * ad / (16 * V * V * V) +
             b * b * b * ae / (64 * V * V * V * V)) /
           (R * T);
}

AnderkoDispersion* system(char code, int n) {
    auto* term = new AnderkoDispersion;
    EXPECT_TRUE(term->setSystemCode(code));
    term->number_of_components(n);
    return term;
}

class AnderkoDispersionValues : public ::testing::Test {};

// Water's attraction near its reducing temperature, through the pure-water model it serves
// (with the hard-body and dipole terms), against the reference equation's densities: 577.79
// kg/m3 at 400 degC and 500 bar, 528.28 at 500 degC and 1000 bar (IAPWS-95). The model is a
// simpler equation, within 2 % of them (1.3 and 1.7 %); its reduced temperature is 1 at
// 647.067 K.
TEST_F(AnderkoDispersionValues, WaterAtItsReducingTemperatureSumsTheCoefficients) {
    std::unique_ptr<AnderkoDispersion> term(system(10, 2));
    ASSERT_TRUE(evaluate(*term, 647.067, 5e-5, {0.9, 0.1}));
    EXPECT_NEAR(term->node("TrH2O")->value(), 1.0, 1e-14);
    Anderko water(2);
    water.setSystemCode(1);
    for (const auto& [T, P, rho] :
         {std::tuple{673.15, 500.0, 577.79}, std::tuple{773.15, 1000.0, 528.28}}) {
        water.calculateFromTP(T, P, 0);
        ASSERT_EQ(water.error, 0) << T;
        EXPECT_NEAR(water.M / water.V, rho, 0.02 * rho) << T << " K, " << P << " bar";
    }
}

TEST_F(AnderkoDispersionValues, OneComponentTermIsTheClosedForm) {
    const double T = 600.0, V = 4e-5, th = 647.067 / T;
    std::unique_ptr<AnderkoDispersion> water(system(1, 1));
    ASSERT_TRUE(evaluate(*water, T, V, {1.0}));
    const double th2 = th * th, th4 = th2 * th2;
    const double a = 0.182838483 * th + 0.15466527 * th2 + 0.010718969 * th4 + 0.171825354;
    const double c = -8.87482349 * th + 3.17933413 * th2 - 0.16869781 * th4 + 2.95354801;
    const double d = 9.44220297 * th - 3.1440167 * th2 + 0.14953913 * th4 + 2.13933917;
    EXPECT_NEAR(water->root->value(), pureDispersion(T, V, a, a * c, a * d, -9 * a, bH2O),
                1e-12 * std::fabs(water->root->value()));

    // The gases give the products a c, a d, a e directly.
    const double tc = 304.2 / T, tc2 = tc * tc;
    std::unique_ptr<AnderkoDispersion> co2(system(2, 1));
    ASSERT_TRUE(evaluate(*co2, T, V, {1.0}));
    const double aC = -0.236222839 * tc + 0.351977858 * tc2 - 0.101456034 * tc2 * tc2 + 0.386491553;
    EXPECT_NEAR(co2->root->value(),
                pureDispersion(T, V, aC, 0.0518786559 * tc - 0.41850846,
                               0.140232739 * tc + 1.49548462, -3.04732284, 4.952e-05),
                1e-12 * std::fabs(co2->root->value()));
}

// A mixture at x = (1, 0, ...) is its first component: every cross term carries a mole
// fraction of another component.
TEST_F(AnderkoDispersionValues, MixturesReduceToPureWater) {
    const double T = 700.0, V = 6e-5;
    std::unique_ptr<AnderkoDispersion> water(system(1, 1));
    ASSERT_TRUE(evaluate(*water, T, V, {1.0}));
    const double pure = water->root->value();
    for (char code : {10, 11, 12, 13}) {
        std::unique_ptr<AnderkoDispersion> mix(system(code, 2));
        ASSERT_TRUE(evaluate(*mix, T, V, {1.0, 0.0})) << int(code);
        EXPECT_NEAR(mix->root->value(), pure, 1e-13 * std::fabs(pure)) << int(code);
    }
    for (char code : {20, 21}) {
        std::unique_ptr<AnderkoDispersion> mix(system(code, 3));
        ASSERT_TRUE(evaluate(*mix, T, V, {1.0, 0.0, 0.0})) << int(code);
        EXPECT_NEAR(mix->root->value(), pure, 1e-13 * std::fabs(pure)) << int(code);
    }
}

TEST_F(AnderkoDispersionValues, EqualCovolumesGiveEqualMixedCovolumes) {
    AnderkoDispersion term;
    term.preAllocateComponentsNumber(3);
    term.b = {3e-5, 3e-5, 3e-5};
    const int set[5] = {2, 1, 1, 0, 0};
    for (int count = 2; count <= 5; ++count)
        EXPECT_NEAR(term.mixedCovolume(set, count), 3e-5, 1e-18);
    term.b = {1e-5, 8e-5, 2.7e-5};
    const int pair[2] = {1, 0};  // ((1 + 2)/2)^3 in units of 1e-5
    EXPECT_NEAR(term.mixedCovolume(pair, 2), 3.375e-5, 1e-18);
}

// NaCl's c is negative, so a c products change sign: the cube root keeps it, and so does
// the fifth root of the a e products; the fourth root of the a d products is never signed.
TEST_F(AnderkoDispersionValues, OddRootsOfMixedProductsKeepTheirSign) {
    std::unique_ptr<AnderkoDispersion> term(system(10, 2));
    ASSERT_TRUE(evaluate(*term, 700.0, 5e-5, {0.8, 0.2}));
    Expression* ac3 = term->node("ac3 (1,1,0)");
    Expression* acr = term->node("acr (1,1,0)");
    ASSERT_TRUE(ac3 && acr);
    EXPECT_EQ(std::signbit(ac3->value()), std::signbit(acr->value()));
    EXPECT_NEAR(std::pow(std::fabs(acr->value()), 3), std::fabs(ac3->value()),
                1e-12 * std::fabs(ac3->value()));
    Expression* ae5 = term->node("ae5 (1,1,1,0,0)");
    Expression* aer = term->node("aer (1,1,1,0,0)");
    ASSERT_TRUE(ae5 && aer);
    EXPECT_EQ(std::signbit(ae5->value()), std::signbit(aer->value()));
    EXPECT_NEAR(std::pow(std::fabs(aer->value()), 5), std::fabs(ae5->value()),
                1e-12 * std::fabs(ae5->value()));
    EXPECT_GT(term->node("adr (1,0,0,0)")->value(), 0.0);
}

class AnderkoDispersionSwitches : public ::testing::Test {};

// Each piecewise parameter takes, at a boundary, the range above it: its value there is the
// limit from above (1e-6 K higher) and jumps from the limit from below.
TEST_F(AnderkoDispersionSwitches, CarbonDioxideCTakesTheUpperLineFrom773K) {
    std::unique_ptr<AnderkoDispersion> term(system(11, 2));
    auto c = [&](double T) {
        EXPECT_TRUE(evaluate(*term, T, 6e-5, {0.5, 0.5}));
        return term->node("bpc0_H2OCO2")->value();
    };
    const double at = c(773.0);
    EXPECT_NEAR(at, c(773.0 + 1e-6), 1e-9);
    EXPECT_GT(std::fabs(at - c(773.0 - 1e-6)), 1e-3);
    // Each side is a line: equal steps give equal changes.
    EXPECT_NEAR(c(760.0) - c(750.0), c(770.0) - c(760.0), 1e-12);
    EXPECT_NEAR(c(790.0) - c(780.0), c(800.0) - c(790.0), 1e-12);
}

TEST_F(AnderkoDispersionSwitches, WaterMethaneFactorTakesTheHigherRangeAtEachBoundary) {
    std::unique_ptr<AnderkoDispersion> term(system(12, 2));
    auto k = [&](double T) {
        EXPECT_TRUE(evaluate(*term, T, 6e-5, {0.5, 0.5}));
        return term->node("bpa0")->value();
    };
    for (double boundary : {623.15, 712.0}) {
        const double at = k(boundary);
        EXPECT_NEAR(at, k(boundary + 1e-6), 1e-9) << boundary;
        EXPECT_GT(std::fabs(at - k(boundary - 1e-6)), 1e-3) << boundary;
    }
    // Above the last boundary the factor is 1: water and methane mix as the rule says.
    for (double T : {712.0, 800.0, 1200.0}) EXPECT_EQ(k(T), 1.0);
}

// The steep water-salt factors (an eighth power inside an exponential, a 0.79 power near
// its branch point) leave central differences in T a few 1e-6 off at the checked states.
constexpr double kDifferenceTolerance = 1e-5;

TEST(AnderkoDispersionDerivatives, EverySystemAndTheWaterTermToFourthOrder) {
    const struct {
        char code;
        std::vector<double> state;
    } cases[] = {{10, {700.0, 5e-5, 0.85, 0.15}},
                 {11, {650.0, 8e-5, 0.7, 0.3}},
                 {21, {680.0, 6e-5, 0.8, 0.1, 0.1}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        std::unique_ptr<AnderkoDispersion> term(system(c.code, int(c.state.size()) - 2));
        testing_support::expectDerivativesMatchDifferences(*term, c.state, kDifferenceTolerance);
    }
    H2ODisp water;
    water.set_covolume(bH2O);
    water.number_of_components(1);
    testing_support::expectDerivativesMatchDifferences(water, {620.0, 4e-5, 1.0},
                                                       kDifferenceTolerance);
}

class AnderkoDispersionBadInput : public ::testing::Test {};

TEST_F(AnderkoDispersionBadInput, UnknownCodeKeepsTheInstalledSystemAndNoSystemIsAnError) {
    std::unique_ptr<AnderkoDispersion> term(system(1, 1));
    for (int code : {0, 6, 16, 19, 32, 99, -3}) EXPECT_FALSE(term->setSystemCode(char(code)));
    EXPECT_TRUE(evaluate(*term, 600.0, 5e-5, {1.0}));
    AnderkoDispersion none;
    none.number_of_components(1);
    EXPECT_FALSE(evaluate(none, 600.0, 5e-5, {1.0}));
}

// H2O-NaCl-KCl has no published ternary parameters, and a graph prepared for two components
// cannot take three: both are refused with a message, and the term reports an error instead
// of reading an empty slot.
TEST_F(AnderkoDispersionBadInput, GraphsWithoutParametersAreRefused) {
    for (auto [code, mention] :
         {std::pair{31, "missing c cross parameter"}, std::pair{10, "prepared for 2"}}) {
        AnderkoDispersion term;
        ASSERT_TRUE(term.setSystemCode(char(code)));
        EXPECT_NE(test::stderrOf([&] { term.number_of_components(3); }).find(mention),
                  std::string::npos);
        EXPECT_FALSE(evaluate(term, 700.0, 5e-5, {0.8, 0.1, 0.1}));
    }
}

// Below 573.1 K the water-salt factor is a fractional power of a negative number.
TEST_F(AnderkoDispersionBadInput, SaltBelowItsFittedRangeIsAnErrorNotANumber) {
    std::unique_ptr<AnderkoDispersion> term(system(10, 2));
    EXPECT_FALSE(evaluate(*term, 500.0, 5e-5, {0.9, 0.1}));
    std::unique_ptr<AnderkoDispersion> salt(system(4, 1));
    EXPECT_FALSE(evaluate(*salt, 530.0, 1e-4, {1.0}));
    EXPECT_TRUE(evaluate(*salt, 1100.0, 1e-4, {1.0}));
    EXPECT_TRUE(std::isfinite(salt->root->value()));
}

// A system installed over another releases the former graph whole (checked by the
// sanitiser build) and evaluates as if fresh.
TEST_F(AnderkoDispersionBadInput, SwitchingSystemsRebuildsTheGraph) {
    std::unique_ptr<AnderkoDispersion> fresh(system(12, 2));
    ASSERT_TRUE(evaluate(*fresh, 650.0, 5e-5, {0.6, 0.4}));
    std::unique_ptr<AnderkoDispersion> term(system(21, 3));
    for (char code : {10, 1, 12}) {
        ASSERT_TRUE(term->setSystemCode(code));
        term->number_of_components(code == 1 ? 1 : 2);
    }
    ASSERT_TRUE(evaluate(*term, 650.0, 5e-5, {0.6, 0.4}));
    EXPECT_EQ(term->root->value(), fresh->root->value());
}

class WaterDispersionTerm : public ::testing::Test {};

TEST_F(WaterDispersionTerm, EqualsTheMixtureTermOfPureWater) {
    H2ODisp water;
    water.set_covolume(bH2O);
    water.set_covolume(0.0);  // zero is not passed on: the former scalars stay
    water.number_of_components(1);
    std::unique_ptr<AnderkoDispersion> mixture(system(1, 1));
    for (double T : {450.0, 647.067, 900.0})
        for (double V : {2e-5, 6e-5, 1e-3}) {
            ASSERT_TRUE(evaluate(water, T, V, {1.0}));
            ASSERT_TRUE(evaluate(*mixture, T, V, {1.0}));
            EXPECT_NEAR(water.root->value(), mixture->root->value(),
                        1e-12 * std::fabs(mixture->root->value()));
            EXPECT_NEAR(water.root->d1(1), mixture->root->d1(1),
                        1e-12 * std::fabs(mixture->root->d1(1)));
        }
}

TEST_F(WaterDispersionTerm, MoreThanOneComponentIsRefusedWithoutEndingTheProcess) {
    H2ODisp water;
    EXPECT_NE(test::stderrOf([&] { water.number_of_components(2); }).find("one component"),
              std::string::npos);
    EXPECT_FALSE(evaluate(water, 600.0, 5e-5, {}));
}

}  // namespace
}  // namespace vornex
