// One-child nodes: closed forms to fourth order, identities, domain errors, formula lines.
#include <gtest/gtest.h>

#include <cmath>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::evaluate;
using testing::expectDerivatives;
using testing::Inputs;
using testing::printed;

double fallingFactorial(double b, int k) {
    double r = 1;
    for (int m = 0; m < k; ++m) r *= b - m;
    return r;
}

class UnaryNodes : public ::testing::Test {
   protected:
    Inputs x{2};
    std::vector<double> at{0.7, 1.3};
};

TEST_F(UnaryNodes, ExponentialOfLinearFormMatchesClosedFormToFourthOrder) {
    // exp(a x + b y) with a = 0.4, b = -1.1: d^(p+q)/dx^p dy^q = a^p b^q exp(...).
    auto* lin = new Sum2;
    lin->set_scalars3(0.4, -1.1, 0.0);
    lin->tie2(x[0], x[1]);
    Exponential e;
    e.set_scalars3(0, 1, 1);
    e.tiep1(lin);
    evaluate(e, at, 4);
    const double base = std::exp(0.4 * at[0] - 1.1 * at[1]);
    expectDerivatives(
        e, 4,
        [&](const std::vector<int>& c) {
            return std::pow(0.4, c[0]) * std::pow(-1.1, c[1]) * base;
        },
        1e-13);
}

TEST_F(UnaryNodes, ProductOfPowersMatchesClosedFormToFourthOrder) {
    // x^a y^b with a = 2.5, b = -1.5.
    auto* px = new Power;
    px->set_scalars3(1, 2.5, 0);
    px->tie1(x[0]);
    auto* py = new Power;
    py->set_scalars3(1, -1.5, 0);
    py->tie1(x[1]);
    Product p;
    p.tiep2(px, py);
    evaluate(p, at, 4);
    expectDerivatives(
        p, 4,
        [&](const std::vector<int>& c) {
            return fallingFactorial(2.5, c[0]) * std::pow(at[0], 2.5 - c[0]) *
                   fallingFactorial(-1.5, c[1]) * std::pow(at[1], -1.5 - c[1]);
        },
        1e-13);
}

// u = x0^2 x1 + 3 x1 (a non-trivial child with every derivative order present).
Expression* makeChild(Inputs& x) {
    auto* sq = new Square;
    sq->tie1(x[0]);
    auto* prod = new Product;
    prod->tiep2(sq, &x[1]);
    auto* u = new Sum2;
    u->set_scalars3(1, 3, 0);
    u->tiep2(prod, &x[1]);
    return u;
}

void expectIdentity(Expression& root, int n, double value) {
    EXPECT_NEAR(root.value(), value, 1e-14 * std::fabs(value));
    testing::forEachIndexSet(n, 4, [&](int order, const int* idx) {
        EXPECT_NEAR(testing::entry(root, order, idx), 0.0, 1e-12) << "order " << order;
    });
}

TEST_F(UnaryNodes, LogarithmOfExponentialIsTheArgument) {
    Expression* u = makeChild(x);
    auto* e = new Exponential;
    e->set_scalars3(0, 1, 1);
    e->tiep1(u);
    Logarithm log;
    log.tiep1(e);
    // log(exp u) - u must vanish with every derivative.
    Sum2 diff;
    diff.set_scalars3(1, -1, 0);
    diff.tiep2(&log, u);
    log.holdAsMember();
    evaluate(diff, at, 4);
    expectIdentity(diff, 2, 0.0 + 0.0);
    EXPECT_NEAR(log.value(), u->value(), 1e-14);
}

TEST_F(UnaryNodes, ProductWithInverseIsOne) {
    Expression* u = makeChild(x);
    auto* inv = new Inverse;
    inv->tiep1(u);
    Product one;
    one.tiep2(u, inv);
    evaluate(one, at, 4);
    expectIdentity(one, 2, 1.0);
}

TEST_F(UnaryNodes, PowerOfPowerWithInverseExponentIsTheArgument) {
    Expression* u = makeChild(x);
    auto* inner = new Power;
    inner->set_scalars3(1, 2.7, 0);
    inner->tiep1(u);
    auto* outer = new Power;
    outer->set_scalars3(1, 1 / 2.7, 0);
    outer->tiep1(inner);
    Sum2 diff;
    diff.set_scalars3(1, -1, 0);
    diff.tiep2(outer, u);
    evaluate(diff, at, 4);
    expectIdentity(diff, 2, 0.0);
}

TEST_F(UnaryNodes, QuotientOfANodeByItselfIsOne) {
    Expression* u = makeChild(x);
    Division q;
    q.tiep2(u, u);
    evaluate(q, at, 4);
    expectIdentity(q, 2, 1.0);
    EXPECT_EQ(u->parentCount, 2);
}

TEST_F(UnaryNodes, CubeScalesValueAndSlope) {
    Cube c;
    c.set_scalars1(2);
    c.tie1(x[0]);
    evaluate(c, {3, 0}, 1);
    EXPECT_DOUBLE_EQ(c.value(), 54);
    EXPECT_DOUBLE_EQ(c.d1(0), 54);
    EXPECT_EQ(c.d1(1), 0.0);
}

TEST_F(UnaryNodes, LogarithmOfOneHasSecondDerivativeOfTheChildMinusSquare) {
    Expression* u = makeChild(x);
    auto* shift = new Sum1;
    shift->set_scalars2(1, 1 - (0.7 * 0.7 * 1.3 + 3 * 1.3));  // u + b = 1 at (0.7, 1.3)
    shift->tiep1(u);
    Logarithm log;
    log.tiep1(shift);
    evaluate(log, at, 2);
    // shift = 1 at this point, so the value is 0 and d2 = u_ij - u_i u_j.
    EXPECT_NEAR(log.value(), 0.0, 1e-15);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j <= i; ++j)
            EXPECT_NEAR(log.d2(i, j), u->d2(i, j) - u->d1(i) * u->d1(j), 1e-14);
}

TEST_F(UnaryNodes, LogarithmOutsideItsDomainRaisesTheErrorAndKeepsItsValue) {
    Logarithm log;
    log.set_scalars3(1, -1, 0);
    log.tie1(x[0]);
    evaluate(log, {3, 0}, 2);
    EXPECT_EQ(Expression::sError, 0);
    const double before = log.value();  // ln 2
    log.initialize_the_graph();
    double at1[] = {1, 0};
    log.set_variable_values(at1);
    log.calculate(2);
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(log.value(), before);
    EXPECT_TRUE(log.computed);
    Expression::sError = 0;
}

TEST_F(UnaryNodes, PowoIsOddAndItsSlopeEven) {
    Powo p;
    p.set_scalars3(1, 2, 0);
    p.tie1(x[0]);
    evaluate(p, {-3, 0}, 4);
    EXPECT_DOUBLE_EQ(p.value(), -9);
    EXPECT_DOUBLE_EQ(p.d1(0), 6);
    EXPECT_DOUBLE_EQ(p.d2(0, 0), -2);
    EXPECT_EQ(p.d3(0, 0, 0), 0.0);
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
    Power p;
    p.set_scalars3(3, 1, 0);
    p.tie1(x[0]);
    p.number_of_variables(2);
    p.analyze_dependencies();
    double at0[] = {0, 0};
    p.set_variable_values(at0);
    p.calculate(2, 0);
    EXPECT_EQ(p.d1(0), 3.0);
}

TEST_F(UnaryNodes, NodeWhoseChildIgnoresAVariableLeavesItsEntriesZero) {
    Exponential e;
    e.set_scalars3(0, 2, 1);
    e.tie1(x[0]);
    evaluate(e, at, 4);
    EXPECT_EQ(e.d1(1), 0.0);
    EXPECT_EQ(e.d2(1, 0), 0.0);
    EXPECT_EQ(e.d2(1, 1), 0.0);
    EXPECT_EQ(e.d3(1, 0, 0), 0.0);
    EXPECT_EQ(e.d4(1, 1, 0, 0), 0.0);
    EXPECT_NE(e.d4(0, 0, 0, 0), 0.0);
}

TEST_F(UnaryNodes, PureFormWritesOnlyTheDiagonal) {
    Expression* u = makeChild(x);
    Exponential e;
    e.set_scalars3(0, 1, 0.5);
    e.tiep1(u);
    e.number_of_variables(2);
    e.analyze_dependencies();
    double point[] = {0.7, 1.3};
    e.set_variable_values(point);
    e.calculate(4, 1);
    EXPECT_EQ(e.d1(0), 0.0);
    EXPECT_EQ(e.d2(1, 0), 0.0);
    // Against the full evaluation.
    Exponential full;
    full.set_scalars3(0, 1, 0.5);
    full.tiep1(u);
    evaluate(full, {0.7, 1.3}, 4);
    EXPECT_NEAR(e.d1(1), full.d1(1), 1e-13);
    EXPECT_NEAR(e.d2(1, 1), full.d2(1, 1), 1e-13);
    EXPECT_NEAR(e.d3(1, 1, 1), full.d3(1, 1, 1), 1e-12);
    EXPECT_NEAR(e.d4(1, 1, 1, 1), full.d4(1, 1, 1, 1), 1e-12);
}

// ---------------------------------------------------------------- formula lines

class UnaryFormulas : public ::testing::Test {
   protected:
    void SetUp() override {
        child.setName("U");
        child.holdAsMember();
    }
    template <class Node>
    std::string line(Node& node) {
        node.setName("N");
        node.tie1(child);
        return printed([&](FILE* f) { node.printFormula(f); });
    }
    Leaf child;
};

TEST_F(UnaryFormulas, CubeAndSquare) {
    Cube c;
    EXPECT_EQ(line(c), "N = U^3\n");
    Cube c2;
    c2.set_scalars1(2);
    EXPECT_EQ(line(c2), "N = 2 * U^3\n");
    Square s;
    s.set_scalars1(0.5);
    EXPECT_EQ(line(s), "N = 0.5 * U^2\n");
}

TEST_F(UnaryFormulas, Inverses) {
    Inverse i;
    EXPECT_EQ(line(i), "N = 1 / U\n");
    Inverse2 i2;
    i2.set_scalars1(3);
    EXPECT_EQ(line(i2), "N = 3 / U^2\n");
}

TEST_F(UnaryFormulas, Exponential) {
    Exponential e;
    e.set_scalars3(0, 1, -1);
    EXPECT_EQ(line(e), "N =  exp ( - U ) \n");
    Exponential e2;
    e2.set_scalars3(2, -3, 0.5);
    EXPECT_EQ(line(e2), "N = 2 - 3 exp ( 0.5 * U ) \n");
    Exponential e3;
    e3.set_scalars3(1, 1, 1);
    EXPECT_EQ(line(e3), "N = 1 + exp ( U ) \n");
}

TEST_F(UnaryFormulas, Logarithm) {
    Logarithm l;
    EXPECT_EQ(line(l), "N = ln ( U ) \n");
    Logarithm l2;
    l2.set_scalars3(-1, -1, -2);
    EXPECT_EQ(line(l2), "N = - ln ( U + -1 )  - 2\n");
}

TEST_F(UnaryFormulas, PowerWithNegativeConstant) {
    Power p;
    p.set_scalars3(1, 2, -0.5);
    EXPECT_EQ(line(p), "N = U^2 + -0.5\n");
    Powo q;
    q.set_scalars3(3, 1.5, 0);
    EXPECT_EQ(line(q), "N = 3 * U^1.5 \n");
}

TEST_F(UnaryFormulas, SumOfOneChild) {
    Sum1 s;
    s.set_scalars2(-1, 1);
    EXPECT_EQ(line(s), "N = - U + 1.0\n");
    Sum1 s2;
    s2.set_scalars2(2, -0.25);
    EXPECT_EQ(line(s2), "N = 2 U - 0.25\n");
}

}  // namespace
}  // namespace vornex
