// One-child nodes: closed forms to fourth order, identities, domain errors, a formula line.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::binary;
using testing::evaluate;
using testing::expectDerivatives;
using testing::Inputs;
using testing::over;
using testing::printed;

double fallingFactorial(double b, int k) {
    double r = 1;
    for (int m = 0; m < k; ++m) r *= b - m;
    return r;
}

class UnaryNodes : public ::testing::Test {
   protected:
    void SetUp() override { Expression::sError = 0; }
    Inputs x{2};
    std::vector<double> at{0.7, 1.3};

    // u = x0^2 x1 + 3 x1 (a child with every derivative order present).
    Expression* child() {
        return binary<Sum2>(binary<Product>(over<Square>(&x[0]), &x[1]), &x[1], 1.0, 3.0, 0.0);
    }
};

TEST_F(UnaryNodes, ExponentialOfLinearFormMatchesClosedFormToFourthOrder) {
    // exp(a x + b y) with a = 0.4, b = -1.1: d^(p+q)/dx^p dy^q = a^p b^q exp(...).
    std::unique_ptr<Expression> e(
        over<Exponential>(binary<Sum2>(&x[0], &x[1], 0.4, -1.1, 0.0), 0, 1, 1));
    evaluate(*e, at, 4);
    const double base = std::exp(0.4 * at[0] - 1.1 * at[1]);
    expectDerivatives(
        *e, 4,
        [&](const std::vector<int>& c) {
            return std::pow(0.4, c[0]) * std::pow(-1.1, c[1]) * base;
        },
        1e-13);
}

TEST_F(UnaryNodes, ProductOfPowersMatchesClosedFormToFourthOrder) {
    // x^a y^b with a = 2.5, b = -1.5.
    Product p;
    p.tiep2(over<Power>(&x[0], 1, 2.5, 0), over<Power>(&x[1], 1, -1.5, 0));
    evaluate(p, at, 4);
    expectDerivatives(
        p, 4,
        [&](const std::vector<int>& c) {
            return fallingFactorial(2.5, c[0]) * std::pow(at[0], 2.5 - c[0]) *
                   fallingFactorial(-1.5, c[1]) * std::pow(at[1], -1.5 - c[1]);
        },
        1e-13);
}

// a/x and a/x^2 over one variable: d^k(a/x)/dx^k = a (-1)^k k!/x^(k+1) and
// d^k(a/x^2)/dx^k = a (-1)^k (k+1)!/x^(k+2), nothing along the other variable.
TEST_F(UnaryNodes, InversePowersMatchTheirClosedFormsToFourthOrder) {
    for (int power : {1, 2}) {
        const double a = 2.5, u = at[0];
        std::unique_ptr<Expression> e(power == 1 ? static_cast<Expression*>(over<Inverse>(&x[0], a))
                                                 : over<Inverse2>(&x[0], a));
        evaluate(*e, at, 4);
        expectDerivatives(
            *e, 4,
            [&](const std::vector<int>& c) {
                if (c[1] > 0) return 0.0;
                const int k = c[0];
                return a * fallingFactorial(-power, k) * std::pow(u, -power - k);
            },
            1e-12);
    }
}

TEST_F(UnaryNodes, InverseOperationsCancelToFourthOrder) {
    // Each graph is a constant: the value given, every derivative zero.
    struct Case {
        const char* name;
        std::function<Expression*(Expression* u)> build;
        double value;
    };
    const Case cases[] = {
        {"ln(exp u) - u",
         [](Expression* u) {
             return binary<Sum2>(over<Logarithm>(over<Exponential>(u, 0, 1, 1)), u, 1.0, -1.0, 0.0);
         },
         0},
        {"(u^2.7)^(1/2.7) - u",
         [](Expression* u) {
             return binary<Sum2>(over<Power>(over<Power>(u, 1, 2.7, 0), 1, 1 / 2.7, 0), u, 1.0,
                                 -1.0, 0.0);
         },
         0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Expression> root(c.build(child()));
        evaluate(*root, at, 4);
        EXPECT_NEAR(root->value(), c.value, 1e-14) << c.name;
        testing::forEachIndexSet(2, 4, [&](int order, const int* idx) {
            EXPECT_NEAR(testing::entry(*root, order, idx), 0.0, 1e-12) << c.name << " " << order;
        });
    }
}

TEST_F(UnaryNodes, ReferenceValues) {
    std::unique_ptr<Cube> c(over<Cube>(&x[1], 2.0));  // 2 u^3 at u = 3: 54, slope 54
    evaluate(*c, {0, 3}, 1);
    EXPECT_DOUBLE_EQ(c->value(), 54);
    EXPECT_DOUBLE_EQ(c->d1(1), 54);
    std::unique_ptr<Powo> p(over<Powo>(&x[0], 1.0, 2.0, 0.0));  // odd: -9, 6, -2, 0 at -3
    evaluate(*p, {-3, 0}, 4);
    EXPECT_DOUBLE_EQ(p->value(), -9);
    EXPECT_DOUBLE_EQ(p->d1(0), 6);
    EXPECT_DOUBLE_EQ(p->d2(0, 0), -2);
    EXPECT_EQ(p->d3(0, 0, 0), 0.0);
}

TEST_F(UnaryNodes, LogarithmAtOneHasTheChildCurvatureMinusTheSlopeSquare) {
    Expression* u = child();
    // u + b = 1 at (0.7, 1.3), so the value is 0 and d2 = u_ij - u_i u_j.
    std::unique_ptr<Logarithm> log(
        over<Logarithm>(over<Sum1>(u, 1.0, 1 - (0.7 * 0.7 * 1.3 + 3 * 1.3))));
    evaluate(*log, at, 2);
    EXPECT_NEAR(log->value(), 0.0, 1e-15);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j <= i; ++j)
            EXPECT_NEAR(log->d2(i, j), u->d2(i, j) - u->d1(i) * u->d1(j), 1e-14);
}

TEST_F(UnaryNodes, LogarithmOutsideItsDomainRaisesTheErrorAndKeepsItsValue) {
    std::unique_ptr<Logarithm> log(over<Logarithm>(&x[0], 1.0, -1.0, 0.0));
    evaluate(*log, {3, 0}, 2);
    EXPECT_EQ(Expression::sError, 0);
    const double before = log->value();  // ln 2
    log->evaluateAt(std::vector<double>{1, 0}.data(), 2);
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(log->value(), before);
    EXPECT_TRUE(log->computed);
}

TEST_F(UnaryNodes, IntegerPowerAtZeroHasExactDerivativesNotNaN) {
    // Regression: 0 * pow(0, -1) made the curvature of u^1 at u = 0 NaN.
    Power p;
    p.tie1(x[0]);
    evaluate(p, {0, 0}, 4);
    EXPECT_EQ(p.d1(0), 1.0);
    EXPECT_EQ(p.d2(0, 0), 0.0);
    EXPECT_EQ(p.d4(0, 0, 0, 0), 0.0);
}

TEST_F(UnaryNodes, PurePowerSlopeAtZeroIsNotZero) {
    // Regression: the one-variable form took 1/u as 1 at u = 0 and lost the slope of u^1.
    std::unique_ptr<Power> p(over<Power>(&x[0], 3.0, 1.0, 0.0));
    testing::sized(*p, 2);
    p->evaluateAt(std::vector<double>{0, 0}.data(), 2, 0);
    EXPECT_EQ(p->d1(0), 3.0);
}

TEST_F(UnaryNodes, NodeWhoseChildIgnoresAVariableLeavesItsEntriesZero) {
    std::unique_ptr<Exponential> e(over<Exponential>(&x[0], 0.0, 2.0, 1.0));
    evaluate(*e, at, 4);
    testing::forEachIndexSet(2, 4, [&](int order, const int* idx) {
        EXPECT_EQ(testing::entry(*e, order, idx) != 0.0, idx[0] == 0) << order;
    });
}

TEST(UnaryFormulas, LineCarriesTheCoefficients) {
    Leaf u;
    u.setName("U");
    u.holdAsMember();
    auto line = [](Expression* n) {
        std::unique_ptr<Expression> node(n);
        node->setName("N");
        return printed([&](FILE* f) { node->printFormula(f); });
    };
    EXPECT_EQ(line(over<Exponential>(&u, 2.0, -3.0, 0.5)), "N = 2 - 3 exp ( 0.5 * U ) \n");
}

}  // namespace
}  // namespace vornex
