// Checks a Helmholtz term's exact derivatives, to fourth order in T, V and the mole
// fractions, against central differences of the order below.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "expression/Expression.h"
#include "fluid/Interaction.h"

namespace vornex::testing_support {

// Every index set of order k over n variables, indices non-increasing.
inline void indexSets(int n, int k, std::vector<int>& prefix, std::vector<std::vector<int>>& out) {
    if (static_cast<int>(prefix.size()) == k) {
        out.push_back(prefix);
        return;
    }
    const int top = prefix.empty() ? n - 1 : prefix.back();
    for (int i = top; i >= 0; --i) {
        prefix.push_back(i);
        indexSets(n, k, prefix, out);
        prefix.pop_back();
    }
}

inline double entry(Expression& e, const std::vector<int>& s) {
    switch (s.size()) {
        case 0:
            return e.value();
        case 1:
            return e.d1(s[0]);
        case 2:
            return *e.dvp(s[0], s[1]);
        case 3:
            return *e.dvp(s[0], s[1], s[2]);
        default:
            return *e.dvp(s[0], s[1], s[2], s[3]);
    }
}

// The term's state as the variable vector T, V, x_0 ...
inline void setState(Interaction& term, const std::vector<double>& v) {
    term.T = v[0];
    term.V = v[1];
    for (size_t i = 2; i < v.size(); ++i) term.x[i - 2] = v[i];
    term.calculate();
}

// Each derivative of order 1..4 at v against the central difference of the one of order
// k - 1 without its first index; relative tolerance tol on the larger of the entry and
// the order's largest entry times 1e-6. The volume step is volumeStep V: a dense liquid,
// whose higher volume derivatives grow fast, needs a small one. Orders above highestOrder
// are left out.
inline void expectDerivativesMatchDifferences(Interaction& term, const std::vector<double>& v,
                                              double tol = 2e-6, double volumeStep = 1e-4,
                                              int highestOrder = 4) {
    const int n = static_cast<int>(v.size());
    std::vector<double> h(v.size());
    h[0] = 1e-4 * v[0];
    h[1] = volumeStep * v[1];
    for (size_t i = 2; i < v.size(); ++i) h[i] = 1e-5;
    for (int k = 1; k <= highestOrder; ++k) {
        std::vector<std::vector<int>> sets;
        std::vector<int> prefix;
        indexSets(n, k, prefix, sets);
        setState(term, v);
        ASSERT_EQ(term.error, 0);
        std::vector<double> exact;
        double scale = 0.0;
        for (const auto& s : sets) {
            exact.push_back(entry(*term.root, s));
            scale = std::max(scale, std::fabs(exact.back()));
        }
        for (size_t m = 0; m < sets.size(); ++m) {
            const auto& s = sets[m];
            const std::vector<int> rest(s.begin() + 1, s.end());
            std::vector<double> p = v;
            p[static_cast<size_t>(s[0])] += h[static_cast<size_t>(s[0])];
            setState(term, p);
            const double plus = entry(*term.root, rest);
            p[static_cast<size_t>(s[0])] -= 2 * h[static_cast<size_t>(s[0])];
            setState(term, p);
            const double minus = entry(*term.root, rest);
            const double numeric = (plus - minus) / (2 * h[static_cast<size_t>(s[0])]);
            EXPECT_NEAR(exact[m], numeric, tol * std::max(std::fabs(exact[m]), 1e-6 * scale))
                << "order " << k << " first index " << s[0] << " entry " << m;
        }
    }
    setState(term, v);
}

}  // namespace vornex::testing_support
