#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "expression/BinOp.h"
#include "expression/SeparableSum.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "support/SameBlocks.h"
namespace vornex {
namespace {

using Factor = SeparableSum::Factor;

struct TermSpec {
    double n;
    Factor ofU, ofV;
};

// Terms of every kind the fused sum takes: plain powers (whole, fractional, negative, none),
// exponentials of whole and fractional powers with their own g, and Gaussians in each child.
const std::vector<TermSpec>& specs() {
    static const std::vector<TermSpec> s = {
        {0.7, {0.5}, {1}},
        {-1.3, {-0.5}, {4}},
        {0.25, {3}, {0}},
        {2.0, {1.25}, {2, 2, 1.0}},
        {-0.6, {7}, {3, 1, 0.4}},
        {0.9, {0}, {1, 2.5, 1.0}},
        {-0.05, {2, 0, 0, 25, 1.1}, {3, 0, 0, 20, 1.0}},
        {0.03, {0.5, 0, 0, 150, 1.21}, {0, 0, 0, 30, 0.95}},
    };
    return s;
}

// One node of the generic graph per factor, as a builder without the fused node would make.
Expression* genericFactor(Leaf& x, const Factor& f) {
    Expression* node = nullptr;
    if (f.p != 0.0) {
        auto* p = new Power;
        p->set_scalars3(1.0, f.p, 0.0);
        p->tie1(x);
        node = p;
    }
    Expression* exponent = nullptr;
    if (f.g != 0.0) {
        auto* c = new Power;
        c->set_scalars3(-f.g, f.c, 0.0);
        c->tie1(x);
        exponent = c;
    }
    if (f.alpha != 0.0) {
        auto* s = new Sum1;
        s->set_scalars2(1.0, -f.eps);
        s->tie1(x);
        auto* sq = new Square;
        sq->tiep1(s);
        if (exponent) {
            auto* both = new Sum2;
            both->set_scalars3(1.0, -f.alpha, 0.0);
            both->tiep2(exponent, sq);
            exponent = both;
        } else {
            auto* scaled = new Sum1;
            scaled->set_scalars2(-f.alpha, 0.0);
            scaled->tiep1(sq);
            exponent = scaled;
        }
    }
    if (exponent) {
        auto* e = new Exponential;
        e->set_scalars3(0.0, 1.0, 1.0);
        e->tiep1(exponent);
        if (!node) return e;
        auto* p = new Product;
        p->tiep2(node, e);
        return p;
    }
    if (node) return node;
    auto* one = new Sum1;  // the constant 1 on x
    one->set_scalars2(0.0, 1.0);
    one->tie1(x);
    return one;
}

// u = c/x_a and v = d/x_b as the reduced leaves write them, on n = 3 variables.
struct Graphs {
    Graphs(int varU, int varV) : varU(varU), varV(varV) {
        for (Leaf* leaf : {&u, &v, &u2, &v2}) leaf->holdAsMember();
        fused = std::make_unique<SeparableSum>();
        fused->tie2(u, v);
        auto* sum = new Sum;
        sum->number_of_terms(static_cast<int>(specs().size()));
        for (size_t k = 0; k < specs().size(); ++k) {
            const TermSpec& t = specs()[k];
            fused->addTerm(t.n, t.ofU, t.ofV);
            auto* p = new Product;
            p->tiep2(genericFactor(u2, t.ofU), genericFactor(v2, t.ofV));
            sum->tieip(static_cast<int>(k), p);
            sum->set_scalar(static_cast<int>(k), t.n);
        }
        generic.reset(sum);
        for (Expression* root : {static_cast<Expression*>(fused.get()), generic.get()}) {
            root->number_of_variables(3);
        }
        for (int i = 0; i < 3; ++i) {
            u.setDependent(i, i == varU), u2.setDependent(i, i == varU);
            v.setDependent(i, i == varV), v2.setDependent(i, i == varV);
        }
        fused->analyze_dependencies();
        generic->analyze_dependencies();
    }
    static void write(Leaf& leaf, int var, double c, double x) {
        const double r = 1.0 / x;
        double d = c * r;
        leaf.clean(4);
        leaf.value() = d;
        leaf.d1(var) = (d *= -r);
        leaf.d2(var, var) = (d *= -2 * r);
        leaf.d3(var, var, var) = (d *= -3 * r);
        leaf.d4(var, var, var, var) = (d *= -4 * r);
    }
    void at(double xa, double xb) {
        write(u, varU, 1.3, xa), write(u2, varU, 1.3, xa);
        write(v, varV, 0.9, xb), write(v2, varV, 0.9, xb);
    }
    void evaluate(int order, int var = -1) {
        for (Expression* root : {static_cast<Expression*>(fused.get()), generic.get()}) {
            root->initialize_the_graph();
            Expression::sError = 0;
            if (var < 0) {
                root->calculate(order);
            } else {
                root->calculate(order, var);
            }
        }
    }
    int varU, varV;
    Leaf u, v, u2, v2;
    std::unique_ptr<SeparableSum> fused;
    std::unique_ptr<Expression> generic;
};

void expectSameBlocks(const Expression& a, const Expression& b, int order, double tol) {
    const int end = a.layout().end(order);
    for (int p = 0; p < end; ++p) {
        EXPECT_NEAR(a.block()[p], b.block()[p], tol * (1.0 + std::fabs(b.block()[p])))
            << "position " << p << " of order " << order;
    }
}

// The fused sum must give the value and every derivative to fourth order that the same sum
// built from generic nodes gives, in every arrangement of the children's variables, and the
// pure derivatives alone, to each order, when only those are asked.
TEST(SeparableSum, DerivativesEqualThoseOfTheGenericGraph) {
    for (auto [varU, varV] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{2, 0}}) {
        Graphs g(varU, varV);
        for (auto [xa, xb] : {std::pair{0.8, 1.7}, std::pair{1.4, 0.3}, std::pair{2.5, 3.0}}) {
            g.at(xa, xb);
            for (int order = 0; order <= 4; ++order) {
                g.evaluate(order);
                expectSameBlocks(*g.fused, *g.generic, order, 2e-13);
            }
            for (int var = 0; var < 3; ++var) {
                for (int order = 1; order <= 4; ++order) {
                    g.evaluate(order, var);
                    int p[5];
                    g.fused->layout().diagonals(var, order, p);
                    for (int k = 0; k <= order; ++k) {
                        EXPECT_NEAR(g.fused->block()[p[k]], g.generic->block()[p[k]],
                                    2e-13 * (1.0 + std::fabs(g.generic->block()[p[k]])))
                            << "pure order " << k << " of " << order << " in " << var;
                    }
                }
            }
        }
    }
}

// Factors of the first child are kept while it does not change: moving the second child
// alone, then asking a higher order, must never serve stale values.
TEST(SeparableSum, KeptFactorsFollowTheirChild) {
    Graphs g(0, 1);
    g.at(0.8, 1.7);
    g.evaluate(1);
    g.at(0.8, 1.9);
    g.evaluate(3);
    expectSameBlocks(*g.fused, *g.generic, 3, 2e-13);
    g.at(0.9, 1.9);
    g.evaluate(2, 1);
    EXPECT_NEAR(g.fused->value(), g.generic->value(), 1e-13);
}

// What the node keeps between evaluations (factors, weights, block positions) depends on
// its history; the results must not: after every step of a solve-like sequence (the same
// point to a higher order, one child moved, along one variable, back to both) the block is
// bit for bit that of a node evaluated there for the first time.
TEST(SeparableSum, ResultsDoNotDependOnTheEvaluationsBefore) {
    const struct {
        double xa, xb;
        int order, var;
    } steps[] = {{0.8, 1.7, 0, -1}, {0.8, 1.7, 3, -1}, {0.8, 1.9, 2, 1}, {0.8, 1.9, 4, -1},
                 {0.9, 1.9, 2, 0},  {0.9, 1.9, 1, 1},  {0.9, 2.1, 4, 1}, {0.9, 2.1, 2, -1}};
    Graphs kept(0, 1);
    for (const auto& s : steps) {
        Graphs fresh(0, 1);
        kept.at(s.xa, s.xb);
        fresh.at(s.xa, s.xb);
        kept.evaluate(s.order, s.var);
        fresh.evaluate(s.order, s.var);
        SCOPED_TRACE(::testing::Message()
                     << s.xa << " " << s.xb << " order " << s.order << " var " << s.var);
        testing_support::expectBitEqualBlocks(*kept.fused, *fresh.fused, s.order, s.var);
    }
}

// Children that do not depend on one variable each cannot go through the separate chain
// rules: the node says so through the domain-error flag instead of a wrong derivative.
TEST(SeparableSum, ChildrenOnTheSameVariableAreRefused) {
    Graphs g(0, 0);
    g.at(0.8, 1.7);
    testing::internal::CaptureStderr();
    g.fused->initialize_the_graph();
    Expression::sError = 0;
    g.fused->calculate(2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("one variable each"), std::string::npos);
    EXPECT_EQ(Expression::sError, 1);
    Expression::sError = 0;
}

}  // namespace
}  // namespace vornex
