#include "fluid/MultiParTerms.h"

#include <cmath>

#include "expression/BinOp.h"
#include "expression/SeparableSum.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/NonAnalyticSum.h"

namespace vornex {

namespace {

std::string numbered(const std::string& stem, int i) {
    return stem + std::to_string(i);
}

// Only variable `var` of the leaf's n.
void dependOnlyOn(Leaf& leaf, int var) {
    for (int i = 0; i < leaf.numberOfVariables(); ++i) leaf.setDependent(i, i == var);
}

// c/x and its pure derivatives (-1)^k k! c / x^(k+1) in variable var.
void writeReciprocal(Leaf& leaf, int var, double c, double x) {
    const int order = leaf.allocatedOrder();
    const double r = 1.0 / x;
    double d = c * r;
    leaf.value() = d;
    if (order >= 1) leaf.d1(var) = (d *= -r);
    if (order >= 2) leaf.d2(var, var) = (d *= -2 * r);
    if (order >= 3) leaf.d3(var, var, var) = (d *= -3 * r);
    if (order >= 4) leaf.d4(var, var, var, var) = (d *= -4 * r);
}

// The general construction: square of the half for even n, cube for 3, x^(n-1) x for odd n.
PowerRecipe generalRecipe(int n) {
    if (n == 3) return {3, 'C', 1, 0};
    if (n % 2 == 0) return {n, 'S', n / 2, 0};
    return {n, 'P', n - 1, 1};
}

}  // namespace

// ------------------------------------------------------------------ reduced leaves

ReducedLeaves::ReducedLeaves(TermNodes& nodes, const ReducingState& reducing)
    : delta_(&nodes.make<Leaf>("delta")),
      tau_(&nodes.make<Leaf>("tau")),
      Tc_(reducing.Tc),
      Vc_(reducing.Vc) {}

void ReducedLeaves::markDependencies() {
    dependOnlyOn(*tau_, 0);
    dependOnlyOn(*delta_, 1);
}

void ReducedLeaves::write(double TK, double Vm3) {
    writeReciprocal(*tau_, 0, Tc_, TK);
    writeReciprocal(*delta_, 1, Vc_, Vm3);
}

// ------------------------------------------------------------------ shared factors

Expression& MultiParBuilder::integerPower(const std::string& stem, Expression& base, int n,
                                          std::span<const PowerRecipe> recipes) {
    if (n == 1) return base;
    const std::string name = numbered(stem, n);
    if (Expression* existing = nodes_.find(name)) return *existing;
    if (n < 1) {
        auto& p = nodes_.make<Power>(name);
        p.set_scalars3(1.0, n, 0.0);
        p.tie1(base);
        return p;
    }
    PowerRecipe r = generalRecipe(n);
    for (const PowerRecipe& listed : recipes)
        if (listed.n == n) r = listed;
    Expression& first = integerPower(stem, base, r.first, recipes);
    if (r.kind == 'S') return tied<Square>(nodes_, name, first);
    if (r.kind == 'C') return tied<Cube>(nodes_, name, first);
    Expression& second = integerPower(stem, base, r.second == 0 ? 1 : r.second, recipes);
    return tied<Product>(nodes_, name, first, second);
}

Expression& MultiParBuilder::shifted(const std::string& name, Expression& base, double shift) {
    if (Expression* existing = nodes_.find(name)) return *existing;
    auto& s = nodes_.make<Sum1>(name);
    s.set_scalars2(1.0, -shift);
    s.tie1(base);
    return s;
}

Expression& MultiParBuilder::timesTauPower(const std::string& name, Expression& u, int t) {
    if (t == 0) return u;
    if (Expression* existing = nodes_.find(name)) return *existing;
    Expression& tPart = tauPower(t);
    return tied<Product>(nodes_, name, u, tPart);
}

std::vector<Expression*> MultiParBuilder::fusedTerms(const MultiParTable& table) {
    using Factor = SeparableSum::Factor;
    int entry = 0;
    auto name = [&] {
        const int k = entry++;
        return table.termName != nullptr ? table.termName(k) : numbered("a", k + 1);
    };
    auto& sum = tied<SeparableSum>(nodes_, "separable", leaves_.tau(), leaves_.delta());
    for (const auto& k : table.power) sum.addTerm(k.n, Factor{k.t}, Factor{double(k.d)}, name());
    for (const auto& k : table.exponential)
        sum.addTerm(k.n, Factor{k.t}, Factor{double(k.d), double(k.c), k.g}, name());
    for (const auto& k : table.gaussian) {
        sum.addTerm(k.n, Factor{double(k.t), 0.0, 0.0, k.beta, k.gamma},
                    Factor{double(k.d), 0.0, 0.0, k.alpha, k.eps}, name());
    }
    auto& nonAnalytic = tied<NonAnalyticSum>(nodes_, "nonanalytic", leaves_.tau(), leaves_.delta());
    for (const auto& k : table.nonAnalytic)
        nonAnalytic.addTerm({k.n, k.a, k.b, k.B, k.C, k.D, k.A, k.beta}, name());
    std::vector<Expression*> out;
    if (sum.numberOfTermsAdded() > 0) out.push_back(&sum);
    if (nonAnalytic.numberOfTermsAdded() > 0) out.push_back(&nonAnalytic);
    return out;
}

std::vector<Expression*> MultiParBuilder::idealGasTerms(const IdealGasTable& table) {
    std::vector<Expression*> out;
    auto name = [&] {
        return numbered("a", static_cast<int>(out.size()) + (table.lnDelta ? 0 : 1));
    };
    if (table.lnDelta) {
        auto& lnDelta = tied<Logarithm>(nodes_, name(), leaves_.delta());
        lnDelta.set_scalars3(1.0, 0.0, 0.0);
        out.push_back(&lnDelta);
    }
    auto& linear = tied<Sum1>(nodes_, name(), leaves_.tau());  // n2 tau + n1
    linear.set_scalars2(table.n2, table.n1);
    out.push_back(&linear);
    if (table.n3 != 0.0) {
        auto& lnTau = tied<Logarithm>(nodes_, name(), leaves_.tau());
        lnTau.set_scalars3(table.n3, 0.0, 0.0);
        out.push_back(&lnTau);
    }
    for (const TauPowerCoefficient& p : table.powers) {
        auto& power = tied<Power>(nodes_, name(), leaves_.tau());
        power.set_scalars3(p.m, p.k, 0.0);
        out.push_back(&power);
    }
    if (table.n4 != 0.0) {
        auto& lnTau = tied<Logarithm>(nodes_, "lntau", leaves_.tau());
        lnTau.set_scalars3(1.0, 0.0, 0.0);
        auto& product = tied<Product>(nodes_, name(), leaves_.tau(), lnTau);
        product.set_scalars1(table.n4);
        out.push_back(&product);
    }
    for (const PlanckEinsteinCoefficient& k : table.planckEinstein) {
        // n ln(1 - exp(-gamma tau))
        const std::string index = name().substr(1);
        auto& e = tied<Exponential>(nodes_, "e" + index, leaves_.tau());
        e.set_scalars3(0.0, -1.0, -k.gamma);
        auto& ln = tied<Logarithm>(nodes_, "a" + index, e);
        ln.set_scalars3(k.n, 1.0, 0.0);
        out.push_back(&ln);
    }
    return out;
}

// ------------------------------------------------------------------ terms

MultiParResidual::MultiParResidual(const ReducingState& reducing, const MultiParTable& table,
                                   bool minusLnV)
    : ReducedTerm(reducing) {
    std::vector<Expression*> terms = build_.fusedTerms(table);
    if (minusLnV) {
        auto& lnV = tied<Logarithm>(nodes_, "mlnV", leaves_.delta());
        lnV.set_scalars3(1.0, 0.0, -std::log(reducing.Vc));
        terms.insert(terms.begin(), &lnV);
    }
    makeRoot(terms);
}

ReducedIdeal::ReducedIdeal(const ReducingState& reducing, const IdealGasTable& table)
    : ReducedTerm(reducing),
      kept_(table.lnDelta ? 1 : 0),
      fugacityConstant_(table.fugacityConstant) {
    makeRoot(build_.idealGasTerms(table));
}

void ReducedIdeal::calculate_fixed_parameters() {
    const bool fugacityMode = fugacityFlag != 0;
    const int n = static_cast<int>(sum_->terms.size());
    for (int i = kept_; i < n; ++i) sum_->set_scalar(i, fugacityMode ? 0.0 : 1.0);
    sum_->set_scalar(n, fugacityMode ? fugacityConstant_ : 0.0);
    ReducedTerm::calculate_fixed_parameters();
}

}  // namespace vornex
