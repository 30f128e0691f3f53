// Critical points of higher order of a binary model with adjustable parameters, solved as one
// system: the critical conditions G2 = G3 = 0 with two further conditions in the unknowns (T, V,
// x1) and a model parameter. G_k are the x-derivatives of the molar Gibbs energy at constant T and
// P; subscripts T, V, x are partial derivatives at fixed (T, V, x), subscript P along constant
// pressure.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

// Derivatives of G2 = A_xx - A_vx^2/A_vv and G3 at fixed composition, from the full block.
struct GDerivatives {
    double r, G2, G3, G4;
    double G2T, G2x, G2V, G3T, G3x, G3V;
    double G2TP, G3TP, G2TTP;
};
GDerivatives gDerivatives(const FluidPhase& f);

enum class JointPoint {
    Tricritical,  // G4 = G5 = 0
    DoublePoint,  // the gradients of G2 and G3 in (T, V, x) parallel
    StepPoint,    // G2_TP = 0 and G4 G2_TTP = G3_TP^2: a flat pressure extremum of the curve
};

// Solves the four conditions of the point in (T, V, x1, parameter `index`) by a damped Newton
// iteration from the fluid's state and `par`. On success the fluid holds the point (its
// pressure and stabi computed, the parameter set) and par its parameter value; on failure
// the fluid is back at the start. Returns whether it converged.
bool solveJointPoint(FluidPhase& f, JointPoint kind, int index, double& par);
// The same at the fluid's composition, with the parameter `index2` (value par2) as the fourth
// unknown in place of x1.
bool solveJointPointAtComposition(FluidPhase& f, JointPoint kind, int index, double& par,
                                  int index2, double& par2);

}  // namespace vornex
