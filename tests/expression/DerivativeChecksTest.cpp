// Every node's analytic derivatives against Richardson-extrapolated central differences, and
// the printed form of the numerical checks.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/Geom.h"
#include "expression/Selector.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::Inputs;

using testing::binary;
using testing::over;

// A smooth child of three variables with every derivative present:
// w = 1.5 + 0.3 x0 + 0.2 x1^2 + 0.1 x0 x2.
Expression* smoothChild(Inputs& x) {
    auto* lin = binary<Sum2>(&x[0], binary<Product>(&x[0], &x[2]), 0.3, 0.1, 1.5);
    return binary<Sum2>(lin, over<Square>(&x[1]), 1.0, 0.2, 0.0);
}

template <class Node, class... S>
Node* of(Inputs& x, S... s) {
    return over<Node>(smoothChild(x), s...);
}

// The first node, held by a sum with the others (which it does not own) at weight zero.
Expression* heldWith(std::vector<Expression*> nodes) {
    auto* holder = new Sum;
    holder->number_of_terms(static_cast<int>(nodes.size()));
    for (size_t i = 0; i < nodes.size(); ++i) {
        holder->tieip(static_cast<int>(i), nodes[i]);
        holder->set_scalar(static_cast<int>(i), i == 0 ? 1 : 0);
    }
    return holder;
}

Expression* powerMean(Inputs& x) {
    auto* g = testing::withScalars(new Geom, 1.3, 2.5, -0.2);
    g->number_of_terms(3);
    Expression* children[] = {smoothChild(x), of<Exponential>(x, 0.0, 1.0, 0.3), over<Cube>(&x[2])};
    g->tie_(children[0], children[1], children[2]);
    return heldWith({g, children[0], children[1], children[2]});
}

Expression* selector(Inputs& x, double shift) {
    auto* sw = over<Sum1>(&x[0], 1.0, shift);
    auto* u = of<Exponential>(x, 0.0, 1.0, 0.5);
    auto* v = of<Inverse>(x, 2.0);
    auto* s = new Selector;
    s->tie3(*sw, *u, *v);
    return heldWith({s, sw, u, v});
}

struct NodeCase {
    const char* name;
    std::function<Expression*(Inputs&)> build;
};

class EveryNode : public ::testing::TestWithParam<NodeCase> {
   protected:
    Inputs x{3};
};

TEST_P(EveryNode, MatchesExtrapolatedCentralDifferencesAndPureDerivatives) {
    std::unique_ptr<Expression> root(GetParam().build(x));
    testing::sized(*root, 3);
    const std::vector<double> at{0.4, -0.7, 1.1};
    testing::expectMatchesDifferences(*root, at, 2e-3, 2e-7);
    testing::expectPureIsDiagonal(*root, at, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, EveryNode,
    ::testing::Values(
        NodeCase{"Cube", [](Inputs& x) { return of<Cube>(x, 1.7); }},
        NodeCase{"Square", [](Inputs& x) { return of<Square>(x, -0.6); }},
        NodeCase{"Inverse", [](Inputs& x) { return of<Inverse>(x, 2.0); }},
        NodeCase{"Inverse2", [](Inputs& x) { return of<Inverse2>(x, 0.5); }},
        NodeCase{"Exponential", [](Inputs& x) { return of<Exponential>(x, 1.0, -2.0, -0.7); }},
        NodeCase{"Logarithm", [](Inputs& x) { return of<Logarithm>(x, 1.5, 0.3, 2.0); }},
        NodeCase{"Power", [](Inputs& x) { return of<Power>(x, 1.2, 2.6, 0.1); }},
        NodeCase{"Powo", [](Inputs& x) { return of<Powo>(x, 0.8, -1.4, 0.0); }},
        NodeCase{"Sum1", [](Inputs& x) { return over<Sum1>(of<Cube>(x), -1.5, 2.0); }},
        NodeCase{"Product",
                 [](Inputs& x) {
                     return binary<Product>(of<Exponential>(x, 0.0, 1.0, 0.4), of<Cube>(x), 0.7);
                 }},
        NodeCase{"Division",
                 [](Inputs& x) {
                     return binary<Division>(of<Logarithm>(x, 1.0, 0.0, 0.0), of<Square>(x), 1.3);
                 }},
        NodeCase{"Sum2",
                 [](Inputs& x) {
                     return binary<Sum2>(of<Inverse>(x), of<Power>(x, 1.0, 1.5, 0.0), 2.0, -1.0,
                                         0.5);
                 }},
        NodeCase{"Sum",
                 [](Inputs& x) -> Expression* {
                     auto* s = new Sum;
                     s->number_of_terms(3);
                     s->tie_(smoothChild(x), static_cast<Expression*>(of<Cube>(x)),
                             static_cast<Expression*>(of<Exponential>(x, 0.0, 1.0, 0.4)));
                     s->set_scalars_(2.0, -3.0, 0.5, 0.25);
                     return s;
                 }},
        NodeCase{"Geom", powerMean},
        NodeCase{"SelectorNegative", [](Inputs& x) { return selector(x, -5); }},
        NodeCase{"SelectorPositive", [](Inputs& x) { return selector(x, 5); }}),
    [](const ::testing::TestParamInfo<NodeCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- printed checks

class PrintedChecks : public ::testing::Test {
   protected:
    void SetUp() override {
        sq.tie1(x[0]);
        testing::sized(sq, 1);
    }
    Inputs x{1};
    Square sq;
};

TEST_F(PrintedChecks, TableOfTheFullFormLeavesTheNodeEvaluatedAtThePoint) {
    double at[] = {3}, h[] = {0.5};
    EXPECT_EQ(testing::printed([&](FILE* f) { sq.check2(f, at, h); }),
              "d2 ana. ( 0 , 0 )                      2\n"
              "   num.                                2\n\n\n");
    EXPECT_EQ(sq.value(), 9.0);  // left evaluated at x
}

TEST_F(PrintedChecks, NodeMadeOverAnEvaluatedGraphIsCheckedAtEachPerturbedPoint) {
    // A node tied over children evaluated before it was made: its first perturbed
    // evaluation took the children's values at the last point, and the check printed half
    // the derivative of x^2 squared (x^4: 4 x^3 = 108 at 3) for a right node.
    testing::evaluate(sq, {3.0}, 1);
    sq.holdAsMember();  // a member of the fixture: its new parent must not delete it
    Square outer;
    outer.tie1(sq);
    testing::sized(outer, 1);
    double at[] = {3}, h[] = {1e-4};
    const std::string text = testing::printed([&](FILE* f) { outer.check1(f, at, h); });
    const auto numeric = text.find("num.");
    ASSERT_NE(numeric, std::string::npos) << text;
    EXPECT_NEAR(std::stod(text.substr(numeric + 4)), 108.0, 1e-5) << text;
    EXPECT_EQ(outer.value(), 81.0);
}

// The whole check of f = x0 x1^2 over three variables, parsed: the dependencies (x2 none),
// the value, then every stored index tuple of orders 1 to 4 in increasing order, each
// analytic entry equal to the closed form and its central difference beside it.
TEST(PrintedCheckOfEveryOrder, NamesEachTupleOnceWithTheClosedFormAndItsDifference) {
    Inputs x{3};
    std::unique_ptr<Expression> f(binary<Product>(&x[0], over<Square>(&x[1]), 1.0));
    f->setName("f");
    testing::sized(*f, 3);
    double at[] = {1.5, -2.0, 0.7}, h[] = {1e-3, 1e-3, 1e-3};
    const std::string text = testing::printed([&](FILE* out) { f->checkall(out, at, h); });
    ASSERT_EQ(text.rfind("Dependencies of f\n\tvar 0 : 1\n\tvar 1 : 1\n\tvar 2 : 0\n\n\n", 0), 0u)
        << text;
    // counts[v]: how often variable v occurs in the tuple.
    auto exact = [&](const std::vector<int>& c) {
        if (c[2] > 0 || c[0] > 1 || c[1] > 2) return 0.0;
        const double a = c[0] == 0 ? at[0] : 1.0;
        const double b = c[1] == 0 ? at[1] * at[1] : c[1] == 1 ? 2 * at[1] : 2.0;
        return a * b;
    };
    std::istringstream in(text);
    std::vector<std::vector<int>> tuples;
    bool valueSeen = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Value", 0) == 0) {
            EXPECT_FALSE(valueSeen);
            valueSeen = true;
            EXPECT_NEAR(std::stod(line.substr(5)), exact({0, 0, 0}), 1e-12);
            continue;
        }
        if (line.find("ana.") == std::string::npos) continue;
        const auto open = line.find('('), close = line.find(')');
        ASSERT_NE(open, std::string::npos) << line;
        std::vector<int> tuple;
        std::string inside = line.substr(open + 1, close - open - 1);
        for (char& ch : inside)
            if (ch == ',') ch = ' ';
        std::istringstream indices(inside);
        for (int i; indices >> i;) tuple.push_back(i);
        std::vector<int> counts(3, 0);
        for (int i : tuple) ++counts[i];
        const double analytic = std::stod(line.substr(close + 1));
        std::string next;
        ASSERT_TRUE(std::getline(in, next));
        ASSERT_NE(next.find("num."), std::string::npos) << next;
        const double numeric = std::stod(next.substr(next.find("num.") + 4));
        const double want = exact(counts);
        EXPECT_NEAR(analytic, want, 1e-5 * (1 + std::fabs(want))) << line;
        EXPECT_NEAR(numeric, want, 1e-5 * (1 + std::fabs(want))) << next;
        tuples.push_back(tuple);
    }
    EXPECT_TRUE(valueSeen);
    // 3 + 6 + 10 + 15 tuples, by order, each non-increasing, in increasing (i, j, k, l).
    ASSERT_EQ(tuples.size(), 34u);
    for (size_t m = 1; m < tuples.size(); ++m) {
        for (size_t d = 1; d < tuples[m].size(); ++d) EXPECT_LE(tuples[m][d], tuples[m][d - 1]);
        if (tuples[m].size() == tuples[m - 1].size())
            EXPECT_LT(tuples[m - 1], tuples[m]);
        else
            EXPECT_EQ(tuples[m].size(), tuples[m - 1].size() + 1);
    }
    EXPECT_EQ(f->value(), exact({0, 0, 0}));  // left evaluated at x
}

// The one-variable checks of f = x0 x1^3 in x1 at (1.5, -2): each order's pure derivative,
// analytic and by the central difference of the order below, then the graph left
// evaluated at the point; a variable the graph does not have prints nothing.
TEST(PrintedPureChecks, EachOrderGivesTheClosedFormAndItsDifference) {
    Inputs x{2};
    std::unique_ptr<Expression> f(binary<Product>(&x[0], over<Cube>(&x[1]), 1.0));
    testing::sized(*f, 2);
    double at[] = {1.5, -2.0};
    const double h = 1e-3;
    // x0 x1^3, 3 x0 x1^2, 6 x0 x1, 6 x0, 0.
    const double pure[] = {-12.0, 18.0, -18.0, 9.0, 0.0};
    auto check = [&](int K, FILE* out) {
        switch (K) {
            case 1: f->check1(out, 1, at, h); break;
            case 2: f->check2(out, 1, at, h); break;
            case 3: f->check3(out, 1, at, h); break;
            default: f->check4(out, 1, at, h); break;
        }
    };
    for (int K = 1; K <= 4; ++K) {
        const std::string text = testing::printed([&](FILE* out) { check(K, out); });
        const std::string head =
            K == 1 ? "Value    -12\n\nd1. ana. " : "d" + std::to_string(K) + " ana. ";
        ASSERT_EQ(text.rfind(head, 0), 0u) << text;
        const auto numeric = text.find("num. ");
        ASSERT_NE(numeric, std::string::npos) << text;
        EXPECT_NEAR(std::stod(text.substr(head.size())), pure[K], 1e-12) << text;
        // The difference of a cubic is off by h^2 times its third derivative's sixth.
        EXPECT_NEAR(std::stod(text.substr(numeric + 5)), pure[K], 1e-5) << text;
        EXPECT_EQ(text.substr(text.size() - 3), "\n\n\n") << text;
        EXPECT_EQ(f->value(), -12.0) << K;  // left evaluated at x
    }
    EXPECT_EQ(testing::printed([&](FILE* out) { f->check1(out, 2, at, h); }), "");
}

}  // namespace
}  // namespace vornex
