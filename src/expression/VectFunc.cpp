#include "expression/VectFunc.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cstdarg>

#include "expression/ImplicitDerivatives.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

VectFunc::VectFunc(int n_, int nv_, int nx_)
    : n(std::max(n_, 0)),
      nv(std::max(nv_, 0)),
      nx(nx_ < 0 ? std::max(nv_, 0) : nx_),
      fnodes(n, nullptr),
      uvnodes(n, nullptr),
      uxnodes(n, nullptr),
      solver(new Newton),
      rhs(n, 0.0),
      A(n * n, 0.0),
      w(n, 0.0),
      visx(nx_ < 0),
      uv_(n + nv, 0.0),
      rows_(n, nullptr) {
    if (!visx) {
        vnodes.assign(nv, nullptr);
        // u as a function of v alone, evaluated through this object's v values.
        for (int k = 0; k < n; ++k) {
            auto* node = new XFunc1;
            node->system = this;
            node->index = k;
            node->holdAsMember();
            node->number_of_variables(nv);
            uvnodes[k] = node;
            owned_.push_back(node);
        }
    }
}

VectFunc::~VectFunc() {
    for (Expression* node : owned_) delete node;
    delete solver;
}

// ---------------------------------------------------------------- building

void VectFunc::tie_u_node(int k, XFunc& node) {
    if (k < 0 || k >= n) {
        vornex::cfprintf(stderr, "Error : unknown %d is outside the %d of the implicit system.\n", k,
                     n);
        return;
    }
    uxnodes[k] = &node;
    node.system = this;
    node.index = k;
    if (node.numberOfVariables() == 0) node.number_of_variables(nx);
    if (visx) uvnodes[k] = &node;
}

void VectFunc::tie_u_nodes(XFunc* first, ...) {
    if (n < 1) return;
    va_list args;
    va_start(args, first);
    tie_u_node(0, *first);
    for (int k = 1; k < n; ++k) tie_u_node(k, *va_arg(args, XFunc*));
    va_end(args);
}

void VectFunc::tie_v_node(int j, Expression& node) {
    if (j < 0 || j >= static_cast<int>(vnodes.size())) {
        vornex::cfprintf(stderr,
                     "Error : variable %d is outside the %d v nodes of the implicit system.\n", j,
                     static_cast<int>(vnodes.size()));
        return;
    }
    vnodes[j] = &node;
}

void VectFunc::tie_v_nodes(Expression* first, ...) {
    if (vnodes.empty()) return;
    va_list args;
    va_start(args, first);
    tie_v_node(0, *first);
    for (int j = 1; j < nv; ++j) tie_v_node(j, *va_arg(args, Expression*));
    va_end(args);
}

void VectFunc::tie_f_node(int k, Expression& node) {
    if (k < 0 || k >= n) {
        vornex::cfprintf(stderr, "Error : equation %d is outside the %d of the implicit system.\n", k,
                     n);
        return;
    }
    fnodes[k] = &node;
}

bool VectFunc::linked() {
    const char* name = n > 0 && uxnodes[0] ? uxnodes[0]->label() : "noname";
    bool ok = true;
    auto missing = [&](const char* what, int i) {
        vornex::cfprintf(stderr, "Error : \"%s\" (%s %d) is not linked to another expression.\n", name,
                     what, i);
        ok = false;
    };
    for (int k = 0; k < n; ++k) {
        if (!fnodes[k] || fnodes[k]->numberOfVariables() != n + nv) missing("f", k);
        if (!uxnodes[k] || uxnodes[k]->numberOfVariables() != nx) missing("u", k);
    }
    for (int j = 0; j < static_cast<int>(vnodes.size()); ++j) {
        if (!vnodes[j] || vnodes[j]->numberOfVariables() != nx) missing("v", j);
    }
    return ok;
}

// ---------------------------------------------------------------- variables

void VectFunc::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    if (visx) {
        std::copy(x, x + nv, uv_.begin() + n);
        return;
    }
    for (Expression* v : vnodes) {
        if (v) v->set_variable_values(x);
    }
}

void VectFunc::set_v_values(double* v) {
    for (int j = 0; j < nv; ++j) {
        uv_[n + j] = v[j];
        if (!vnodes.empty() && vnodes[j]) {
            vnodes[j]->value() = v[j];
            vnodes[j]->computed = true;
        }
    }
}

void VectFunc::assign_v_values() {
    for (int j = 0; j < static_cast<int>(vnodes.size()); ++j) uv_[n + j] = vnodes[j]->value();
}

void VectFunc::initialize_the_graph() {
    if (!computed) return;
    computed = false;
    for (Expression* v : vnodes) {
        if (v) v->initialize_the_graph();
    }
    for (Expression* f : fnodes) {
        if (f) f->initialize_the_graph();
    }
}

// ---------------------------------------------------------------- solving

void VectFunc::calculateJacobian(double* x, double* F, double** J) {
    NestedEvaluation nested;
    for (int m = 0; m < n; ++m) {
        uv_[m] = x[m];
        if (uvnodes[m]) uvnodes[m]->value() = x[m];
    }
    for (Expression* f : fnodes) {
        if (!f) continue;
        f->initialize_the_graph();
        f->set_variable_values(uv_.data());
    }
    calculate_the_leaves();
    for (int k = 0; k < n; ++k) {
        Expression* f = fnodes[k];
        if (!f) {
            // An equation that is not there cannot be evaluated.
            Expression::sError = 1;
            continue;
        }
        f->calculate(1);
        F[k] = f->value();
        // Only the columns of the unknowns: the solver's Jacobian is n x n.
        for (int m = 0; m < n; ++m) J[k][m] = f->d1(m);
    }
}

void VectFunc::equationForU(double* x, double* F, double** J, int& error, int, void*) {
    const int before = Expression::sError;
    Expression::sError = 0;
    calculateJacobian(x, F, J);
    if (Expression::sError) error = 1;
    Expression::sError = before;
}

int VectFunc::solveWithNewton(const double* start) {
    solver->_setSysEquationToSolve(this, static_cast<EquationSystem>(&VectFunc::equationForU), n);
    std::copy(start, start + n, solver->x);
    const int error = solver->solve();
    for (int m = 0; m < n; ++m) {
        uv_[m] = solver->x[m];
        uvnodes[m]->value() = solver->x[m];
    }
    if (error != 0) Expression::sError = 1;
    return error;
}

// ---------------------------------------------------------------- derivatives

void VectFunc::calculate(int order) {
    run(order, -1);
}

void VectFunc::calculate(int order, int i) {
    run(order, i >= 0 && i < nx ? i : -2);
}

void VectFunc::calculate_ux_values() {
    if (visx) return;
    for (int k = 0; k < n; ++k) uxnodes[k]->value() = uvnodes[k]->value();
}

// var -1: every derivative; var >= 0: the pure ones in x_var; -2: the values only.
void VectFunc::run(int order, int var) {
    if (computed) return;
    computed = true;
    if (!linked()) {
        Expression::sError = 1;
        return;
    }
    int k = var == -2 ? 0 : std::clamp(order, 0, kMaxDerivativeOrder);
    for (int m = 0; m < n; ++m) {
        k = std::min({k, uxnodes[m]->allocatedOrder(), uvnodes[m]->allocatedOrder(),
                      fnodes[m]->allocatedOrder()});
    }
    order_ = k;
    var_ = var;
    if (!visx) {
        for (Expression* v : vnodes) {
            if (var >= 0) {
                v->calculate(k, var);
            } else {
                v->calculate(k);
            }
        }
        assign_v_values();
    }
    calculate_u();
    calculate_ux_values();
    if (k >= 1) {
        evaluateEquations(k);
        if (differentiateInV(k, visx ? var : -1) && !visx) {
            for (int K = 1; K <= std::min(k, 3); ++K) chainOrder(K);
            if (k >= 4) calculate_ux_derivatives4();
        }
    }
    for (Expression* node : uvnodes) node->computed = true;
    for (XFunc* node : uxnodes) node->computed = true;
}

void VectFunc::evaluateEquations(int order) {
    NestedEvaluation nested;
    for (int m = 0; m < n; ++m) uv_[m] = uvnodes[m]->value();
    for (Expression* f : fnodes) {
        f->initialize_the_graph();
        f->set_variable_values(uv_.data());
    }
    calculate_the_leaves();
    for (Expression* f : fnodes) f->calculate(order);
}

// Orders 1 to order of u in v, lowest first: each index set is one solve with df/du.
bool VectFunc::differentiateInV(int order, int var) {
    for (int r = 0; r < n; ++r) rows_[r] = A.data() + r * n;
    for (int K = 1; K <= order; ++K) {
        bool singular = false;
        forEachSortedTuple(nv, K, var, [&](const int* I) {
            if (singular) return;
            implicitRightHandSide(fnodes.data(), uvnodes.data(), n, K, I, rhs.data());
            for (int r = 0; r < n; ++r) {
                for (int m = 0; m < n; ++m) A[r * n + m] = fnodes[r]->d1(m);
            }
            int error = 0;
            solve_the_linear_system(rows_.data(), rhs.data(), w.data(), n, error);
            if (error != 0) {
                singular = true;
                return;
            }
            for (int m = 0; m < n; ++m)
                uvnodes[m]->block()[positionOf(uvnodes[m]->layout(), I, K)] = w[m];
        });
        if (singular) {
            // No derivative exists where df/du is singular: flag it rather than keep the
            // solution of another index set.
            cleanDerivatives(order);
            Expression::sError = 1;
            return false;
        }
    }
    return true;
}

void VectFunc::cleanDerivatives(int order) {
    auto clean = [order](Expression* node) {
        const double value = node->value();
        node->clean(order);
        node->value() = value;
    };
    for (Expression* node : uvnodes) clean(node);
    if (!visx) {
        for (XFunc* node : uxnodes) clean(node);
    }
}

void VectFunc::chainOrder(int K) {
    forEachSortedTuple(nx, K, var_, [&](const int* I) {
        for (int m = 0; m < n; ++m) {
            XFunc* out = uxnodes[m];
            out->block()[positionOf(out->layout(), I, K)] =
                composedDerivative(*uvnodes[m], vnodes.data(), nv, K, I);
        }
    });
}

void VectFunc::calculate_ux_derivatives4() {
    if (order_ >= 4 && !visx) chainOrder(4);
}

double VectFunc::d3f(int k, int i, int j, int l) {
    if (k < 0 || k >= n || !fnodes[k]) return 0.0;
    Expression* f = fnodes[k];
    const int v = f->numberOfVariables();
    if (f->allocatedOrder() < 3 || std::min({i, j, l}) < 0 || std::max({i, j, l}) >= v) return 0.0;
    return *f->dvp(i, j, l);
}

double VectFunc::d4f(int k, int i, int j, int l, int m) {
    if (k < 0 || k >= n || !fnodes[k]) return 0.0;
    Expression* f = fnodes[k];
    const int v = f->numberOfVariables();
    if (f->allocatedOrder() < 4 || std::min({i, j, l, m}) < 0 || std::max({i, j, l, m}) >= v)
        return 0.0;
    return *f->dvp(i, j, l, m);
}

// ---------------------------------------------------------------- checks

void VectFunc::check_f_derivatives(FILE* out, double* x, double* h) {
    for (Expression* f : fnodes) {
        if (!f) continue;
        f->checkDebugLink();
        checkEquationGraph(out, *f, x, h);
    }
}

void VectFunc::check_x_derivatives(FILE* out, double* x, double* h) {
    for (int k = 0; k < n; ++k) {
        if (uxnodes[k]) continue;
        auto* node = new XFunc;
        node->holdAsMember();
        owned_.push_back(node);
        tie_u_node(k, *node);
    }
    for (int k = 0; k < n; ++k) {
        vornex::cprintf("Variable (%d) %s\n------------------------------------\n\n", k,
                    uxnodes[k]->label());
        uxnodes[k]->check1(out, x, h);
        uxnodes[k]->check2(out, x, h);
        uxnodes[k]->check3(out, x, h);
        uxnodes[k]->check4(out, x, h);
    }
}

void VectFunc::check_u_derivatives(FILE* out, double* x, double* h) {
    for (int k = 0; k < n; ++k) {
        Expression* node = uvnodes[k];
        if (!node) continue;
        const char* name = node->getName() ? node->getName() : "no name";
        vornex::cprintf(
            "----------------------------------\nCheck u(%d) node (%s)\n"
            "----------------------------------\n\n",
            k, name);
        node->check1(out, x, h);
        node->check2(out, x, h);
        node->check3(out, x, h);
        node->check4(out, x, h);
    }
}

}  // namespace vornex
