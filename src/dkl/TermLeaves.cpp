#include "dkl/TermLeaves.h"

#include <algorithm>

#include "expression/UnOp.h"

namespace vornex {

void writePure(Leaf& leaf, int var, const double* f) {
    leaf.value() = f[0];
    const int order = std::min(leaf.allocatedOrder(), 4);
    if (order >= 1) leaf.d1(var) = f[1];
    if (order >= 2) leaf.d2(var, var) = f[2];
    if (order >= 3) leaf.d3(var, var, var) = f[3];
    if (order >= 4) leaf.d4(var, var, var, var) = f[4];
}

void dependOnly(Leaf& leaf, std::initializer_list<int> vars) {
    for (int i = 0; i < leaf.numberOfVariables(); ++i)
        leaf.setDependent(i, std::find(vars.begin(), vars.end(), i) != vars.end());
}

void reducedTemperaturePolynomial(double c0, double c2, double c3, double Tc, double TK,
                                  double scale, double* f) {
    double u[5], w[5];
    powerDerivatives(scale * c2 * Tc * Tc, -2.0, TK, 4, u);
    powerDerivatives(scale * c3 * Tc * Tc * Tc, -3.0, TK, 4, w);
    for (int k = 0; k < 5; ++k) f[k] = u[k] + w[k];
    f[0] += scale * c0;
}

}  // namespace vornex
