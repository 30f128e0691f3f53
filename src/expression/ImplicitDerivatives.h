// Derivatives of implicitly defined and composed quantities up to fourth order, by the
// multivariate chain rule written over the set partitions of an index tuple (Faa di Bruno):
// the derivative of g(y(x)) over the index tuple I is
//     sum over the partitions pi of I, sum over a variable j_B of g for each block B,
//     g_(j_B ...) * prod_B (d^|B| y_(j_B) / dx_B).
// Implicit differentiation applies it to f(u(p), p) = 0 and moves the one term that holds
// the highest derivative of u, sum_m f_u_m u_m,I, to the left: with the lower orders of u
// known, every order is one linear solve with the matrix df/du.
//
// Index tuples are sorted, largest first, as the derivative storage of the nodes is.
#pragma once

#include "expression/Expression.h"

namespace vornex {

// Position in a node's block of the derivative over the sorted indices idx[0 .. r-1]
// (r = 0: the value).
int positionOf(const TensorLayout& layout, const int* idx, int r);

// Calls fn(I) for every sorted tuple I of K indices below n, in packed order; with var >= 0
// only for the pure tuple (var, ..., var).
template <class Fn>
void forEachSortedTuple(int n, int K, int var, Fn&& fn) {
    int I[kMaxDerivativeOrder] = {};
    if (var >= 0) {
        for (int p = 0; p < K; ++p) I[p] = var;
        fn(static_cast<const int*>(I));
        return;
    }
    if (n < 1 || K < 1) return;
    for (;;) {
        fn(static_cast<const int*>(I));
        int p = K - 1;
        for (; p >= 0; --p) {
            const int limit = p == 0 ? n - 1 : I[p - 1];
            if (I[p] < limit) break;
        }
        if (p < 0) return;
        ++I[p];
        for (int q = p + 1; q < K; ++q) I[q] = 0;
    }
}

// f[k] (k < nu): the equations over (u_0 ... u_(nu-1), p_0 ... p_(np-1)), graph variables
// 0 ... nu + np - 1, evaluated to order K at the solution; u[m]: nodes over the np
// parameters holding the derivatives of u_m of orders below K. For the sorted tuple I of K
// parameter indices, rhs[k] = minus the derivative of f_k over I with the derivatives of u
// of order K set to zero; the derivatives of order K then solve
// sum_m df_k/du_m * u_m,I = rhs[k].
void implicitRightHandSide(Expression* const* f, Expression* const* u, int nu, int K, const int* I,
                           double* rhs);

// The derivative over the sorted tuple I (K indices) of g(v_0(x), ..., v_(nv-1)(x)), with g
// a node over the nv variables v and the v[j] nodes over x.
double composedDerivative(const Expression& g, Expression* const* v, int nv, int K, const int* I);

// The checks of an implicit function's equation graph over its own variables x (steps h):
// its values and formulas at x, its dependencies and the four derivative checks.
void checkEquationGraph(FILE* out, Expression& f, double* x, double* h);

}  // namespace vornex
