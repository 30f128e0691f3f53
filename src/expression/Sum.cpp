#include "expression/Sum.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cstdarg>

#include "expression/DerivativeRules.h"

namespace vornex {

namespace {

// Wanted diagonal entries of the one-variable form: orders 1 to order when 1 <= order <= 4.
int diagonalOrder(const Expression& e, int order) {
    if (order < 1 || order > kMaxDerivativeOrder) return 0;
    return std::min(order, e.allocatedOrder());
}

}  // namespace

Sum::~Sum() {
    releaseTerms();
}

void Sum::releaseTerms() {
    for (Expression*& child : terms) release(child);
}

void Sum::number_of_terms(int n) {
    releaseTerms();
    numberOfTerms = n < 0 ? 0 : n;
    terms.assign(numberOfTerms, nullptr);
    coefficients.assign(numberOfTerms + 1, 0.0);
}

void Sum::tie_(Expression* first, ...) {
    va_list args;
    va_start(args, first);
    storeChildren(terms, first, args, true);
    va_end(args);
}

void Sum::tiei(int i, Expression& child) {
    storeChild(terms, i, &child, true);
}

Expression* Sum::tieip(int i, Expression* child) {
    storeChild(terms, i, child, true);
    return child;
}

void Sum::set_scalars_(double first, ...) {
    if (coefficients.empty()) return;
    va_list args;
    va_start(args, first);
    coefficients[0] = first;
    for (int i = 1; i <= numberOfTerms; ++i) coefficients[i] = va_arg(args, double);
    va_end(args);
}

void Sum::set_scalarsx(const double* c) {
    coefficients.assign(c, c + numberOfTerms + 1);
}

void Sum::set_scalar(int i, double c) {
    if (i < 0 || i > numberOfTerms) {
        vornex::cfprintf(stderr, "Error : index %d is outside the %d coefficients of \"%s\".\n", i,
                     numberOfTerms + 1, label());
        return;
    }
    coefficients[i] = c;
}

void Sum::number_of_variables(int n) {
    sizeWithChildren(terms.data(), numberOfTerms, n);
}

void Sum::initialize_the_graph() {
    initializeWithChildren(terms.data(), numberOfTerms);
}

void Sum::reset() {
    resetWithChildren(terms.data(), numberOfTerms);
}

void Sum::set_variable_values(double* x) {
    setValuesOfChildren(terms.data(), numberOfTerms, x);
}

void Sum::analyze_dependencies() {
    analyzeTable(terms);
}

bool Sum::hasLeaves() {
    return childrenHaveLeaves(terms.data(), numberOfTerms);
}

Expression* Sum::findByName(const char* name) {
    return findWithChildren(name, terms.data(), numberOfTerms);
}

void Sum::check_pointers(FILE* f) {
    checkTable(f, terms);
}

void Sum::calculate(int order) {
    // A sum with an empty slot cannot be evaluated: it keeps what it held.
    if (!tableComplete(terms) || computed) return;
    clean(order);
    const int k = usableOrder(order);
    const IndexPlan& p = plan();
    double* out = block();
    for (int i = 0; i < numberOfTerms; ++i) {
        terms[i]->calculate(order);
        addScaled(p, k, coefficients[i], terms[i]->block(), out);
    }
    value() += coefficients[numberOfTerms];
    computed = true;
}

void Sum::calculate(int order, int var) {
    if (!tableComplete(terms) || computed) return;
    clean(order);
    const int k = diagonalOrder(*this, order);
    int p[kMaxDerivativeOrder + 1];
    layout().diagonals(var, k, p);
    double* out = block();
    for (int i = 0; i < numberOfTerms; ++i) {
        terms[i]->calculate(order, var);
        const double* x = terms[i]->block();
        for (int m = 0; m <= k; ++m) out[p[m]] += coefficients[i] * x[p[m]];
    }
    value() += coefficients[numberOfTerms];
    computed = true;
}

void Sum::printFormula(FILE* f) {
    printMargin(f);
    if (numberOfTerms < 1) {
        vornex::cfprintf(f, "%s = ", label());
    } else if (coefficients[0] == 1) {
        vornex::cfprintf(f, "%s = %s", label(), labelOf(terms[0]));
    } else if (coefficients[0] == -1) {
        vornex::cfprintf(f, "%s = - %s", label(), labelOf(terms[0]));
    } else {
        vornex::cfprintf(f, "%s = %lg * %s", label(), coefficients[0], labelOf(terms[0]));
    }
    for (int i = 1; i < numberOfTerms; ++i) {
        const double c = coefficients[i];
        if (c == 1) {
            vornex::cfprintf(f, " + %s", labelOf(terms[i]));
        } else if (c > 0) {
            vornex::cfprintf(f, " + %lg * %s", c, labelOf(terms[i]));
        } else if (c == -1) {
            vornex::cfprintf(f, " - %s", labelOf(terms[i]));
        } else {
            vornex::cfprintf(f, " - %lg * %s", -c, labelOf(terms[i]));
        }
    }
    const double constant = coefficients.empty() ? 0.0 : coefficients[numberOfTerms];
    if (constant < 0) {
        vornex::cfprintf(f, " - %lg", -constant);
    } else if (constant > 0) {
        vornex::cfprintf(f, " + %lg", constant);
    }
    vornex::cfprintf(f, "\n");
}

void Sum::printFormulas(FILE* f) {
    printFormulasWithChildren(f, terms.data(), numberOfTerms);
}

void Sum::printValues(FILE* f) {
    printValuesWithChildren(f, terms.data(), numberOfTerms);
}

// ---------------------------------------------------------------- Sum1

void Sum1::set_scalars2(double a_, double b_) {
    a = a_;
    b = b_;
}

void Sum1::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    setScaled(plan(), usableOrder(order), a, u->block(), block());
    value() = a * u->value() + b;
    computed = true;
}

void Sum1::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    const int k = isDependent(var) ? diagonalOrder(*this, order) : 0;
    const TensorLayout& L = layout();
    for (int m = 1; m <= k; ++m) block()[L.diagonal(var, m)] = a * u->block()[L.diagonal(var, m)];
    value() = a * u->value() + b;
    computed = true;
}

void Sum1::printFormula(FILE* f) {
    printHead(f);
    if (a == -1) {
        vornex::cfprintf(f, "- ");
    } else if (a != 1) {
        vornex::cfprintf(f, "%lg ", a);
    }
    vornex::cfprintf(f, "%s ", labelOf(u));
    if (b == 1) {
        vornex::cfprintf(f, "+ 1.0");
    } else if (b > 0) {
        vornex::cfprintf(f, "+ %lg", b);
    } else if (b == -1) {
        vornex::cfprintf(f, "- 1.0");
    } else if (b < 0) {
        vornex::cfprintf(f, "- %lg", -b);
    }
    vornex::cfprintf(f, "\n");
}

// ---------------------------------------------------------------- Sum2

void Sum2::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}

void Sum2::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    v->calculate(order);
    const int k = usableOrder(order);
    const IndexPlan& p = plan();
    setScaled(p, k, a, u->block(), block());
    addScaled(p, k, b, v->block(), block());
    value() = a * u->value() + b * v->value() + c;
    computed = true;
}

void Sum2::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    v->calculate(order, var);
    const int k = isDependent(var) ? diagonalOrder(*this, order) : 0;
    const TensorLayout& L = layout();
    for (int m = 1; m <= k; ++m) {
        const int p = L.diagonal(var, m);
        block()[p] = a * u->block()[p] + b * v->block()[p];
    }
    value() = a * u->value() + b * v->value() + c;
    computed = true;
}

void Sum2::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = ", label());
    if (a == -1) {
        vornex::cfprintf(f, "- ");
    } else if (a != 1) {
        vornex::cfprintf(f, "%lg * ", a);
    }
    vornex::cfprintf(f, b > 0 ? "%s + " : "%s - ", labelOf(u));
    if (b != 1 && b != -1) vornex::cfprintf(f, "%lg * ", b > 0 ? b : -b);
    vornex::cfprintf(f, "%s ", labelOf(v));
    if (c > 0) {
        vornex::cfprintf(f, "+ %lg", c);
    } else if (c < 0) {
        vornex::cfprintf(f, "- %lg", -c);
    }
    vornex::cfprintf(f, "\n");
}

}  // namespace vornex
