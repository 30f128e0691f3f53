#include "expression/MonoFunc.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>

#include "expression/ImplicitDerivatives.h"

namespace vornex {

MonoFunc::~MonoFunc() {
    delete solver;
    delete u;
}

XFunc0* MonoFunc::uNode() {
    if (!u) {
        u = new XFunc0;
        u->function = this;
        u->holdAsMember();  // belongs to this object, never to a parent
        u->number_of_variables(n);
    }
    return u;
}

void MonoFunc::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    y_.resize(std::max(n, 0) + 1);
    std::copy(x, x + n, y_.begin() + 1);
}

void MonoFunc::calculate_u() {
    XFunc0* out = uNode();
    if (!solver) {
        vornex::cfprintf(stderr, "Monofunc: cannot find solution\n");
        Expression::sError = 1;
        return;
    }
    const double root = solver->solve();
    if (solver->error != 0) {
        vornex::cfprintf(stderr, "Monofunc: cannot find solution\n");
        Expression::sError = 1;
    }
    out->value() = root;
}

double MonoFunc::equationForU(double trial, void*) {
    if (!f) {
        equationError = 1;
        return 0.0;
    }
    NestedEvaluation nested;
    y_.resize(std::max(n, 0) + 1);
    y_[0] = trial;
    const int before = Expression::sError;
    Expression::sError = 0;
    f->initialize_the_graph();
    f->set_variable_values(y_.data());
    calculate_the_leaves();
    f->calculate(0);
    if (Expression::sError) equationError = 1;
    Expression::sError = before;
    return f->value();
}

bool MonoFunc::evaluateF(int order) {
    if (!f || f->numberOfVariables() != n + 1) {
        vornex::cfprintf(stderr, "Error : \"%s\" is not linked to a function of %d variables.\n",
                     uNode()->label(), n + 1);
        Expression::sError = 1;
        return false;
    }
    NestedEvaluation nested;
    y_.resize(n + 1);
    y_[0] = u->value();
    f->initialize_the_graph();
    f->set_variable_values(y_.data());
    calculate_the_leaves();
    f->calculate(order);
    return true;
}

void MonoFunc::calculate(int order) {
    differentiate(order, -1);
}

void MonoFunc::calculate(int order, int i) {
    differentiate(order, i >= 0 && i < n ? i : -2);
}

// var -1: every derivative; var >= 0: the pure ones in x_var; -2: none (a variable that
// does not exist).
void MonoFunc::differentiate(int order, int var) {
    computed = true;
    calculate_u();
    XFunc0* out = u;
    int k = std::min(order, out->allocatedOrder());
    if (k < 1 || var == -2 || !evaluateF(k)) return;
    k = std::min(k, f->allocatedOrder());
    const double g = 1.0 / f->d1(0);
    if (!std::isfinite(g)) {
        // No derivative exists where df/du vanishes: say so instead of spreading infinities.
        const double value = out->value();
        if (var < 0) {
            out->clean(k);
        } else {
            for (int K = 1; K <= k; ++K) out->block()[out->layout().diagonal(var, K)] = 0.0;
        }
        out->value() = value;
        Expression::sError = 1;
        return;
    }
    Expression* unknowns[] = {out};
    double rhs = 0.0;
    for (int K = 1; K <= k; ++K) {
        forEachSortedTuple(n, K, var, [&](const int* I) {
            implicitRightHandSide(&f, unknowns, 1, K, I, &rhs);
            out->block()[positionOf(out->layout(), I, K)] = g * rhs;
        });
    }
}

void MonoFunc::check_x_derivatives(FILE* out, double* x, double* h) {
    XFunc0* node = uNode();
    node->check1(out, x, h);
    node->check2(out, x, h);
    node->check3(out, x, h);
    node->check4(out, x, h);
}

void MonoFunc::check_f_derivatives(FILE* out, double* x, double* h) {
    if (f) checkEquationGraph(out, *f, x, h);
}

}  // namespace vornex
