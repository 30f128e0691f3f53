// Composition products and sums: monomials against their closed form, sums of degree 2 to 5
// against brute-force sums over every ordered index tuple (built from products in another
// graph) to fourth order, central differences, pure derivatives, formula lines, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/ExprArrays.h"
#include "expression/Sum.h"
#include "expression/SumF.h"
#include "expression/UnOp.h"

namespace vornex {
namespace {

using testing::binary;
using testing::entry;
using testing::expectDerivatives;
using testing::expectMatchesDifferences;
using testing::forEachIndexSet;
using testing::formula;
using testing::Inputs;
using testing::over;
using testing::printed;

// Every sorted index set (non-increasing, d indices below n) in table order.
void forEachSortedSet(int d, int n, const std::function<void(const std::vector<int>&)>& fn) {
    forEachIndexSet(n, d, [&](int order, const int* idx) {
        if (order == d) fn(std::vector<int>(idx, idx + d));
    });
}

// Every ordered index tuple of d indices below n.
void forEachTuple(int d, int n, const std::function<void(const std::vector<int>&)>& fn) {
    std::vector<int> idx(d, 0);
    for (;;) {
        fn(idx);
        int p = d - 1;
        while (p >= 0 && ++idx[p] == n) idx[p--] = 0;
        if (p < 0) return;
    }
}

void tieAt(SumF& sum, const std::vector<int>& s, Expression* child) {
    if (auto* x2 = dynamic_cast<SumX2*>(&sum)) x2->tie_ij(s[0], s[1], child);
    if (auto* x3 = dynamic_cast<SumX3*>(&sum)) x3->tie_ijk(s[0], s[1], s[2], child);
    if (auto* x4 = dynamic_cast<SumX4*>(&sum)) x4->tie_ijkl(s[0], s[1], s[2], s[3], child);
    if (auto* x5 = dynamic_cast<SumX5*>(&sum)) x5->tie_ijklm(s[0], s[1], s[2], s[3], s[4], child);
}

std::unique_ptr<SumF> makeSum(int degree) {
    if (degree == 2) return std::make_unique<SumX2>();
    if (degree == 3) return std::make_unique<SumX3>();
    if (degree == 4) return std::make_unique<SumX4>();
    return std::make_unique<SumX5>();
}

// ---------------------------------------------------------------- products

class CompositionProducts : public ::testing::Test {
   protected:
    std::vector<double> x{0.3, 0.7, 0.2, 0.5, 0.3};

    template <class P>
    void size(P& p, int s, int n) {
        p.setComposition(n);
        p.setStartingIndex(s);
        p.number_of_variables(s + n);
        p.set_variable_values(x.data());
    }
    // Value and every derivative of the monomial of the given graph indices, closed form.
    static double monomial(const std::vector<double>& x, const std::vector<int>& gidx,
                           const std::vector<int>& counts) {
        std::vector<int> m(x.size(), 0);
        for (int g : gidx) ++m[g];
        double r = 1;
        for (size_t v = 0; v < x.size(); ++v) {
            if (counts[v] > m[v]) return 0;
            for (int k = 0; k < counts[v]; ++k) r *= m[v] - k;
            r *= std::pow(x[v], m[v] - counts[v]);
        }
        return r;
    }
};

TEST_F(CompositionProducts, EveryCodeOfEveryDegreeMatchesClosedFormAndIsCleanedByTheNext) {
    VarX2 p2;
    VarX3 p3;
    VarX4 p4;
    VarX5 p5;
    VarF* products[] = {&p2, &p3, &p4, &p5};
    // Index values by position for each code: i > j > k > l > m are 2 > 1 > 0 (the codes
    // of degree 5 with five distinct values need five components: use n = 5 there).
    for (VarF* p : products) {
        const int d = p->degree();
        const int n = d;
        std::vector<double> values{0.9, 1.1, 0.4, 0.7, 1.3, 0.6, 0.8};
        x.assign(values.begin(), values.begin() + 2 + n);
        size(*p, 2, n);
        for (short code = 0; code < (1 << (d - 1)); ++code) {
            std::vector<int> idx(d);
            int current = n - 1;
            idx[0] = current;
            for (int q = 1; q < d; ++q) {
                if ((code >> (d - 1 - q)) & 1) --current;
                idx[q] = current;
            }
            const int* s = idx.data();
            if (d == 2) p2.components(s[0], s[1], code);
            if (d == 3) p3.components(s[0], s[1], s[2], code);
            if (d == 4) p4.components(s[0], s[1], s[2], s[3], code);
            if (d == 5) p5.components(s[0], s[1], s[2], s[3], s[4], code);
            p->calculate(4);
            std::vector<int> gidx;
            for (int i : idx) gidx.push_back(i + 2);
            expectDerivatives(
                *p, 4, [&](const std::vector<int>& c) { return monomial(x, gidx, c); }, 1e-14);
            for (int v = 0; v < 2 + n; ++v) {
                EXPECT_EQ(p->isDependent(v), std::find(gidx.begin(), gidx.end(), v) != gidx.end());
            }
            // The one-variable form writes the same full set: the variable is not used.
            p->calculate(4, 0);
            expectDerivatives(
                *p, 4, [&](const std::vector<int>& c) { return monomial(x, gidx, c); }, 1e-14);
        }
        // The general product depends on its whole composition block, whatever the set.
        for (int v = 0; v < 2 + n + 1; ++v) EXPECT_EQ(p->VarF::isDependent(v), v >= 2 && v < 2 + n);
        // The next set cleans every entry the last one wrote: the block is all zero.
        const int zero[5] = {0, 0, 0, 0, 0};
        p->select(zero, 0);
        const double* b = p->block();
        EXPECT_TRUE(std::all_of(b, b + p->layout().size(), [](double v) { return v == 0; }))
            << "degree " << d;
    }
}

TEST_F(CompositionProducts, OrderConventionAndCodesOutsideTheTable) {
    VarX3 p;
    size(p, 2, 3);
    p.components(2, 1, 1, 2);  // (i, j, j): x2 x1^2 at graph variables 4, 3
    p.calculate(0);
    EXPECT_DOUBLE_EQ(p.value(), 0.3 * 0.5 * 0.5);
    EXPECT_EQ(p.d1(4), 0);
    p.calculate(-1);  // all orders
    EXPECT_DOUBLE_EQ(p.d3(4, 3, 3), 2);
    EXPECT_TRUE(p.isDependent(4) && p.isDependent(3) && !p.isDependent(2));
    p.components(2, 1, 0, 9);  // a code outside the table reads as (i, i, i)
    p.calculate(4);
    EXPECT_DOUBLE_EQ(p.value(), 0.3 * 0.3 * 0.3);
    EXPECT_DOUBLE_EQ(p.d3(4, 4, 4), 6);
    EXPECT_EQ(p.d3(4, 3, 3), 0);
}

// ---------------------------------------------------------------- sums

// Graph variables T, x0 ... x(nc-1), V: the composition block starts at 1, so that the
// children depend on variables on both sides of it. Children k*T^2*exp(c*V)*(1 + 0.3 x_m)
// differ per index set and also depend on one composition variable.
class CompositionSums : public ::testing::Test {
   protected:
    static constexpr int kComponents = 3;
    static constexpr int kStart = 1;
    Inputs in{2 + kComponents};
    std::vector<double> at{1.3, 0.25, 0.45, 0.3, 0.8};

    Expression* child(int k) {
        auto* tv = binary<Product>(over<Square>(&in[0]),
                                   over<Exponential>(&in[4], 0.0, 1.0, 0.3 - 0.2 * k), 1 + 0.5 * k);
        return binary<Product>(tv, over<Sum1>(&in[kStart + k % kComponents], 0.3, 1.0));
    }

    // The sum of degree d and, in `reference`, the sum over every ordered tuple of
    // x_i1 ... x_id u_sorted, sharing the children.
    std::unique_ptr<SumF> build(int d, Sum& reference) {
        auto sum = makeSum(d);
        sum->defineXVariables(kStart, kComponents);
        std::map<std::vector<int>, Expression*> children;
        int k = 0;
        forEachSortedSet(d, kComponents, [&](const std::vector<int>& s) {
            children[s] = child(k++);
            tieAt(*sum, s, children[s]);
        });
        std::vector<Expression*> terms;
        forEachTuple(d, kComponents, [&](const std::vector<int>& t) {
            std::vector<int> s = t;
            std::sort(s.rbegin(), s.rend());
            Expression* chain = children[s];
            for (int i : t) chain = binary<Product>(&in[kStart + i], chain);
            terms.push_back(chain);
        });
        reference.number_of_terms(static_cast<int>(terms.size()));
        for (size_t i = 0; i < terms.size(); ++i) {
            reference.tieip(static_cast<int>(i), terms[i]);
            reference.set_scalar(static_cast<int>(i), 1);
        }
        return sum;
    }
};

TEST_F(CompositionSums, EveryDegreeMatchesOrderedTuplesDifferencesAndItsPureDerivatives) {
    for (int d = 2; d <= 5; ++d) {
        Sum reference;
        auto sum = build(d, reference);
        testing::evaluate(*sum, at, 4);
        testing::evaluate(reference, at, 4);
        EXPECT_NEAR(sum->value(), reference.value(), 1e-13 * std::fabs(reference.value()));
        forEachIndexSet(2 + kComponents, 4, [&](int order, const int* idx) {
            const double want = entry(reference, order, idx);
            EXPECT_NEAR(entry(*sum, order, idx), want, 1e-12 * (1 + std::fabs(want)))
                << "degree " << d << " order " << order << " at " << idx[0];
        });
        expectMatchesDifferences(*sum, at, 1e-3, 1e-6);
        testing::expectPureIsDiagonal(*sum, at, 1e-12);
    }
}

TEST_F(CompositionSums, ConstantChildrenGiveThePowerOfTheCompositionSum) {
    for (int d = 2; d <= 5; ++d) {
        auto sum = makeSum(d);
        sum->defineXVariables(kStart, kComponents);
        forEachSortedSet(d, kComponents, [&](const std::vector<int>& s) {
            tieAt(*sum, s, testing::withScalars(new KVar, 1.0));
        });
        testing::evaluate(*sum, at, 2);
        const double total = at[1] + at[2] + at[3];
        EXPECT_NEAR(sum->value(), std::pow(total, d), 1e-14);
        EXPECT_NEAR(sum->d1(kStart + 2), d * std::pow(total, d - 1), 1e-13);
        EXPECT_FALSE(sum->isDependent(0) || sum->isDependent(4));
        std::vector<double> x{0.5, 0.2, 0.1};  // a new composition hands over
        sum->set_xvariables(x.data());
        sum->calculate(2);
        EXPECT_NEAR(sum->value(), std::pow(0.8, d), 1e-14) << "degree " << d;
    }
}

// A name is searched in the sum, then in its children in order; the product is no child.
TEST_F(CompositionSums, ANameIsFoundInTheSumOrItsChildren) {
    SumX2 sum;
    sum.setName("a mix");
    sum.defineXVariables(kStart, 2);
    auto* second = testing::withScalars(new KVar, 2.0);
    second->setName("a11");
    sum.tie_ij(0, 0, testing::withScalars(new KVar, 1.0));
    sum.tie_ij(1, 0, testing::withScalars(new KVar, 1.5));
    sum.tie_ij(1, 1, second);
    EXPECT_EQ(sum.findByName("a mix"), &sum);
    EXPECT_EQ(sum.findByName("a11"), second);
    EXPECT_EQ(sum.findByName("noname"), nullptr);
    sum.product->setName("x x");
    EXPECT_EQ(sum.findByName("x x"), nullptr);
}

TEST_F(CompositionSums, FormulaLineFollowsTheVisitingOrder) {
    // Constant children named after their index set, u10 at (1, 0).
    auto tieNamed = [](SumF& sum, int d) {
        sum.defineXVariables(2, 2);
        forEachSortedSet(d, 2, [&](const std::vector<int>& s) {
            std::string name = "u";
            for (int i : s) name += std::to_string(i);
            auto* k = new KVar;
            k->setName(name.c_str());
            tieAt(sum, s, k);
        });
    };
    SumX3 s3;
    tieNamed(s3, 3);
    EXPECT_EQ(formula(s3),
              "noname =  u000 x0 x0 x0 +  u111 x1 x1 x1 + 3 u110 x1 x1 x0 + 3 u100 x1 x0 x0 \n");
}

TEST_F(CompositionSums, BadTieIndexesAreReportedAndNothingIsStored) {
    SumX2 s2;
    s2.defineXVariables(2, 3);
    KVar k;
    k.holdAsMember();
    EXPECT_EQ(testing::stderrOf([&] {
                  s2.tie_ij(1, 2, &k);
                  s2.tie_ij(3, 0, &k);
              }),
              "Error : bad 1 and 2 indexes are specified to noname.\n"
              "Error : bad 3 and 0 indexes are specified to noname.\n");
    EXPECT_EQ(k.parentCount, 1);
}

TEST_F(CompositionSums, EmptyEntriesAreReportedByThePointerCheck) {
    // Degree four: one line per innermost row with an empty entry.
    SumX4 s4;
    s4.setName("s4");
    s4.defineXVariables(2, 2);
    s4.tie_ijkl(0, 0, 0, 0, new KVar);
    s4.tie_ijkl(1, 1, 1, 1, new KVar);
    EXPECT_EQ(printed([&](FILE* f) { s4.check_pointers(f); }),
              "Error : \"s4\" (1,0,0,0) is not linked.\n"
              "Error : \"s4\" (1,1,0,0) is not linked.\n"
              "Error : \"s4\" (1,1,1,0) is not linked.\n");
}

TEST_F(CompositionSums, CalculationWithAnEmptyEntryReportsAndLeavesTheSumClean) {
    SumX2 s2;
    s2.defineXVariables(kStart, 2);
    s2.tie_ij(0, 0, child(0));
    s2.tie_ij(1, 1, child(1));
    EXPECT_NE(testing::stderrOf([&] {
                  testing::evaluate(s2, at, 4);
              }).find("Error : \"noname\" is not linked to another expression.\n"),
              std::string::npos);
    EXPECT_EQ(s2.value(), 0);
    EXPECT_EQ(s2.d1(2), 0);
}

TEST_F(CompositionSums, OrderAboveFourDoesNotAccumulateFromCallToCall) {
    Sum reference;
    auto sum = build(3, reference);
    testing::evaluate(*sum, at, 4);
    const std::vector<double> once(sum->block(), sum->block() + sum->layout().size());
    for (int order : {5, -1, 5}) {
        sum->initialize_the_graph();
        sum->calculate(order);
        for (size_t m = 0; m < once.size(); ++m) {
            EXPECT_NEAR(sum->block()[m], once[m], 1e-13 * (1 + std::fabs(once[m])))
                << "order " << order << " entry " << m;
        }
        sum->initialize_the_graph();
        sum->calculate(order, 3);
        EXPECT_NEAR(sum->d4(3, 3, 3, 3), once[sum->layout().at(3, 3, 3, 3)], 1e-12);
    }
}

TEST_F(CompositionSums, PureFirstOrderWritesTheValueAndOneDerivativeOnly) {
    Sum reference;
    auto sum = build(3, reference);
    testing::sized(*sum, 5);
    sum->evaluateAt(at.data(), 1, 3);
    EXPECT_NE(sum->d1(3), 0);
    for (int v : {0, 1, 2, 4}) EXPECT_EQ(sum->d1(v), 0);
    EXPECT_EQ(sum->d2(3, 3), 0);
}

TEST_F(CompositionSums, InstalledTableAndOwnership) {
    // A sum sized without a table of its own, with a table from the pair allocator.
    Expression*** table = nullptr;
    expression_sym2alloc(&table, 2);
    KVar kept;
    kept.holdAsMember();
    kept.set_scalars1(2);
    {
        SumX2 sum;
        sum.number_of_terms(2);
        EXPECT_EQ(sum.starting_index(2), 4);
        sum.table = table;
        sum.tie_ij(0, 0, &kept);
        auto* heap = new KVar;
        heap->set_scalars1(3);
        sum.tie_ij(1, 0, heap);
        sum.tie_ij(1, 1, &kept);
        std::vector<double> x{0, 0, 0.5, 0.25};
        testing::evaluate(sum, x, 1);
        EXPECT_DOUBLE_EQ(sum.value(), 0.25 * 2 + 2 * 0.125 * 3 + 0.0625 * 2);
        EXPECT_EQ(kept.parentCount, 3);
    }  // releases its children: the heap one goes, the member stays
    EXPECT_EQ(kept.parentCount, 1);
    expression_sym2free(&table);

    // A sum held as a member of its owner leaves the children to the owner.
    auto* owned = new KVar;
    {
        SumX2 member;
        member.holdAsMember();
        member.defineXVariables(2, 1);
        member.tie_ij(0, 0, owned);
    }
    EXPECT_EQ(owned->parentCount, 1);
    delete owned;
}

// A sum given another component count drops its own table, releasing the children there; the
// table made for the new count takes new children.
TEST_F(CompositionSums, ResizedSumDropsItsTableAndChildren) {
    for (int d = 2; d <= 5; ++d) {
        KVar kept;
        kept.holdAsMember();
        kept.set_scalars1(1.0);
        auto sum = makeSum(d);
        sum->defineXVariables(kStart, 2);
        int sets = 0;
        forEachSortedSet(d, 2, [&](const std::vector<int>& s) {
            tieAt(*sum, s, &kept);
            ++sets;
        });
        EXPECT_EQ(kept.parentCount, 1 + sets) << "degree " << d;
        sum->defineXVariables(kStart, kComponents);
        EXPECT_EQ(kept.parentCount, 1) << "degree " << d;
        forEachSortedSet(d, kComponents, [&](const std::vector<int>& s) {
            tieAt(*sum, s, testing::withScalars(new KVar, 1.0));
        });
        testing::evaluate(*sum, {1.3, 0.5, 0.2, 0.1, 0.8}, 1);
        EXPECT_NEAR(sum->value(), std::pow(0.8, d), 1e-14) << "degree " << d;
    }
}

}  // namespace
}  // namespace vornex
