// Nodes of two and more children: product and quotient, selector, sums, power mean.
#include <gtest/gtest.h>

#include <cmath>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Geom.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::evaluate;
using testing::Inputs;
using testing::printed;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class ProductAndQuotient : public ::testing::Test {
   protected:
    Inputs x{2};
};

TEST_F(ProductAndQuotient, ProductFollowsLeibniz) {
    auto* twice = new Sum1;
    twice->set_scalars2(1, 1);  // 1 + x0, slope 1
    twice->tie1(x[0]);
    Product p;
    p.tiep2(twice, new KVar);
    static_cast<KVar*>(p.v)->set_scalars1(3);
    evaluate(p, {1, 0}, 2);
    EXPECT_EQ(p.value(), 6.0);
    EXPECT_EQ(p.d1(0), 3.0);
    EXPECT_EQ(p.d1(1), 0.0);  // KVar reports no dependency
}

TEST_F(ProductAndQuotient, QuotientOfQuotientMatchesClosedForm) {
    // 2 x0 / x1: d/dx0^p dx1^q = 2 x0^(1-p) (-1)^q q! x1^(-1-q) for p <= 1.
    Division d;
    d.set_scalars1(2);
    d.tie2(x[0], x[1]);
    evaluate(d, {0.8, 1.7}, 4);
    testing::expectDerivatives(
        d, 4,
        [](const std::vector<int>& c) {
            if (c[0] > 1) return 0.0;
            double fact = 1;
            for (int m = 2; m <= c[1]; ++m) fact *= m;
            return 2 * (c[0] ? 1.0 : 0.8) * (c[1] % 2 ? -1 : 1) * fact * std::pow(1.7, -1 - c[1]);
        },
        1e-14);
}

TEST_F(ProductAndQuotient, ZeroOverZeroGivesZeroEverywhere) {
    Division d;
    d.tie2(x[0], x[1]);
    evaluate(d, {0, 0}, 4);
    EXPECT_EQ(d.value(), 0.0);
    testing::forEachIndexSet(
        2, 4, [&](int order, const int* idx) { EXPECT_EQ(testing::entry(d, order, idx), 0.0); });
    EXPECT_TRUE(d.computed);
}

TEST_F(ProductAndQuotient, FormulaLines) {
    Division d;
    d.setName("N");
    d.set_scalars1(2);
    d.tie2(x[0], x[1]);
    EXPECT_EQ(printed([&](FILE* f) { d.printFormula(f); }), "N = 2 * x0 / x1\n");
    Product p;
    p.tie2(x[0], x[1]);
    EXPECT_EQ(printed([&](FILE* f) { p.printFormula(f); }), "noname = x0 * x1\n");
    Sum2 s;
    s.setName("s");
    s.set_scalars3(-1, -2.5, 4);
    s.tie2(x[0], x[1]);
    EXPECT_EQ(printed([&](FILE* f) { s.printFormula(f); }), "s = - x0 - 2.5 * x1 + 4\n");
    Sum2 t;
    t.tie2(x[0], x[1]);
    EXPECT_EQ(printed([&](FILE* f) { t.printFormula(f); }), "noname = x0 + x1 \n");
}

// ---------------------------------------------------------------- selector

class SelectorNode : public ::testing::Test {
   protected:
    void SetUp() override {
        for (Leaf* leaf : {&sw, &u, &v}) leaf->holdAsMember();
        s.tie3(sw, u, v);
        s.number_of_variables(1);
        s.analyze_dependencies();
        u.value() = 1;
        u.d1(0) = 10;
        u.d3(0, 0, 0) = 30;
        v.value() = 2;
        v.d1(0) = 20;
        v.d3(0, 0, 0) = 40;
    }
    double select(double x, int order = 4) {
        sw.value() = x;
        s.initialize_the_graph();
        s.calculate(order);
        return s.value();
    }
    Leaf sw, u, v;
    Selector s;
};

TEST_F(SelectorNode, SignOfTheSwitchChoosesTheBranch) {
    EXPECT_EQ(select(-1e-300), 1.0);
    EXPECT_EQ(s.d1(0), 10.0);
    EXPECT_EQ(select(0.0), 2.0);
    EXPECT_EQ(select(-0.0), 2.0);
    EXPECT_EQ(select(std::nan("")), 2.0);
    EXPECT_EQ(s.d3(0, 0, 0), 40.0);
}

TEST_F(SelectorNode, CopiesOnlyTheOrdersAsked) {
    select(-1, 2);
    EXPECT_EQ(s.d1(0), 10.0);
    EXPECT_EQ(s.d3(0, 0, 0), 0.0);  // what the node held before
}

TEST_F(SelectorNode, FormulaAndMissingChildren) {
    sw.setName("X");
    u.setName("U");
    v.setName("V");
    s.setName("N");
    EXPECT_EQ(printed([&](FILE* f) { s.printFormula(f); }), "N = ( X < 0 ) ? U : V \n");
    Selector open;
    open.number_of_variables(1);
    CaptureStderr();
    open.calculate(1);
    EXPECT_EQ(GetCapturedStderr(), "Error : \"noname\" is is not linked to another expression.\n");
    EXPECT_EQ(printed([&](FILE* f) { open.check_pointers(f); }),
              "Error : \"noname\" (x) is not linked to another expression.\n"
              "Error : \"noname\" (u) is not linked to another expression.\n"
              "Error : \"noname\" (v) is not linked to another expression.\n");
}

// ---------------------------------------------------------------- sums

class SumNodes : public ::testing::Test {
   protected:
    Inputs x{2};
};

TEST_F(SumNodes, WeightedSumCombinesEveryEntry) {
    auto* u = new Cube;
    u->tie1(x[0]);
    auto* v = new Product;
    v->tie2(x[0], x[1]);
    auto* w = new Exponential;
    w->set_scalars3(0, 1, 1);
    w->tiep1(v);
    Sum s;
    s.number_of_terms(2);
    s.tie_(static_cast<Expression*>(u), static_cast<Expression*>(w));
    s.set_scalars_(2.0, -3.0, 0.5);
    evaluate(s, {0.6, 0.9}, 4);
    EXPECT_DOUBLE_EQ(s.value(), 2 * u->value() - 3 * w->value() + 0.5);
    testing::forEachIndexSet(2, 4, [&](int order, const int* idx) {
        EXPECT_DOUBLE_EQ(testing::entry(s, order, idx),
                         2 * testing::entry(*u, order, idx) - 3 * testing::entry(*w, order, idx));
    });
}

TEST_F(SumNodes, PureFormAddsTheDiagonalsAndOrderFiveGivesTheValue) {
    auto* u = new Square;
    u->tie1(x[1]);
    Sum s;
    s.number_of_terms(1);
    s.tiei(0, *u);
    s.set_scalar(0, 2);
    s.set_scalar(1, 1);
    s.number_of_variables(2);
    s.analyze_dependencies();
    double at[] = {0.5, 3};
    s.set_variable_values(at);
    s.calculate(2, 1);
    EXPECT_EQ(s.value(), 19.0);
    EXPECT_EQ(s.d1(1), 12.0);
    EXPECT_EQ(s.d2(1, 1), 4.0);
    s.initialize_the_graph();
    s.calculate(5, 1);
    EXPECT_EQ(s.value(), 19.0);
}

TEST_F(SumNodes, EmptySlotIsReportedAndNothingIsComputed) {
    Sum s;
    s.setName("s");
    s.number_of_terms(2);
    s.tiei(0, x[0]);
    CaptureStderr();
    s.number_of_variables(2);
    s.calculate(2);
    EXPECT_EQ(GetCapturedStderr(),
              "Error : \"s\" is not linked.\n"
              "Error : \"s\" is not linked to another expression.\n");
    EXPECT_FALSE(s.computed);
    EXPECT_EQ(printed([&](FILE* f) { s.check_pointers(f); }),
              "Error : \"s\" (1) is not linked to another expression.\n");
}

TEST_F(SumNodes, TieOutsideTheTableIsRefused) {
    // Regression: an index past the table wrote outside it.
    Sum s;
    s.number_of_terms(1);
    CaptureStderr();
    s.tiei(3, x[0]);
    s.set_scalar(5, 1.0);
    EXPECT_FALSE(GetCapturedStderr().empty());
    EXPECT_EQ(x[0].parentCount, 1);  // only the fixture's own count
}

TEST_F(SumNodes, FormulaLines) {
    Sum s;
    s.setName("s");
    s.number_of_terms(2);
    auto* a = new Square;
    a->setName("x");
    a->tie1(x[0]);
    auto* b = new Square;
    b->setName("y");
    b->tie1(x[1]);
    s.tie_(static_cast<Expression*>(a), static_cast<Expression*>(b));
    s.set_scalars_(1.0, -2.0, -4.0);
    EXPECT_EQ(printed([&](FILE* f) { s.printFormula(f); }), "s = x - 2 * y - 4\n");
    s.set_scalars_(-1.0, 0.5, 3.0);
    EXPECT_EQ(printed([&](FILE* f) { s.printFormula(f); }), "s = - x + 0.5 * y + 3\n");
}

// ---------------------------------------------------------------- power mean

class PowerMean : public ::testing::Test {
   protected:
    Inputs x{2};
};

TEST_F(PowerMean, QuadraticMeanOfThreeAndFour) {
    Geom g;
    g.number_of_terms(2);
    g.tie_(static_cast<Expression*>(&x[0]), static_cast<Expression*>(&x[1]));
    g.set_scalars3(1, 2, 0);
    evaluate(g, {3, 4}, 0);
    EXPECT_DOUBLE_EQ(g.value(), std::sqrt(12.5));
    EXPECT_EQ(x[0].parentCount, 1);  // not counted by the mean
}

TEST_F(PowerMean, LinearMeanAveragesTheDerivatives) {
    auto* sq = new Square;
    sq->tie1(x[0]);
    Geom g;
    g.number_of_terms(2);
    g.tiei(0, *sq);
    g.tiei(1, x[1]);
    g.set_scalars3(2, 1, 0.5);
    evaluate(g, {1.5, -0.5}, 4);
    EXPECT_NEAR(g.value(), 2 * (2.25 - 0.5) / 2 + 0.5, 1e-14);
    EXPECT_NEAR(g.d1(0), 3.0, 1e-14);
    EXPECT_NEAR(g.d1(1), 1.0, 1e-14);
    EXPECT_NEAR(g.d2(0, 0), 2.0, 1e-14);
    EXPECT_NEAR(g.d3(0, 0, 0), 0.0, 1e-13);
    delete sq;  // the mean never releases its children
}

TEST_F(PowerMean, NegativeChildEntersWithItsSign) {
    Geom g;
    g.number_of_terms(2);
    g.tie_(static_cast<Expression*>(&x[0]), static_cast<Expression*>(&x[1]));
    g.set_scalars3(1, 3, 0);
    evaluate(g, {-1, 2}, 1);
    EXPECT_NEAR(g.innerSum()[0], -1 + 8, 1e-14);
    EXPECT_NEAR(g.value(), std::cbrt(3.5), 1e-14);
}

TEST_F(PowerMean, PrintsOneLinePerChild) {
    Geom g;
    g.number_of_terms(2);
    g.tiei(0, x[0]);
    Expression::sMargin = 2;
    EXPECT_EQ(printed([&](FILE* f) { g.printFormula(f); }), "    Child 0 x0\n  Child 1 : NULL\n");
    Expression::sMargin = 0;
    CaptureStderr();
    g.number_of_variables(2);
    g.calculate(1);  // regression: the mean went through its empty slot
    EXPECT_EQ(GetCapturedStderr(),
              "Error : \"noname\" is not linked.\n"
              "Error : \"noname\" is not linked to another expression.\n");
}

}  // namespace
}  // namespace vornex
