// The molecular Helmholtz terms of the Anderko-Pitzer equations: the Boublik hard-body
// term (Carnahan-Starling limit, covolume-diameter round trip, packing beyond close
// packing), the dipole term (closed form of one polar fluid, no contribution without
// moments) and the single-fluid dispersion frame; each term's derivatives to fourth order
// against central differences.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "anderko/Boublik.h"
#include "anderko/BoublikEOS.h"
#include "anderko/Dipole.h"
#include "anderko/Dispersion1.h"
#include "expression/Function.h"
#include "numerics/TextCapture.h"
#include "support/PrintedChecks.h"
#include "support/TermDerivativeCheck.h"

namespace vornex {
namespace {

using testing_support::expectDerivativesMatchDifferences;

constexpr double kWaterCovolume = 2.84959143e-05;

class BoublikTest : public ::testing::Test {
   protected:
    // a of the term at (T, V) for the current composition.
    double valueAt(double TK, double Vm3) {
        term.T = TK;
        term.V = Vm3;
        term.calculate();
        return term.root->value();
    }
    Boublik term;
};

TEST_F(BoublikTest, OneComponentIsCarnahanStarling) {
    term.number_of_components(1);
    term.set_parameters(kWaterCovolume);
    for (double V : {1e-3, 1e-4, 3e-5, 1.5e-5}) {
        const double eta = kWaterCovolume / (4 * V);
        const double cs = -std::log(V) + (4 * eta - 3 * eta * eta) / ((1 - eta) * (1 - eta));
        EXPECT_NEAR(valueAt(500.0, V), cs, 1e-12 * std::fabs(cs)) << V;
        EXPECT_EQ(term.error, 0);
        // The nodes a console plot asks for by name: "A" is the term itself.
        EXPECT_EQ(term.node("A"), term.root);
        EXPECT_DOUBLE_EQ(term.node("mlogV")->value(), -std::log(V));
    }
    EXPECT_EQ(term.node("B"), nullptr);
    EXPECT_EQ(term.node(nullptr), nullptr);
}

TEST_F(BoublikTest, CovolumeAndDiameterRoundTrip) {
    term.number_of_components(2);
    term.set_parameters(kWaterCovolume, 4.5e-5);
    const double sigma0 = term.diameters[0];
    EXPECT_NEAR(sigma0, 2.8e-10, 0.1e-10);  // the size of a water molecule
    term.set_hard_sphere_diameter(0, sigma0);
    EXPECT_NEAR(term.covolumes[0], kWaterCovolume, 1e-15 * kWaterCovolume * 1e3);
    term.set_hard_sphere_diameters(2.33e-10, 4.2e-10);
    const double b1 = term.covolumes[1];
    term.set_parameters(term.covolumes[0], b1);
    EXPECT_NEAR(term.diameters[1], 4.2e-10, 1e-24);
    // b = (2 pi / 3) N_A sigma^3
    EXPECT_NEAR(b1, 2 * M_PI / 3 * 6.02213674e23 * std::pow(4.2e-10, 3), 1e-12 * b1);
}

TEST_F(BoublikTest, BinaryDerivativesMatchDifferences) {
    term.number_of_components(2);
    term.set_hard_sphere_diameters(2.33e-10, 4.2e-10);
    expectDerivativesMatchDifferences(term, {300.0, 2e-5, 0.8, 0.2});
    expectDerivativesMatchDifferences(term, {300.0, 2e-4, 0.3, 0.7});
}

// The console self-check: a binary of 2.33 and 4.2 Angstrom spheres at 300 K and 20 cm3/mol,
// its value that of the Boublik-Mansoori-Carnahan-Starling mixture (plus -ln V, as above)
// and every derivative beside its difference.
TEST_F(BoublikTest, ConsoleSelfCheckIsTheMansooriMixtureWithMatchingDerivatives) {
    const std::string text = test::stdoutOf([&] { term.test(); });
    EXPECT_EQ(test::expectDerivativePairsAgree(text), 14);  // T, V, x0, x1
    const double NA = 6.02213674e23, V = 2e-5, x[] = {0.8, 0.2}, sigma[] = {2.33e-10, 4.2e-10};
    double zeta[4] = {};
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 2; ++i) zeta[k] += M_PI / 6 * NA / V * x[i] * std::pow(sigma[i], k);
    const double z0 = zeta[0], z1 = zeta[1], z2 = zeta[2], z3 = zeta[3];
    const double bmcsl = ((z2 * z2 * z2 / (z3 * z3) - z0) * std::log(1 - z3) +
                          3 * z1 * z2 / (1 - z3) + z2 * z2 * z2 / (z3 * (1 - z3) * (1 - z3))) /
                         z0;
    EXPECT_NEAR(test::printedValue(text), -std::log(V) + bmcsl, 5e-5);  // six digits
    EXPECT_EQ(term.nc, 2);
    EXPECT_EQ(term.T, 300.0);
}

// At eta = 1 the term is infinite; the evaluation must not pass for a valid one.
TEST_F(BoublikTest, PackingOfExactlyOneOrZeroDiametersAreAnError) {
    term.number_of_components(1);
    term.set_parameters(0.5);  // b and V exact in binary: eta is exactly 1
    valueAt(500.0, 0.13);
    EXPECT_EQ(term.error, 0);
    valueAt(500.0, 0.125);
    EXPECT_EQ(term.error, 1);
    valueAt(500.0, 0.11);
    EXPECT_EQ(term.error, 1);
    term.number_of_components(2);  // zero diameters
    valueAt(500.0, 1e-4);
    EXPECT_EQ(term.error, 1);
}

// The hard-sphere fluid: its pressure is Carnahan-Starling's, above the ideal gas.
TEST(BoublikEOSTest, PressureIsCarnahanStarling) {
    BoublikEOS fluid(1);
    fluid.number_of_components(1);
    fluid.set_hard_sphere_diameter(0, Boublik::diameterOfCovolume(kWaterCovolume));
    const double T = 500.0, V = 5e-5;
    fluid.temperature(T);
    fluid.volume(V);
    const double P = fluid.calculate_pressure();
    const double eta = kWaterCovolume / (4 * V);
    const double Z = (1 + eta + eta * eta - eta * eta * eta) / std::pow(1 - eta, 3);
    EXPECT_NEAR(P, Z * 8.31434 * T / V, 1e-9 * P);
}

// Regression: the ideal term of the hard-sphere fluid lacked the temperature part of
// ln(rho R T/p0) beside the repulsion's -ln V: ln phi tended to -ln(R T/p0), about 3.4 at
// 500 K, and Cv0 was the ideal gas's Cp0.
TEST(BoublikEOSTest, DiluteFluidIsTheIdealGas) {
    BoublikEOS fluid(1);
    fluid.number_of_components(1);
    fluid.set_hard_sphere_diameter(0, Boublik::diameterOfCovolume(kWaterCovolume));
    fluid.temperature(500.0);
    fluid.volume(1e3);
    fluid.calculate_fugacities();
    EXPECT_NEAR(fluid.lnPhi[0], 0.0, 1e-6);
    fluid.calculate_state_functions();
    EXPECT_NEAR(fluid.Cp - fluid.Cv, 8.31434, 1e-4);
    EXPECT_NEAR(fluid.Cv, 35.228 - 8.31434, 0.01);
}

// Regression: the hard-sphere fluid had no molar mass, so every state, pure or mixed, was
// flagged for want of a sound speed. Its ideal gas is water's, and so is its molar mass,
// also for every component of a count set after the first.
TEST(BoublikEOSTest, StatesHaveWatersMolarMassAndASoundSpeed) {
    BoublikEOS fluid(1);
    const std::vector<std::vector<double>> diameters = {{3e-10}, {2.8e-10, 3.6e-10, 3e-10}};
    for (const auto& sigma : diameters) {
        const int n = static_cast<int>(sigma.size());
        SCOPED_TRACE(n);
        fluid.number_of_components(n);
        for (int i = 0; i < n; ++i) fluid.set_hard_sphere_diameter(i, sigma[static_cast<size_t>(i)]);
        if (n == 3) fluid.composition(0.2, 0.5, 0.3);
        for (double m : fluid.molarMass) EXPECT_EQ(m, 0.018015268);
        fluid.calculateFromTP(773.15, 1000.0, 0);
        ASSERT_EQ(fluid.error, 0);
        EXPECT_DOUBLE_EQ(fluid.M, 0.018015268);
        EXPECT_DOUBLE_EQ(fluid.rho, fluid.M / fluid.V);
        // Hard spheres are stiffer than the ideal gas at the same temperature.
        EXPECT_TRUE(std::isfinite(fluid.soundSpeed));
        EXPECT_GT(fluid.soundSpeed, std::sqrt(fluid.Cp / fluid.Cv * 8.31434 * 773.15 / fluid.M));
    }
}

class DipoleTest : public ::testing::Test {
   protected:
    Dipole term;
};

TEST_F(DipoleTest, OnePolarFluidHasThePadeForm) {
    term.number_of_components(1);
    const double b = kWaterCovolume, mu = 1.85;
    term.set_parameters(b, mu);
    const double y = std::pow(95.59 * mu, 2) / (1e6 * b);
    EXPECT_NEAR(term.energies[0], y, 1e-12 * y);
    const double c2 = -4.0 / 3.0 * b * y * y, c3 = 10.0 / 9.0 * b * b * y * y * y;
    EXPECT_NEAR(term.c2[0], c2, 1e-12 * std::fabs(c2));
    EXPECT_NEAR(term.c3[0], c3, 1e-12 * c3);
    const double T = 600.0, V = 5e-5;
    term.T = T;
    term.V = V;
    term.calculate();
    const double eta = b / (4 * V);
    const double I1 = 1 + 0.351469 * eta - 1.83943 * eta * eta + 5.95676 * std::pow(eta, 3);
    const double I2 = 1 + 1.6054 * eta - 4.4521 * eta * eta + 10.0368 * std::pow(eta, 3);
    const double A2 = c2 / (T * T) / (4 * V) * I2;
    const double A3 = c3 / std::pow(T, 3) / std::pow(4 * V, 2) * I1 * I2;
    EXPECT_NEAR(term.root->value(), A2 * A2 / (A2 - A3), 1e-12);
    EXPECT_LT(term.root->value(), 0.0);  // polar attraction
    // The nodes a console plot asks for by name: "A" is the term itself.
    EXPECT_EQ(term.node("A"), term.root);
    EXPECT_NEAR(term.node("A2")->value(), A2, 1e-12 * std::fabs(A2));
    EXPECT_EQ(term.node("A4"), nullptr);
    EXPECT_EQ(term.node(nullptr), nullptr);
}

TEST_F(DipoleTest, NoMomentsNoContribution) {
    term.number_of_components(2);
    term.set_parameters(kWaterCovolume, 4e-5, 0.0, 0.0);
    term.composition(0.4, 0.6);
    term.T = 500.0;
    term.V = 1e-4;
    term.calculate();
    EXPECT_EQ(term.error, 0);
    EXPECT_EQ(term.root->value(), 0.0);
    EXPECT_EQ(term.root->d1(0), 0.0);
    EXPECT_EQ(term.root->d1(1), 0.0);
    EXPECT_EQ(*term.root->dvp(1, 1, 1, 1), 0.0);
}

// The packed pair and triple tables of the mixing rules: a ternary does not depend on the
// order its components are given in (the value and each derivative follow the permutation),
// and three copies of one fluid are that fluid.
TEST_F(DipoleTest, MixingRulesInPackedOrder) {
    const double b[3] = {2.8e-5, 4e-5, 6e-5}, mu[3] = {1.85, 0.5, 1.0}, x[3] = {0.2, 0.3, 0.5};
    const double T = 600.0, V = 7e-5;
    auto evaluate = [&](Dipole& d, const std::array<int, 3>& order) {
        d.number_of_components(3);
        d.set_parameters(b[order[0]], b[order[1]], b[order[2]], mu[order[0]], mu[order[1]],
                         mu[order[2]]);
        d.composition(x[order[0]], x[order[1]], x[order[2]]);
        d.T = T;
        d.V = V;
        d.calculate();
        EXPECT_EQ(d.error, 0);
    };
    evaluate(term, {0, 1, 2});
    const Expression& a = *term.root;
    EXPECT_LT(a.value(), 0.0);
    for (const std::array<int, 3>& o :
         {std::array{2, 0, 1}, std::array{1, 2, 0}, std::array{2, 1, 0}}) {
        Dipole other;
        evaluate(other, o);
        const Expression& p = *other.root;
        EXPECT_NEAR(p.value(), a.value(), 1e-12 * std::fabs(a.value()));
        EXPECT_NEAR(p.d1(0), a.d1(0), 1e-10 * std::fabs(a.d1(0)));
        EXPECT_NEAR(p.d1(1), a.d1(1), 1e-10 * std::fabs(a.d1(1)));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(p.d1(2 + i), a.d1(2 + o[i]), 1e-10 * std::fabs(a.d1(2 + o[i])));
    }
    Dipole pure, copies;
    pure.number_of_components(1);
    pure.set_parameters(b[0], mu[0]);
    pure.composition(1.0);
    copies.number_of_components(3);
    copies.set_parameters(b[0], b[0], b[0], mu[0], mu[0], mu[0]);
    copies.composition(0.2, 0.3, 0.5);
    for (Dipole* d : {&pure, &copies}) {
        d->T = T;
        d->V = V;
        d->calculate();
    }
    EXPECT_NEAR(copies.root->value(), pure.root->value(), 1e-12 * std::fabs(pure.root->value()));
}

TEST_F(DipoleTest, BinaryDerivativesMatchDifferences) {
    term.number_of_components(2);
    term.set_parameters(kWaterCovolume, 4.5e-5, 1.85, 0.6);
    expectDerivativesMatchDifferences(term, {650.0, 6e-5, 0.7, 0.3});
    expectDerivativesMatchDifferences(term, {450.0, 2.2e-5, 0.9, 0.1});
}

// A dispersion term of constant coefficients on the frame: a = -(1/RT) sum c_k d_k.
class ConstantDispersion : public Dispersion1 {
   public:
    explicit ConstantDispersion(const double (&c)[4]) {
        for (int k = 0; k < 4; ++k) {
            auto& node = nodes_.make<KVar>("c" + std::to_string(k + 1));
            node.set_scalars1(c[k]);
            coefficient[k] = &node;
        }
        finish_parse_graph();
    }
    void number_of_components(int count) override {
        Interaction::number_of_components(count);
        root->number_of_variables(3);
        T_->variableIndex = 0;
        V_->variableIndex = 1;
    }
};

// The products of the frame are older than the coefficient nodes tied under them; destroying
// the term must not let them touch a released child (the sanitizer build sees it).
TEST(Dispersion1Test, PowersOfTheDensityAndReleaseOfTheCoefficients) {
    const double c[4] = {0.6, -0.02, 3e-4, 1e-6};
    auto owned = std::make_unique<ConstantDispersion>(c);
    ConstantDispersion& term = *owned;
    term.number_of_components(1);
    const double T = 550.0, V = 3e-5, d = 1 / V;
    term.T = T;
    term.V = V;
    term.calculate();
    const double a =
        -(c[0] * d + c[1] * d * d / 4 + c[2] * std::pow(d, 3) / 16 + c[3] * std::pow(d, 4) / 64) /
        (8.31434 * T);
    EXPECT_NEAR(term.root->value(), a, 1e-12 * std::fabs(a));
    expectDerivativesMatchDifferences(term, {T, V, 1.0});
    owned.reset();
}

}  // namespace
}  // namespace vornex
