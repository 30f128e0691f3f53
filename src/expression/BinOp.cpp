#include "expression/BinOp.h"
#include "numerics/Decimal.h"

#include <cmath>

#include "expression/DerivativeRules.h"

namespace vornex {

BinOp::~BinOp() {
    release(u);
    release(v);
}

Expression* const* BinOp::children() {
    children_[0] = u;
    children_[1] = v;
    return children_;
}

void BinOp::number_of_variables(int n) {
    sizeWithChildren(children(), 2, n);
}

void BinOp::initialize_the_graph() {
    initializeWithChildren(children(), 2);
}

void BinOp::reset() {
    resetWithChildren(children(), 2);
}

void BinOp::analyze_dependencies() {
    if (analysed) return;
    if (u) u->analyze_dependencies();
    if (v) v->analyze_dependencies();
    dependOn(children(), 2);
}

void BinOp::set_variable_values(double* x) {
    setValuesOfChildren(children(), 2, x);
}

bool BinOp::hasLeaves() {
    return childrenHaveLeaves(children(), 2);
}

void BinOp::check_pointers(FILE* f) {
    static const char* const kTags[] = {"u", "v"};
    checkTaggedChildren(f, children(), kTags, 2);
}

bool BinOp::linked() {
    if (u && v) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" is is not linked to another expression.\n", label());
    return false;
}

void BinOp::calculate(int) {
    linked();
}

void BinOp::calculate(int, int) {
    linked();
}

void BinOp::tie2(Expression& first, Expression& second) {
    tiep2(&first, &second);
}

void BinOp::tiep2(Expression* first, Expression* second) {
    u = first;
    v = second;
    if (u) ++u->parentCount;
    if (v) ++v->parentCount;
}

void BinOp::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = f ( %s , %s )\n", label(), labelOf(u), labelOf(v));
}

void BinOp::printScaled(FILE* f, double a, const char* op) {
    printMargin(f);
    if (a == 1) {
        vornex::cfprintf(f, "%s = %s %s %s\n", label(), labelOf(u), op, labelOf(v));
    } else {
        vornex::cfprintf(f, "%s = %lg * %s %s %s\n", label(), a, labelOf(u), op, labelOf(v));
    }
}

void BinOp::printFormulas(FILE* f) {
    printFormulasWithChildren(f, children(), 2);
}

void BinOp::printValues(FILE* f) {
    printValuesWithChildren(f, children(), 2);
}

Expression* BinOp::findByName(const char* name) {
    return findWithChildren(name, children(), 2);
}

// ---------------------------------------------------------------- Product

void Product::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    v->calculate(order);
    const int k = usableOrder(order);
    value() = a * u->value() * v->value();
    if (k >= 1) applyLeibnizRule(plan(), k, a, u->block(), v->block(), block());
    computed = true;
}

void Product::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    v->calculate(order, var);
    const int k = isDependent(var) ? usableOrder(order) : 0;
    value() = a * u->value() * v->value();
    if (k >= 1) applyLeibnizRuleDiagonal(layout(), var, k, a, u->block(), v->block(), block());
    computed = true;
}

// ---------------------------------------------------------------- Division

void Division::number_of_variables(int n) {
    if (n == numberOfVariables()) return;
    BinOp::number_of_variables(n);
    reciprocal_ = std::make_unique<double[]>(layout().size());
}

namespace {

// 1/x and its derivatives -1/x^2, 2/x^3, -6/x^4, 24/x^5.
void reciprocalDerivatives(double x, int order, double* w) {
    static constexpr double kFactor[] = {1, -1, 2, -6, 24};
    const double r = 1.0 / x;
    double p = r;
    for (int k = 0; k <= order; ++k, p *= r) w[k] = kFactor[k] * p;
}

}  // namespace

bool Division::guardQuotient(int order) {
    if (!std::isnan(value())) return false;
    clean(order);
    computed = true;
    return true;
}

void Division::calculate(int order) {
    quotient(order, 0, false);
}

void Division::calculate(int order, int var) {
    quotient(order, var, true);
}

// a*u*(1/v): the chain rule gives the block of 1/v, the Leibniz rule the product.
void Division::quotient(int order, int var, bool pure) {
    if (!linked() || computed) return;
    if (pure) {
        u->calculate(order, var);
        v->calculate(order, var);
    } else {
        u->calculate(order);
        v->calculate(order);
    }
    const int k = !pure || isDependent(var) ? usableOrder(order) : 0;
    value() = a * u->value() / v->value();
    if (guardQuotient(order)) return;
    if (k >= 1) {
        double w[kMaxDerivativeOrder + 1];
        reciprocalDerivatives(v->value(), k, w);
        double* r = reciprocal_.get();
        r[0] = w[0];
        if (pure) {
            applyChainRuleDiagonal(layout(), var, k, w, v->block(), r);
            applyLeibnizRuleDiagonal(layout(), var, k, a, u->block(), r, block());
        } else {
            const IndexPlan& p = plan();
            applyChainRule(p, k, w, v->block(), r);
            applyLeibnizRule(p, k, a, u->block(), r, block());
        }
    }
    computed = true;
}

}  // namespace vornex
