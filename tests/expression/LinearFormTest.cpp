// Linear, quadratic and cubic forms over a range of graph variables: direct evaluation over
// every ordered index tuple with the full symmetric coefficient tensor, central
// differences, pure derivatives, formula lines and a range outside the graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "NodeTestSupport.h"
#include "expression/PolyVar.h"

namespace vornex {
namespace {

using testing::expectDerivatives;
using testing::expectMatchesDifferences;
using testing::formula;

class LinearForms : public ::testing::Test {
   protected:
    // Six graph variables; the forms read x_0 ... x_2 at graph variables 2, 3, 4.
    static constexpr int kFirst = 2;
    static constexpr int kCount = 3;
    std::vector<double> at{0.4, -0.7, 0.3, -1.2, 0.8, 2.5};

    // Coefficient of an index tuple in any order, from the packed table of the degree.
    static double coefficient(const std::vector<double>& a, std::vector<int> idx) {
        std::sort(idx.rbegin(), idx.rend());
        switch (idx.size()) {
            case 1:
                return a[idx[0]];
            case 2:
                return a[packedPair(idx[0], idx[1])];
            default:
                return a[packedTriple(idx[0], idx[1], idx[2])];
        }
    }

    // Derivative of the symmetric form sum over ordered tuples a(t) x_t1 ... x_td, with
    // counts[v] derivatives in graph variable v: d!/(d-k)! times the sum over the ordered
    // tuples of the remaining d - k indices.
    double form(const std::vector<double>& a, int d, const std::vector<int>& counts) const {
        std::vector<int> fixed;
        for (int v = 0; v < static_cast<int>(counts.size()); ++v) {
            for (int c = 0; c < counts[v]; ++c) {
                if (v < kFirst || v >= kFirst + kCount) return 0;
                fixed.push_back(v - kFirst);
            }
        }
        const int k = static_cast<int>(fixed.size());
        if (k > d) return 0;
        double factor = 1;
        for (int m = 0; m < k; ++m) factor *= d - m;
        double sum = 0;
        std::vector<int> rest(d - k, 0);
        for (;;) {
            std::vector<int> t = fixed;
            double product = 1;
            for (int r : rest) {
                t.push_back(r);
                product *= at[kFirst + r];
            }
            sum += coefficient(a, t) * product;
            int p = d - k - 1;
            while (p >= 0 && ++rest[p] == kCount) rest[p--] = 0;
            if (p < 0) break;
        }
        return factor * sum;
    }

    static void fill(Linear& f, double seed) {
        for (int m = 0; m < f.numberOfCoefficients; ++m)
            f.coefficients[m] = std::sin(seed + 1.7 * m) + 0.1 * m;
    }
};

TEST_F(LinearForms, EachFormMatchesDirectEvaluationDifferencesAndItsPureDerivatives) {
    LineaX l;
    LineaX2 q;
    LineaX3 c;
    Linear* forms[] = {&l, &q, &c};
    for (int degree = 1; degree <= 3; ++degree) {
        Linear& f = *forms[degree - 1];
        f.defineXVariables(kFirst, kCount);
        fill(f, 0.3 + degree);
        testing::evaluate(f, at, 4);
        expectDerivatives(
            f, 4, [&](const std::vector<int>& c) { return form(f.coefficients, degree, c); },
            1e-14);
        expectMatchesDifferences(f, at, 1e-3, 1e-7);
        testing::expectPureIsDiagonal(f, at, 1e-14);
    }
}

TEST_F(LinearForms, PackingDependenciesAndNewCoefficients) {
    LineaX3 c;
    c.defineXVariables(kFirst, kCount);
    EXPECT_EQ(c.numberOfCoefficients, 10);
    testing::evaluate(c, at, 3);
    for (int v : {0, 1, 5}) EXPECT_FALSE(c.isDependent(v));
    for (int v : {2, 3, 4}) EXPECT_TRUE(c.isDependent(v));

    LineaX l;
    l.defineXVariables(kFirst, kCount);
    l.set_scalars_(1.0, 2.0, 3.0);
    testing::evaluate(l, at, 1);
    l.set_scalars_(-1.0, 0.0, 0.5);
    l.calculate(1);  // no initialisation: the new coefficients mark the form for recalculation
    EXPECT_DOUBLE_EQ(l.value(), -at[2] + 0.5 * at[4]);
    EXPECT_EQ(l.d1(3), 0);
    EXPECT_EQ(l.d1(4), 0.5);
    l.clean(1);  // the value and the first derivatives of the range
    EXPECT_EQ(l.value(), 0.0);
    EXPECT_EQ(l.d1(2), 0.0);
    EXPECT_EQ(l.d1(4), 0.0);

    // The bare range reads its variables and has no coefficients.
    Linear range;
    range.defineXVariables(kFirst, kCount);
    EXPECT_EQ(range.numberOfCoefficients, 0);
    EXPECT_TRUE(range.coefficients.empty());
    range.number_of_variables(static_cast<int>(at.size()));
    range.set_variable_values(at.data());
    EXPECT_EQ(range.x, (std::vector<double>{at[2], at[3], at[4]}));
    for (int v : {0, 1, 5}) EXPECT_FALSE(range.isDependent(v));
    for (int v : {2, 3, 4}) EXPECT_TRUE(range.isDependent(v));
}

TEST_F(LinearForms, FormulaLineWithSignsAndSymmetryFactors) {
    LineaX3 c;
    c.setName("c");
    c.defineXVariables(2, 3);
    c.coefficients[0] = -2;
    c.coefficients[packedTriple(2, 1, 0)] = -1;
    c.coefficients[packedTriple(2, 2, 1)] = 1;
    EXPECT_EQ(formula(c), "c = -2 var2 var2 var2 - 6 * var4 var3 var2 + 3 * var4 var4 var3 \n");
}

TEST_F(LinearForms, RangeBeyondTheGraphIsReportedAndNothingIsWritten) {
    LineaX2 q;
    q.setName("q");
    q.defineXVariables(4, 3);  // variables 4 to 6 of a graph of 6
    q.coefficients.assign(6, 1.0);
    EXPECT_EQ(testing::stderrOf([&] { testing::evaluate(q, at, 4); }),
              "Error : \"q\" reads variables 4 to 6 of a graph of 6.\n");
    const double* b = q.block();
    EXPECT_TRUE(std::all_of(b, b + q.layout().size(), [](double v) { return v == 0; }));
}

}  // namespace
}  // namespace vornex
