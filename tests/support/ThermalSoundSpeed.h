// The sound speed of a state where (dP/dV)_T vanishes (a spinodal), w^2 = T (dP/dT)_V^2 /
// (rho^2 cv), from the model's own P and U alone: central differences along the isochore of
// separate evaluations, so that neither the state's derivatives nor its heat capacity enter.
#pragma once

#include <cmath>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

// probe: a model of the fluid, evaluated at T +- h (K) on the volume Vm3.
inline double thermalSoundSpeed(FluidPhase& probe, double TK, double Vm3, double h = 1e-5) {
    probe.calculateFromTV(TK + h, Vm3, 0);
    const double Pplus = probe.P, Uplus = probe.U;
    probe.calculateFromTV(TK - h, Vm3, 0);
    const double dPdT = (Pplus - probe.P) / (2 * h), cv = (Uplus - probe.U) / (2 * h);
    return std::sqrt(TK * dPdT * dPdT * Vm3 * Vm3 / (probe.M * cv));
}

}  // namespace vornex::testing_support
