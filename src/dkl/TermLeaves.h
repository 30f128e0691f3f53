// Small helpers shared by the Helmholtz terms of this library that write their own leaves:
// a leaf's value with its pure derivatives in one variable, its dependency flags, and the
// temperature polynomial c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3 of the virial-type equations.
#pragma once

#include <initializer_list>

#include "expression/Expression.h"

namespace vornex {

// f[0] is the value, f[k] the k-th derivative in variable var (k = 1..4, as allocated).
void writePure(Leaf& leaf, int var, const double* f);
// The leaf depends on the listed graph variables only.
void dependOnly(Leaf& leaf, std::initializer_list<int> vars);
// f[k], k = 0..4: d^k/dT^k of scale (c0 + c2 (Tc/T)^2 + c3 (Tc/T)^3).
void reducedTemperaturePolynomial(double c0, double c2, double c3, double Tc, double TK,
                                  double scale, double* f);

}  // namespace vornex
