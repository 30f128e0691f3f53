#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/MultiParTerms.h"
#include "fluid/PowerOfSquare.h"
#include "fluid/NonAnalyticSum.h"
#include "support/SameBlocks.h"
namespace vornex {
namespace {

// The two non-analytic terms of the water reference equation, and one with another Delta
// (its own a, B, A, beta) so that the shared and the separate Delta both serve.
const std::vector<NonAnalyticTermCoefficients>& coefficients() {
    static const std::vector<NonAnalyticTermCoefficients> k = {
        {-0.14874640856724, 3.5, 0.85, 0.2, 28.0, 700.0, 0.32, 0.3},
        {0.31806110878444, 3.5, 0.95, 0.2, 32.0, 800.0, 0.32, 0.3},
        {0.05, 3.0, 0.9, 0.3, 20.0, 500.0, 0.4, 0.35},
    };
    return k;
}

constexpr ReducingState kReducing{647.096, 0.018015268 / 322.0, 8.314371357587};

// n Delta^b delta psi as a graph of generic nodes, one per operation: theta and Delta are
// shared by the terms with the same a, B, A and beta, as a builder term by term would.
class GenericNonAnalytic {
   public:
    GenericNonAnalytic(TermNodes& nodes, ReducedLeaves& leaves, MultiParBuilder& build)
        : nodes_(nodes), leaves_(leaves), build_(build) {}

    Expression& term(int i, const NonAnalyticTermCoefficients& k) {
        const std::string n = std::to_string(i);
        Expression& deltaSq = square("deltam1sq", build_.shifted("deltam1", leaves_.delta(), 1.0));
        Expression& tauShift = build_.shifted("taum1", leaves_.tau(), 1.0);
        Expression& tauSq = square("taum1sq", tauShift);
        auto& exponent = tied<Sum2>(nodes_, "expophi" + n, deltaSq, tauSq);
        exponent.set_scalars3(-k.C, -k.D, 0.0);
        auto& psi = tied<Exponential>(nodes_, "phi" + n, exponent);
        psi.set_scalars3(0.0, 1.0, 1.0);
        auto& power = tied<Power>(nodes_, "pdelta" + n, bigDelta(n, k, deltaSq, tauShift));
        power.set_scalars3(1.0, k.b, 0.0);
        auto& deltaPsi = tied<Product>(nodes_, "deltaphi" + n, leaves_.delta(), psi);
        auto& a = tied<Product>(nodes_, "a" + n, deltaPsi, power);
        a.set_scalars1(k.n);
        return a;
    }

   private:
    Expression& square(const std::string& name, Expression& u) {
        if (Expression* existing = nodes_.find(name)) return *existing;
        return tied<Square>(nodes_, name, u);
    }
    // Delta = theta^2 + B ((delta - 1)^2)^a, theta = (1 - tau) + A ((delta - 1)^2)^(1/(2 beta)).
    Expression& bigDelta(const std::string& n, const NonAnalyticTermCoefficients& k,
                         Expression& deltaSq, Expression& tauShift) {
        const auto key = std::make_tuple(k.a, k.B, k.A, k.beta);
        for (const auto& [known, node] : bigDeltas_)
            if (known == key) return *node;
        auto& deltat = tied<PowerOfSquare>(nodes_, "deltat" + n, deltaSq);
        deltat.set_scalars3(k.A, 1.0 / (2.0 * k.beta), 0.0);
        auto& theta = tied<Sum2>(nodes_, "theta" + n, tauShift, deltat);
        theta.set_scalars3(-1.0, 1.0, 0.0);
        Expression& theta2 = square("theta2" + n, theta);
        auto& deltad = tied<PowerOfSquare>(nodes_, "deltad" + n, deltaSq);
        deltad.set_scalars3(k.B, k.a, 0.0);
        auto& sum = tied<Sum2>(nodes_, "bigDelta" + n, theta2, deltad);
        sum.set_scalars3(1.0, 1.0, 0.0);
        bigDeltas_.emplace_back(key, &sum);
        return sum;
    }

    TermNodes& nodes_;
    ReducedLeaves& leaves_;
    MultiParBuilder& build_;
    std::vector<std::pair<std::tuple<double, double, double, double>, Expression*>> bigDeltas_;
};

// The terms on tau (T) and delta (V) of a pool, as generic nodes or as the fused node.
struct Graph {
    // only >= 0: that term alone.
    explicit Graph(bool fused, int only = -1) : leaves(nodes, kReducing), build(nodes, leaves) {
        std::vector<Expression*> terms;
        std::vector<NonAnalyticTermCoefficients> chosen = coefficients();
        if (only >= 0) chosen = {coefficients()[static_cast<size_t>(only)]};
        if (fused) {
            auto& sum = tied<NonAnalyticSum>(nodes, "nonanalytic", leaves.tau(), leaves.delta());
            for (const auto& k : chosen) sum.addTerm({k.n, k.a, k.b, k.B, k.C, k.D, k.A, k.beta});
            terms.push_back(&sum);
        } else {
            GenericNonAnalytic generic(nodes, leaves, build);
            int i = 55;
            for (const auto& k : chosen) terms.push_back(&generic.term(i++, k));
        }
        root = &weightedSum(nodes, "A", terms, std::vector<double>(terms.size(), 1.0), 0.0);
        root->number_of_variables(3);
        leaves.markDependencies();
        root->analyze_dependencies();
    }
    void evaluate(double TK, double Vm3, int order, int var) {
        leaves.write(TK, Vm3);
        root->initialize_the_graph();
        Expression::sError = 0;
        if (var < 0)
            root->calculate(order);
        else
            root->calculate(order, var);
    }
    TermNodes nodes;
    ReducedLeaves leaves;
    MultiParBuilder build;
    Sum* root = nullptr;
};

// Value and every derivative to fourth order in (T, V), and the pure ones along T or V
// alone, as the generic graph of the same terms gives them, on both sides of the critical
// density and temperature and near delta = 1. The terms' derivatives cancel to a
// thousandth of their size in places (above Tc at delta 0.8): both graphs agree to 4e-14 of
// the sum of the terms' magnitudes, entry by entry.
TEST(NonAnalyticSum, DerivativesEqualThoseOfTheGenericGraph) {
    Graph generic(false), fused(true);
    std::vector<std::unique_ptr<Graph>> single;
    for (size_t k = 0; k < coefficients().size(); ++k)
        single.push_back(std::make_unique<Graph>(false, static_cast<int>(k)));
    const double Vc = kReducing.Vc;
    const struct {
        double T, V;
    } states[] = {{500.0, Vc / 2.6}, {640.0, Vc / 1.3},  {650.0, Vc / 0.8},
                  {700.0, Vc / 0.2}, {647.2, Vc / 1.01}, {646.0, Vc / 0.999}};
    for (const auto& s : states)
        for (int var : {-1, 0, 1})
            for (int order = 0; order <= 4; ++order) {
                generic.evaluate(s.T, s.V, order, var);
                fused.evaluate(s.T, s.V, order, var);
                ASSERT_EQ(Expression::sError, 0);
                const int end = generic.root->layout().end(order);
                std::vector<double> scale(static_cast<size_t>(end), 0.0);
                for (auto& g : single) {
                    g->evaluate(s.T, s.V, order, var);
                    for (int p = 0; p < end; ++p)
                        scale[static_cast<size_t>(p)] += std::fabs(g->root->block()[p]);
                }
                for (int p = 0; p < end; ++p) {
                    if (var >= 0 && p != 0 && fused.root->layout().at(var) != p &&
                        fused.root->layout().at(var, var) != p &&
                        fused.root->layout().at(var, var, var) != p &&
                        fused.root->layout().at(var, var, var, var) != p)
                        continue;
                    EXPECT_NEAR(fused.root->block()[p], generic.root->block()[p],
                                4e-14 * scale[static_cast<size_t>(p)])
                        << "T " << s.T << " V " << s.V << " order " << order << " var " << var
                        << " position " << p;
                }
            }
}

// The temperature factors are kept while the temperature holds; whatever came before, each
// evaluation of a solve-like sequence gives bit for bit what a new node gives there.
TEST(NonAnalyticSum, ResultsDoNotDependOnTheEvaluationsBefore) {
    const double Vc = kReducing.Vc;
    const struct {
        double T, V;
        int order, var;
    } steps[] = {{600.0, Vc / 2.0, 2, 1}, {600.0, Vc / 2.1, 2, 1}, {600.0, Vc / 2.1, 3, -1},
                 {610.0, Vc / 2.1, 1, 1}, {610.0, Vc / 2.1, 4, 0}, {610.0, Vc / 1.2, 2, -1},
                 {700.0, Vc / 1.2, 0, 1}, {700.0, Vc / 1.2, 4, -1}};
    Graph kept(true);
    for (const auto& s : steps) {
        Graph fresh(true);
        kept.evaluate(s.T, s.V, s.order, s.var);
        fresh.evaluate(s.T, s.V, s.order, s.var);
        SCOPED_TRACE(::testing::Message() << s.T << " K order " << s.order << " var " << s.var);
        testing_support::expectBitEqualBlocks(*kept.root, *fresh.root, s.order, s.var);
    }
}

// At delta = 1 the powers of (delta - 1)^2 have their finite limits: no entry is NaN or
// infinite, and the value and first derivatives are those just beside it.
TEST(NonAnalyticSum, CriticalDensityGivesFiniteDerivatives) {
    Graph fused(true);
    fused.evaluate(600.0, kReducing.Vc, 4, -1);
    const int end = fused.root->layout().end(4);
    for (int p = 0; p < end; ++p) EXPECT_TRUE(std::isfinite(fused.root->block()[p])) << p;
    const double value = fused.root->value(), dT = fused.root->d1(0), dV = fused.root->d1(1);
    fused.evaluate(600.0, kReducing.Vc * (1.0 + 1e-9), 1, -1);
    EXPECT_NEAR(fused.root->value(), value, 1e-7 * std::fabs(value));
    EXPECT_NEAR(fused.root->d1(0), dT, 1e-6 * std::fabs(dT));
    EXPECT_NEAR(fused.root->d1(1), dV, 1e-6 * std::fabs(dV) + 1e-12);
    // The generic graph's powers of the square take the same limits there.
    Graph generic(false);
    fused.evaluate(600.0, kReducing.Vc, 4, -1);
    generic.evaluate(600.0, kReducing.Vc, 4, -1);
    ASSERT_EQ(Expression::sError, 0);
    for (int p = 0; p < end; ++p) {
        EXPECT_TRUE(std::isfinite(generic.root->block()[p])) << p;
        if (p < fused.root->layout().end(2)) {
            EXPECT_NEAR(generic.root->block()[p], fused.root->block()[p],
                        1e-12 * std::fabs(fused.root->block()[p]) + 1e-15)
                << p;
        }
    }
}

}  // namespace
}  // namespace vornex
