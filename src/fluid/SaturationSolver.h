// Binding of the saturation and critical systems to a fluid's Newton solver.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

// Residual measure at which a saturation solve stops. The solver measures residuals scaled
// by their Jacobian rows, and a liquid's dP/dV (about 1e13 Pa mol/m3) would let the default
// 1e-11 stop with phase pressures 100 Pa apart; this one is still far above rounding.
inline constexpr double kSaturationTolerance = 1e-15;

// Binds the system with n unknowns. A system already bound keeps the settings its callers
// made; a newly bound one starts from the solver's defaults with the saturation tolerance.
inline Newton& bindSaturationSystem(FluidPhase& fluid, EquationSystem system, int n) {
    Newton& solver = *fluid.systemSolver;
    const bool bound = solver.F != nullptr && solver.equation == &fluid &&
                       solver.system == system && solver.n == n;
    solver._setSysEquationToSolve(&fluid, system, n);
    if (!bound) solver.tolerance = kSaturationTolerance;
    return solver;
}

// Two residuals of a 2 x 2 system with their Jacobian rows (written when the solver asks).
inline void writeTwoByTwo(double* F, double** J, int order, double F0, double F1, double J00,
                          double J01, double J10, double J11) {
    F[0] = F0;
    F[1] = F1;
    if (order == 0) return;
    J[0][0] = J00;
    J[0][1] = J01;
    J[1][0] = J10;
    J[1][1] = J11;
}

}  // namespace vornex
