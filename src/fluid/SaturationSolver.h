// Binding of the saturation systems to a fluid's Newton solver.
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

}  // namespace vornex
