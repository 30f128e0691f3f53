#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <utility>

#include "numerics/CallbackProbe.h"
#include "numerics/Quadrature.h"

namespace vornex {
namespace {

using test::CallbackProbe;

class QuadratureRules : public testing::Test {
   protected:
    CallbackProbe probe;

    template <class Rule>
    double integrate(std::function<double(double)> f, double a, double b) {
        probe.f = std::move(f);
        Rule rule;
        rule.equation = &probe;
        rule.function = CallbackProbe::function();
        rule.a = a;
        rule.b = b;
        Integrator& base = rule;  // callers hold the rule through its base
        return base.calculate();
    }
    // Checks the rule on every monomial x^k, k <= degree, over [-1, 2].
    template <class Rule>
    void expectExactUpTo(int degree) {
        for (int k = 0; k <= degree; ++k) {
            double exact = (std::pow(2.0, k + 1) - std::pow(-1.0, k + 1)) / (k + 1);
            double got = integrate<Rule>([k](double x) { return std::pow(x, k); }, -1, 2);
            EXPECT_NEAR(got / exact, 1.0, 1e-9) << "degree " << k;
        }
    }
};

TEST_F(QuadratureRules, GaussRulesAreExactUpToTheirDegree) {
    expectExactUpTo<Gauss10>(19);
    expectExactUpTo<Gauss20>(39);
}

TEST_F(QuadratureRules, KnownIntegrals) {
    EXPECT_NEAR(integrate<Gauss10>([](double x) { return std::sin(x); }, 0, std::numbers::pi), 2,
                1e-9);
    // The trapezoid rule is exact on lines and off by h^2 (b - a) f'' / 12 on x^2.
    EXPECT_NEAR(integrate<Trapezoidal>([](double x) { return 3 * x - 1; }, -2, 4), 12, 1e-12);
    EXPECT_NEAR(integrate<Trapezoidal>([](double x) { return x * x; }, 0, 1), 1.0 / 3 + 1.0 / 15000,
                1e-14);
}

TEST_F(QuadratureRules, RaisedFlagZeroesTheRestAndStaysRaised) {
    probe.fails = [](double, int call) { return call == 3; };
    double got = integrate<Gauss10>([](double x) { return x * x; }, 0, 2);
    // Only the first pair, nodes 1 +- 0.1488743390, counts.
    const double node = 0.1488743390, weight = 0.2955242247;
    EXPECT_NEAR(got, weight * ((1 + node) * (1 + node) + (1 - node) * (1 - node)), 1e-15);
    EXPECT_EQ(probe.equationError, 1);
    EXPECT_EQ(probe.calls.size(), 10u);
}

// dy/dx = g(x, y) for the initial-value integrator; y arrives in f.
struct Ode : Equation {
    explicit Ode(std::function<double(double, double)> slope, int failAfter = 0)
        : g(std::move(slope)), failAt(failAfter) {}
    std::function<double(double, double)> g;
    int calls = 0, failAt = 0;
    void slope(double x, double& f, double& dgdy) {
        ++calls;
        if (failAt && calls >= failAt) equationError = 1;
        f = g(x, f);
        dgdy = 0.0;
    }
    double integrate(double x0, double x1, double y0, double tolerance = 1e-10) {
        EquaDiff ode;
        ode.equation = this;
        ode.function = static_cast<EquationFunctionWithDerivative>(&Ode::slope);
        return ode.integrate(x0, x1, y0, tolerance);
    }
};

TEST(EquaDiffTest, IntegratesInitialValueProblemsWithKnownSolutions) {
    Ode growth([](double, double y) { return y; });
    EXPECT_NEAR(growth.integrate(0, 1, 1), std::numbers::e, 1e-9 * std::numbers::e);
    // Backwards, and with the solution's size far from 1 (relative tolerance).
    EXPECT_NEAR(growth.integrate(0, -3, 2), 2 * std::exp(-3.0), 1e-10);
    EXPECT_NEAR(growth.integrate(0, 20, 1), std::exp(20.0), 1e-8 * std::exp(20.0));
    Ode gauss([](double x, double y) { return -2 * x * y; });
    EXPECT_NEAR(gauss.integrate(0, 2.5, 1), std::exp(-6.25), 1e-10);
    Ode logistic([](double, double y) { return y * (1 - y); });
    EXPECT_NEAR(logistic.integrate(0, 4, 0.1), 0.1 / (0.1 + 0.9 * std::exp(-4.0)), 1e-10);
    // An oscillating right-hand side: y = sin x.
    Ode cosine([](double x, double) { return std::cos(x); });
    EXPECT_NEAR(cosine.integrate(0, 10, 0), std::sin(10.0), 1e-9);
    // The tolerance governs the error: a loose one is cheaper and still within itself.
    Ode loose([](double, double y) { return y; });
    EXPECT_NEAR(loose.integrate(0, 1, 1, 1e-4), std::numbers::e, 1e-3);
    EXPECT_LT(loose.calls, growth.calls);
    EXPECT_EQ(growth.integrate(1, 1, 5), 5);
    EXPECT_EQ(growth.equationError, 0);
}

TEST(EquaDiffTest, AFailedOrDivergingIntegrationGivesNoValue) {
    // y' = y^2, y(0) = 1: y = 1/(1 - x) has no value past x = 1.
    Ode blowUp([](double, double y) { return y * y; });
    EXPECT_NEAR(blowUp.integrate(0, 0.9, 1), 10, 1e-8);
    EXPECT_TRUE(std::isnan(blowUp.integrate(0, 1.5, 1)));
    EXPECT_EQ(blowUp.equationError, 1);
    Ode failing([](double, double y) { return y; }, 7);
    EXPECT_TRUE(std::isnan(failing.integrate(0, 1, 1)));
    EXPECT_EQ(failing.equationError, 1);
    // A slope without a value (the root of a negative x) fails the integration like an error
    // of the callback, though the callback said none.
    Ode root([](double x, double) { return std::sqrt(x); });
    EXPECT_NEAR(root.integrate(1, 4, 0), 14.0 / 3.0, 1e-8);
    EXPECT_TRUE(std::isnan(root.integrate(1, -1, 0)));
    EXPECT_EQ(root.equationError, 1);
    Ode growth([](double, double y) { return y; });
    EXPECT_TRUE(std::isnan(growth.integrate(0, 1, 1, 0)));
    EXPECT_TRUE(std::isnan(growth.integrate(0, 1, 1, -1e-6)));
    EXPECT_TRUE(std::isnan(growth.integrate(0, INFINITY, 1)));
    EXPECT_TRUE(std::isnan(growth.integrate(0, 1, NAN)));
    EXPECT_EQ(growth.calls, 0);
}

}  // namespace
}  // namespace vornex
