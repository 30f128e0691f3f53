// Helpers of the expression-graph tests: graphs over FVar inputs, exact derivative tables
// to compare against, Richardson-extrapolated central differences, captured printing.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "expression/Expression.h"
#include "expression/Function.h"

namespace vornex::testing {

// Calls fn(order, indices) for every stored index set of orders 1 to maxOrder, in packed
// order (indices non-increasing).
inline void forEachIndexSet(int n, int maxOrder, const std::function<void(int, const int*)>& fn) {
    int idx[4];
    for (int i = 0; i < n; ++i) {
        idx[0] = i;
        if (maxOrder >= 1) fn(1, idx);
    }
    for (int i = 0; i < n && maxOrder >= 2; ++i)
        for (int j = 0; j <= i; ++j) {
            idx[0] = i, idx[1] = j;
            fn(2, idx);
        }
    for (int i = 0; i < n && maxOrder >= 3; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k) {
                idx[0] = i, idx[1] = j, idx[2] = k;
                fn(3, idx);
            }
    for (int i = 0; i < n && maxOrder >= 4; ++i)
        for (int j = 0; j <= i; ++j)
            for (int k = 0; k <= j; ++k)
                for (int l = 0; l <= k; ++l) {
                    idx[0] = i, idx[1] = j, idx[2] = k, idx[3] = l;
                    fn(4, idx);
                }
}

inline double& entry(Expression& e, int order, const int* idx) {
    switch (order) {
        case 1:
            return e.d1(idx[0]);
        case 2:
            return e.d2(idx[0], idx[1]);
        case 3:
            return e.d3(idx[0], idx[1], idx[2]);
        default:
            return e.d4(idx[0], idx[1], idx[2], idx[3]);
    }
}

// Counts of each variable in an index set: counts[v] = times v occurs.
inline std::vector<int> countsOf(int n, int order, const int* idx) {
    std::vector<int> counts(n, 0);
    for (int m = 0; m < order; ++m) ++counts[idx[m]];
    return counts;
}

// Compares value and every derivative to fourth order with exact(counts) (counts all 0: the
// value), to a relative tolerance.
inline void expectDerivatives(Expression& e, int maxOrder,
                              const std::function<double(const std::vector<int>&)>& exact,
                              double tolerance) {
    const int n = e.numberOfVariables();
    const double v = exact(std::vector<int>(n, 0));
    EXPECT_NEAR(e.value(), v, tolerance * (1 + std::fabs(v)));
    forEachIndexSet(n, maxOrder, [&](int order, const int* idx) {
        const double want = exact(countsOf(n, order, idx));
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

// Sizes, analyses and evaluates a graph at x to the given order.
inline void evaluate(Expression& root, std::vector<double> x, int order) {
    root.number_of_variables(static_cast<int>(x.size()));
    root.analyze_dependencies();
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

}  // namespace vornex::testing
