// Every node's analytic derivatives against Richardson-extrapolated central differences, and
// the printed form of the numerical checks.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Geom.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::Inputs;

// A smooth child of three variables with every derivative present:
// w = 1.5 + 0.3 x0 + 0.2 x1^2 + 0.1 x0 x2.
Expression* smoothChild(Inputs& x) {
    auto* sq = new Square;
    sq->tie1(x[1]);
    auto* prod = new Product;
    prod->tie2(x[0], x[2]);
    auto* lin = new Sum2;
    lin->set_scalars3(0.3, 0.1, 1.5);
    lin->tiep2(&x[0], prod);
    auto* w = new Sum2;
    w->set_scalars3(1, 0.2, 0);
    w->tiep2(lin, sq);
    return w;
}

template <class Node>
Node* unary(Inputs& x, double a, double b, double c) {
    auto* node = new Node;
    node->set_scalars3(a, b, c);
    node->tiep1(smoothChild(x));
    return node;
}

template <class Node>
Node* scaled(Inputs& x, double a) {
    auto* node = new Node;
    node->set_scalars1(a);
    node->tiep1(smoothChild(x));
    return node;
}

struct NodeCase {
    const char* name;
    std::function<Expression*(Inputs&)> build;
};

class EveryNode : public ::testing::TestWithParam<NodeCase> {
   protected:
    Inputs x{3};
};

TEST_P(EveryNode, MatchesExtrapolatedCentralDifferences) {
    std::unique_ptr<Expression> root(GetParam().build(x));
    root->number_of_variables(3);
    root->analyze_dependencies();
    testing::expectMatchesDifferences(*root, {0.4, -0.7, 1.1}, 2e-3, 2e-7);
}

TEST_P(EveryNode, PureFormEqualsTheDiagonalOfTheFullForm) {
    std::unique_ptr<Expression> root(GetParam().build(x));
    root->number_of_variables(3);
    root->analyze_dependencies();
    const double at[] = {0.4, -0.7, 1.1};
    for (int var = 0; var < 3; ++var) {
        root->evaluateAt(at, 4);
        std::vector<double> full;
        for (int k = 0; k <= 4; ++k) full.push_back(root->block()[root->layout().diagonal(var, k)]);
        root->reset();
        root->evaluateAt(at, 4, var);
        for (int k = 0; k <= 4; ++k) {
            EXPECT_NEAR(root->block()[root->layout().diagonal(var, k)], full[k],
                        1e-12 * (1 + std::fabs(full[k])))
                << "variable " << var << " order " << k;
        }
    }
}

Expression* powerMean(Inputs& x) {
    auto* g = new Geom;
    g->number_of_terms(3);
    g->set_scalars3(1.3, 2.5, -0.2);
    auto* a = smoothChild(x);
    auto* b = new Exponential;
    b->set_scalars3(0, 1, 0.3);
    b->tiep1(smoothChild(x));
    auto* c = new Cube;
    c->tie1(x[2]);
    g->tie_(a, static_cast<Expression*>(b), static_cast<Expression*>(c));
    // The mean does not own its children: a sum holds them alongside it.
    auto* holder = new Sum;
    holder->number_of_terms(4);
    holder->tie_(static_cast<Expression*>(g), a, static_cast<Expression*>(b),
                 static_cast<Expression*>(c));
    holder->set_scalars_(1.0, 0.0, 0.0, 0.0, 0.0);
    return holder;
}

Expression* selector(Inputs& x, bool negative) {
    auto* holder = new Sum;
    auto* sw = new Sum1;
    sw->set_scalars2(1, negative ? -5 : 5);
    sw->tie1(x[0]);
    auto* u = unary<Exponential>(x, 0, 1, 0.5);
    auto* v = scaled<Inverse>(x, 2);
    auto* s = new Selector;
    s->tie3(*sw, *u, *v);
    holder->number_of_terms(4);
    holder->tie_(static_cast<Expression*>(s), static_cast<Expression*>(sw),
                 static_cast<Expression*>(u), static_cast<Expression*>(v));
    holder->set_scalars_(1.0, 0.0, 0.0, 0.0, 0.0);
    return holder;
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, EveryNode,
    ::testing::Values(
        NodeCase{"Cube", [](Inputs& x) { return scaled<Cube>(x, 1.7); }},
        NodeCase{"Square", [](Inputs& x) { return scaled<Square>(x, -0.6); }},
        NodeCase{"Inverse", [](Inputs& x) { return scaled<Inverse>(x, 2); }},
        NodeCase{"Inverse2", [](Inputs& x) { return scaled<Inverse2>(x, 0.5); }},
        NodeCase{"Exponential", [](Inputs& x) { return unary<Exponential>(x, 1, -2, -0.7); }},
        NodeCase{"Logarithm", [](Inputs& x) { return unary<Logarithm>(x, 1.5, 0.3, 2); }},
        NodeCase{"Power", [](Inputs& x) { return unary<Power>(x, 1.2, 2.6, 0.1); }},
        NodeCase{"Powo", [](Inputs& x) { return unary<Powo>(x, 0.8, -1.4, 0); }},
        NodeCase{"Sum1",
                 [](Inputs& x) -> Expression* {
                     auto* s = new Sum1;
                     s->set_scalars2(-1.5, 2);
                     s->tiep1(scaled<Cube>(x, 1));
                     return s;
                 }},
        NodeCase{"Product",
                 [](Inputs& x) -> Expression* {
                     auto* p = new Product;
                     p->set_scalars1(0.7);
                     p->tiep2(unary<Exponential>(x, 0, 1, 0.4), scaled<Cube>(x, 1));
                     return p;
                 }},
        NodeCase{"Division",
                 [](Inputs& x) -> Expression* {
                     auto* d = new Division;
                     d->set_scalars1(1.3);
                     d->tiep2(unary<Logarithm>(x, 1, 0, 0), scaled<Square>(x, 1));
                     return d;
                 }},
        NodeCase{"Sum2",
                 [](Inputs& x) -> Expression* {
                     auto* s = new Sum2;
                     s->set_scalars3(2, -1, 0.5);
                     s->tiep2(scaled<Inverse>(x, 1), unary<Power>(x, 1, 1.5, 0));
                     return s;
                 }},
        NodeCase{"Geom", powerMean},
        NodeCase{"SelectorNegative", [](Inputs& x) { return selector(x, true); }},
        NodeCase{"SelectorPositive", [](Inputs& x) { return selector(x, false); }}),
    [](const ::testing::TestParamInfo<NodeCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- printed checks

class PrintedChecks : public ::testing::Test {
   protected:
    void SetUp() override {
        sq.tie1(x[0]);
        sq.number_of_variables(1);
        sq.analyze_dependencies();
    }
    Inputs x{1};
    Square sq;
};

TEST_F(PrintedChecks, FirstAndSecondOrderTables) {
    double at[] = {3}, h[] = {0.5};
    EXPECT_EQ(testing::printed([&](FILE* f) { sq.check1(f, at, h); }),
              "Value    9\n\n"
              "der. ana. ( 0 )                        6\n"
              "     num.                              6\n\n\n");
    EXPECT_EQ(testing::printed([&](FILE* f) { sq.check2(f, at, h); }),
              "d2 ana. ( 0 , 0 )                      2\n"
              "   num.                                2\n\n\n");
    EXPECT_EQ(sq.value(), 9.0);  // left evaluated at x
}

TEST_F(PrintedChecks, OneVariableForm) {
    double at[] = {3};
    EXPECT_EQ(testing::printed([&](FILE* f) { sq.check1(f, 0, at, 0.5); }),
              "Value    9\n\nd1. ana. 6\n    num. 6\n\n\n");
    EXPECT_EQ(testing::printed([&](FILE* f) { sq.check3(f, 0, at, 0.5); }),
              "d3 ana. 0\n   num. 0\n\n\n");
}

}  // namespace
}  // namespace vornex
