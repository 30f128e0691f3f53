#include "expression/Geom.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>

#include "expression/DerivativeRules.h"
#include "expression/UnOp.h"

namespace vornex {

void Geom::number_of_terms(int n) {
    numberOfTerms = n < 0 ? 0 : n;
    terms.assign(numberOfTerms, nullptr);
}

void Geom::tie_(Expression* first, ...) {
    va_list args;
    va_start(args, first);
    storeChildren(terms, first, args, false);
    va_end(args);
}

void Geom::tiei(int i, Expression& child) {
    storeChild(terms, i, &child, false);
}

Expression* Geom::tieip(int i, Expression* child) {
    storeChild(terms, i, child, false);
    return child;
}

void Geom::set_scalars3(double a_, double p_, double c_) {
    a = a_;
    p = p_;
    c = c_;
}

void Geom::number_of_variables(int n) {
    if (n == numberOfVariables()) return;
    sizeWithChildren(terms.data(), numberOfTerms, n);
    inner_ = std::make_unique<double[]>(layout().size());
    scratch_ = std::make_unique<double[]>(layout().size());
}

void Geom::initialize_the_graph() {
    initializeWithChildren(terms.data(), numberOfTerms);
}

void Geom::set_variable_values(double* x) {
    setValuesOfChildren(terms.data(), numberOfTerms, x);
}

void Geom::analyze_dependencies() {
    analyzeTable(terms);
}

Expression* Geom::findByName(const char* name) {
    return findWithChildren(name, terms.data(), numberOfTerms);
}

void Geom::check_pointers(FILE* f) {
    checkTable(f, terms);
}

void Geom::clean_df_derivatives(int order) {
    value() = 0.0;
    if (!inner_) return;
    const int k = (order >= 1 && order <= kMaxDerivativeOrder) ? usableOrder(order) : 0;
    std::fill(inner_.get(), inner_.get() + layout().end(k), 0.0);
}

void Geom::meanValue(int order, int var, bool pure) {
    double S = 0.0;
    for (Expression* child : terms) {
        if (pure) {
            child->calculate(order, var);
        } else {
            child->calculate(order);
        }
        S += powo(child->value(), p);
    }
    value() = a * powo(S / numberOfTerms, 1.0 / p) + c;
    computed = true;
}

void Geom::calculate(int order) {
    if (computed) return;
    if (!tableComplete(terms)) return;
    clean(order);
    clean_df_derivatives(order);
    const int k = usableOrder(order);
    if (k < 1) {
        meanValue(order, 0, false);
        return;
    }
    const IndexPlan& plan = this->plan();
    double g[kMaxDerivativeOrder + 1];
    for (Expression* child : terms) {
        child->calculate(order);
        powoDerivatives(1.0, p, child->value(), k, g);
        applyChainRule(plan, k, g, child->block(), scratch_.get());
        scratch_[0] = g[0];
        addScaled(plan, k, 1.0, scratch_.get(), inner_.get());
    }
    const double S = inner_[0];
    const double q = 1.0 / p;
    double h[kMaxDerivativeOrder + 1];
    powerDerivatives(a / std::pow(numberOfTerms, q), q, S, k, h);
    value() = h[0] + c;
    applyChainRule(plan, k, h, inner_.get(), block());
    computed = true;
}

void Geom::calculate(int order, int var) {
    if (computed) return;
    if (!tableComplete(terms)) return;
    clean(order);
    clean_df_derivatives(order);
    const int k = isDependent(var) ? usableOrder(order) : 0;
    if (k < 1) {
        meanValue(order, var, true);
        return;
    }
    const TensorLayout& L = layout();
    double g[kMaxDerivativeOrder + 1];
    for (Expression* child : terms) {
        child->calculate(order, var);
        powoDerivatives(1.0, p, child->value(), k, g);
        applyChainRuleDiagonal(L, var, k, g, child->block(), scratch_.get());
        inner_[0] += g[0];
        for (int m = 1; m <= k; ++m) inner_[L.diagonal(var, m)] += scratch_[L.diagonal(var, m)];
    }
    const double q = 1.0 / p;
    double h[kMaxDerivativeOrder + 1];
    powerDerivatives(a / std::pow(numberOfTerms, q), q, inner_[0], k, h);
    value() = h[0] + c;
    applyChainRuleDiagonal(L, var, k, h, inner_.get(), block());
    computed = true;
}

void Geom::printFormula(FILE* f) {
    printMargin(f);
    for (int i = 0; i < numberOfTerms; ++i) {
        printMargin(f);
        if (terms[i]) {
            vornex::cfprintf(f, "Child %d %s\n", i, terms[i]->label());
        } else {
            vornex::cfprintf(f, "Child %d : NULL\n", i);
        }
    }
}

void Geom::printFormulas(FILE* f) {
    if (computed) return;
    printFormula(f);
    sMargin += 4;
    for (Expression* child : terms) {
        printMargin(f);
        if (child) child->printFormula(f);
    }
    sMargin -= 4;
}

}  // namespace vornex
