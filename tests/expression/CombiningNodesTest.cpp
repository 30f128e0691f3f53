// Nodes of two and more children: product and quotient, selector, sums, power mean.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Geom.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::binary;
using testing::evaluate;
using testing::formula;
using testing::Inputs;
using testing::over;
using testing::printed;

class CombiningNodes : public ::testing::Test {
   protected:
    Inputs x{2};
    // The named node, owned by the test.
    template <class Node>
    std::unique_ptr<Node> named(Node* node, const char* name) {
        if (name) node->setName(name);
        return std::unique_ptr<Node>(node);
    }
};

TEST_F(CombiningNodes, QuotientMatchesClosedForm) {
    // 2 x0 / x1: d/dx0^p dx1^q = 2 x0^(1-p) (-1)^q q! x1^(-1-q) for p <= 1.
    auto d = named(binary<Division>(&x[0], &x[1], 2.0), nullptr);
    evaluate(*d, {0.8, 1.7}, 4);
    testing::expectDerivatives(
        *d, 4,
        [](const std::vector<int>& c) {
            if (c[0] > 1) return 0.0;
            const double fact[] = {1, 1, 2, 6, 24};
            return 2 * (c[0] ? 1.0 : 0.8) * (c[1] % 2 ? -1 : 1) * fact[c[1]] *
                   std::pow(1.7, -1 - c[1]);
        },
        1e-14);
}

TEST_F(CombiningNodes, ZeroOverZeroGivesZeroEverywhere) {
    Division d;
    d.tie2(x[0], x[1]);
    evaluate(d, {0, 0}, 4);
    EXPECT_EQ(d.value(), 0.0);
    testing::forEachIndexSet(
        2, 4, [&](int order, const int* idx) { EXPECT_EQ(testing::entry(d, order, idx), 0.0); });
    EXPECT_TRUE(d.computed);
}

TEST_F(CombiningNodes, FormulaLine) {
    auto s = named(new Sum, "s");
    s->number_of_terms(2);
    s->tie_(static_cast<Expression*>(named(over<Square>(&x[0]), "x").release()),
            static_cast<Expression*>(named(over<Square>(&x[1]), "y").release()));
    s->set_scalars_(-1.0, 0.5, 3.0);
    EXPECT_EQ(formula(*s), "s = - x + 0.5 * y + 3\n");
}

// ---------------------------------------------------------------- selector

class SelectorNode : public ::testing::Test {
   protected:
    void SetUp() override {
        for (Leaf* leaf : {&sw, &u, &v}) leaf->holdAsMember();
        s.tie3(sw, u, v);
        testing::sized(s, 1);
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
    for (double positive : {0.0, -0.0, std::nan("")}) EXPECT_EQ(select(positive), 2.0);
    EXPECT_EQ(s.d3(0, 0, 0), 40.0);
    select(-1, 2);  // copies only the orders asked
    EXPECT_EQ(s.d1(0), 10.0);
    EXPECT_EQ(s.d3(0, 0, 0), 40.0);  // what the node held before
}

TEST_F(SelectorNode, MissingChildrenAreReported) {
    Selector open;
    open.number_of_variables(1);
    EXPECT_EQ(testing::stderrOf([&] { open.calculate(1); }),
              "Error : \"noname\" is is not linked to another expression.\n");
    EXPECT_EQ(printed([&](FILE* f) { open.check_pointers(f); }),
              "Error : \"noname\" (x) is not linked to another expression.\n"
              "Error : \"noname\" (u) is not linked to another expression.\n"
              "Error : \"noname\" (v) is not linked to another expression.\n");
}

// ---------------------------------------------------------------- sums

TEST_F(CombiningNodes, PureSumOfOrderFiveGivesTheValue) {
    Sum s;
    s.number_of_terms(1);
    s.tieip(0, over<Square>(&x[1]));
    s.set_scalar(0, 2);
    s.set_scalar(1, 1);
    testing::sized(s, 2);
    const double at[] = {0.5, 3};
    s.evaluateAt(at, 5, 1);  // an order past four: the value only
    EXPECT_EQ(s.value(), 19.0);
    EXPECT_EQ(s.d1(1), 0.0);
}

TEST_F(CombiningNodes, EmptySumSlotIsReportedAndNothingIsComputed) {
    Sum s;
    s.setName("s");
    s.number_of_terms(2);
    s.tiei(0, x[0]);
    EXPECT_EQ(testing::stderrOf([&] {
                  s.number_of_variables(2);
                  s.calculate(2);
              }),
              "Error : \"s\" is not linked.\n"
              "Error : \"s\" is not linked to another expression.\n");
    EXPECT_FALSE(s.computed);
    EXPECT_EQ(printed([&](FILE* f) { s.check_pointers(f); }),
              "Error : \"s\" (1) is not linked to another expression.\n");
}

TEST_F(CombiningNodes, SumTieOutsideTheTableIsRefused) {
    // Regression: an index past the table wrote outside it.
    Sum s;
    s.number_of_terms(1);
    EXPECT_FALSE(testing::stderrOf([&] {
                     s.tiei(3, x[0]);
                     s.set_scalar(5, 1.0);
                 }).empty());
    EXPECT_EQ(x[0].parentCount, 1);  // only the fixture's own count
}

TEST_F(CombiningNodes, CoefficientsFromAnArrayIncludeTheConstant) {
    // 2 x0 - 3 x1^2 + 0.5: the array gives the n coefficients and then the constant.
    Sum s;
    s.number_of_terms(2);
    s.tie_(static_cast<Expression*>(&x[0]), static_cast<Expression*>(over<Square>(&x[1])));
    const double c[] = {2.0, -3.0, 0.5, 99.0};  // the fourth is not the table's
    s.set_scalarsx(c);
    testing::evaluate(s, {1.5, 2.0}, 2);
    EXPECT_EQ(s.value(), 2 * 1.5 - 3 * 4.0 + 0.5);
    EXPECT_EQ(s.d1(0), 2.0);
    EXPECT_EQ(s.d1(1), -12.0);
    EXPECT_EQ(s.d2(1, 1), -6.0);
    // The same sum with the coefficients given one by one.
    Sum t;
    t.number_of_terms(2);
    t.tie_(static_cast<Expression*>(&x[0]), static_cast<Expression*>(over<Square>(&x[1])));
    t.set_scalars_(2.0, -3.0, 0.5);
    testing::evaluate(t, {1.5, 2.0}, 2);
    EXPECT_EQ(t.value(), s.value());
}

// ---------------------------------------------------------------- power mean

class PowerMean : public CombiningNodes {
   protected:
    // The mean of x0 and x1 with scalars a, p, c (it neither counts nor owns its children).
    std::unique_ptr<Geom> mean(double a, double p, double c) {
        auto g = named(testing::withScalars(new Geom, a, p, c), nullptr);
        g->number_of_terms(2);
        g->tie_(static_cast<Expression*>(&x[0]), static_cast<Expression*>(&x[1]));
        return g;
    }
};

TEST_F(PowerMean, QuadraticMeanOfThreeAndFour) {
    auto g = mean(1, 2, 0);
    evaluate(*g, {3, 4}, 0);
    EXPECT_DOUBLE_EQ(g->value(), std::sqrt(12.5));
    EXPECT_EQ(x[0].parentCount, 1);  // not counted by the mean
}

TEST_F(PowerMean, NegativeChildEntersWithItsSign) {
    auto cubic = mean(1, 3, 0);
    evaluate(*cubic, {-1, 2}, 1);
    EXPECT_NEAR(cubic->innerSum()[0], -1 + 8, 1e-14);
    EXPECT_NEAR(cubic->value(), std::cbrt(3.5), 1e-14);
}

TEST_F(PowerMean, LinearMeanAveragesTheDerivatives) {
    std::unique_ptr<Square> sq(over<Square>(&x[0]));  // the mean never releases its children
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
}

TEST_F(PowerMean, EmptySlotIsReportedNotRead) {
    Geom g;
    g.number_of_terms(2);
    g.tiei(0, x[0]);
    // Regression: the mean went through its empty slot.
    EXPECT_EQ(testing::stderrOf([&] {
                  g.number_of_variables(2);
                  g.calculate(1);
              }),
              "Error : \"noname\" is not linked.\n"
              "Error : \"noname\" is not linked to another expression.\n");
}

}  // namespace
}  // namespace vornex
