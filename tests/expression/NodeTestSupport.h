// Helpers of the expression-graph tests: graphs over FVar inputs, exact derivative tables
// to compare against, Richardson-extrapolated central differences, pure derivatives against
// the full pass, captured printing.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "expression/Expression.h"
#include "expression/Function.h"
#include "numerics/TextCapture.h"

namespace vornex::testing {

// Calls fn(order, indices) for every stored index set of orders 1 to maxOrder, in packed
// order (indices non-increasing).
inline void forEachIndexSet(int n, int maxOrder, const std::function<void(int, const int*)>& fn) {
    int idx[5];
    std::function<void(int, int, int)> level = [&](int order, int depth, int top) {
        if (depth == order) return fn(order, idx);
        for (idx[depth] = 0; idx[depth] <= top; ++idx[depth]) level(order, depth + 1, idx[depth]);
    };
    for (int order = 1; order <= maxOrder; ++order) level(order, 0, n - 1);
}

inline double& entry(Expression& e, int order, const int* idx) {
    return e.block()[order == 1   ? e.layout().at(idx[0])
                     : order == 2 ? e.layout().at(idx[0], idx[1])
                     : order == 3 ? e.layout().at(idx[0], idx[1], idx[2])
                                  : e.layout().at(idx[0], idx[1], idx[2], idx[3])];
}

// Compares value and every derivative to maxOrder with exact(counts), counts[v] being how
// often variable v occurs in the index set (all 0: the value), to a relative tolerance.
inline void expectDerivatives(Expression& e, int maxOrder,
                              const std::function<double(const std::vector<int>&)>& exact,
                              double tolerance) {
    const int n = e.numberOfVariables();
    const double v = exact(std::vector<int>(n, 0));
    EXPECT_NEAR(e.value(), v, tolerance * (1 + std::fabs(v)));
    forEachIndexSet(n, maxOrder, [&](int order, const int* idx) {
        std::vector<int> counts(n, 0);
        for (int m = 0; m < order; ++m) ++counts[idx[m]];
        const double want = exact(counts);
        EXPECT_NEAR(entry(e, order, idx), want, tolerance * (1 + std::fabs(want)))
            << "order " << order << " first index " << idx[0];
    });
}

// n FVar inputs x_0 ... x_(n-1) (member nodes of the fixture, never deleted by parents).
struct Inputs {
    explicit Inputs(int n) : vars(n) {
        for (int i = 0; i < n; ++i) {
            vars[i].variableIndex = i;
            vars[i].holdAsMember();
            vars[i].setName(("x" + std::to_string(i)).c_str());
        }
    }
    FVar& operator[](int i) { return vars[i]; }
    std::vector<FVar> vars;
};

// A node of the given type with its scalars set (as many as given: set_scalars1, 2 or 3)
// over the child u, or the children u and v.
template <class Node, class... S>
Node* withScalars(Node* node, S... s) {
    if constexpr (sizeof...(S) == 1) node->set_scalars1(s...);
    if constexpr (sizeof...(S) == 2) node->set_scalars2(s...);
    if constexpr (sizeof...(S) == 3) node->set_scalars3(s...);
    return node;
}
template <class Node, class... S>
Node* over(Expression* u, S... s) {
    auto* node = withScalars(new Node, s...);
    node->tiep1(u);
    return node;
}
template <class Node, class... S>
Node* binary(Expression* u, Expression* v, S... s) {
    auto* node = withScalars(new Node, s...);
    node->tiep2(u, v);
    return node;
}

// Sizes a graph for n variables and analyses its dependencies.
inline void sized(Expression& root, int n) {
    root.number_of_variables(n);
    root.analyze_dependencies();
}

// Sizes, analyses and evaluates a graph at x to the given order.
inline void evaluate(Expression& root, std::vector<double> x, int order) {
    sized(root, static_cast<int>(x.size()));
    root.initialize_the_graph();
    root.set_variable_values(x.data());
    root.calculate(order);
}

// What a printing operation writes to its stream.
inline std::string printed(const std::function<void(FILE*)>& print) {
    FILE* f = std::tmpfile();
    print(f);
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, got);
    std::fclose(f);
    return text;
}

using test::stderrOf;
using test::stdoutOf;

// The formula line a node prints.
inline std::string formula(Expression& node) {
    return printed([&](FILE* f) { node.printFormula(f); });
}

// Richardson-extrapolated central differences of order K: (4 D(h/2) - D(h)) / 3.
inline std::vector<double> richardson(Expression& root, int K, const std::vector<double>& x,
                                      double step) {
    std::vector<double> h(x.size(), step), h2(x.size(), step / 2), coarse, fine;
    root.centralDifferences(K, x.data(), h.data(), coarse);
    root.centralDifferences(K, x.data(), h2.data(), fine);
    for (size_t m = 0; m < fine.size(); ++m) fine[m] = (4 * fine[m] - coarse[m]) / 3;
    return fine;
}

// Every analytic entry of orders 1 to 4 against the extrapolated differences.
inline void expectMatchesDifferences(Expression& root, const std::vector<double>& x, double step,
                                     double tolerance) {
    for (int K = 1; K <= 4; ++K) {
        const std::vector<double> numeric = richardson(root, K, x, step);
        root.evaluateAt(x.data(), K);
        const double* analytic = root.block() + root.layout().offset[K];
        for (size_t m = 0; m < numeric.size(); ++m) {
            EXPECT_NEAR(analytic[m], numeric[m], tolerance * (1 + std::fabs(numeric[m])))
                << root.getType() << " order " << K << " entry " << m;
        }
    }
}

// The pure pass in each variable, on a cleared block, writes the value and the diagonal
// entries of the full pass, and nothing else.
inline void expectPureIsDiagonal(Expression& root, const std::vector<double>& x, double tolerance) {
    for (int var = 0; var < root.numberOfVariables(); ++var) {
        root.evaluateAt(x.data(), 4);
        std::vector<double> full;
        for (int k = 0; k <= 4; ++k) full.push_back(root.block()[root.layout().diagonal(var, k)]);
        root.clean(4);
        root.evaluateAt(x.data(), 4, var);
        for (int k = 0; k <= 4; ++k) {
            EXPECT_NEAR(root.block()[root.layout().diagonal(var, k)], full[k],
                        tolerance * (1 + std::fabs(full[k])))
                << root.getType() << " variable " << var << " order " << k;
        }
        forEachIndexSet(root.numberOfVariables(), 4, [&](int order, const int* idx) {
            if (idx[0] != var || idx[order - 1] != var) {
                EXPECT_EQ(entry(root, order, idx), 0.0) << root.getType() << " variable " << var;
            }
        });
    }
}

}  // namespace vornex::testing
