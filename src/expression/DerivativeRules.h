// The two differentiation kernels of the expression graph. Every one-child node is a scalar
// function f(u) and goes through the chain rule; every product-like node goes through the
// Leibniz rule. Both read and write whole blocks in the packed layout of TensorLayout.h and
// loop over the precomputed rows of an IndexPlan, so their inner loops test no flag and sort
// no index. Neither writes the value (position 0): the node sets it.
#pragma once

#include "expression/TensorLayout.h"

namespace vornex {

// out = derivatives of f(u) over the plan's index sets, orders 1 to order;
// f[0..4] = f, df/du, ..., d4f/du4 at the child's value (f[0] is not read).
void applyChainRule(const IndexPlan& plan, int order, const double* f, const double* u,
                    double* out);

// out = derivatives of a*u*v over the plan's index sets, orders 1 to order.
void applyLeibnizRule(const IndexPlan& plan, int order, double a, const double* u, const double* v,
                      double* out);

// The same restricted to the pure derivatives in one variable (the diagonal entries).
void applyChainRuleDiagonal(const TensorLayout& layout, int var, int order, const double* f,
                            const double* u, double* out);
void applyLeibnizRuleDiagonal(const TensorLayout& layout, int var, int order, double a,
                              const double* u, const double* v, double* out);

// Linear nodes: out = c*x (setScaled) or out += c*x (addScaled) on the value and on the
// plan's entries of orders 1 to order, run by run.
void setScaled(const IndexPlan& plan, int order, double c, const double* x, double* out);
void addScaled(const IndexPlan& plan, int order, double c, const double* x, double* out);

}  // namespace vornex
