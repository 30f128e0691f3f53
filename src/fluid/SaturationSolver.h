// Binding of the saturation and critical systems to a fluid's Newton solver, and what one
// phase of a two-phase residual contributes to it.
#pragma once

#include <cmath>
#include <functional>

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

// The saturated state at T0 from the starting volumes (V1, V2) as the first conode of a
// curve: start 0 makes the step dT upward, 1 downward, any other value keeps its sign.
void startAtSaturatedState(FluidPhase& fluid, short start, double T0, double V1, double V2,
                           double& dT);

// Steps along the saturation curve from the conode just solved (the fluid's T, Vl, Vv): each
// trial starts from the last conode extrapolated along the slopes of next_saturation_point
// by s dT, the factor s halving after a failed trial (also below Tmin or at a negative
// volume) and growing by 1.4 while at most 0.5 after a success; the curve ends when s falls
// to 1e-5. atPoint is called at the start and after every solved conode, with the conode
// in the fluid's T, Vl and Vv.
void stepAlongSaturationCurve(FluidPhase& fluid, double dT, double Tmin,
                              const std::function<void()>& atPoint);

// What one phase of a saturation residual contributes: its fugacity of the major component
// with the derivatives, and its pressure with the derivatives.
struct PhaseSide {
    double f, dfdV, dfdT_P, dfdP, P, dPdV, dPdT;
};

// Evaluates the fluid at its set T and V; false when the state cannot serve as one side of
// a coexistence (the evaluation failed or gave a value that is not finite). alongVolume:
// the residual needs no temperature derivatives (dfdT_P and dPdT are then not set).
inline bool evaluateSide(FluidPhase& fluid, int k, PhaseSide& side, bool alongVolume = false) {
    fluid.error = 0;
    if (alongVolume)
        fluid.calculateFugacityAlongVolume();
    else
        fluid.calculate_fugacities();
    side = {fluid.fugacity[k], fluid.dfdV[k], fluid.dfdT[k], fluid.dfdP[k],
            fluid.P,           fluid.dPdV,    fluid.dPdT};
    if (fluid.error) return false;
    for (double v : {side.f, side.dfdV, side.P, side.dPdV})
        if (!std::isfinite(v)) return false;
    return true;
}

// Adds the Laplace pressure of a curved interface to the liquid or the vapour pressure.
// False when the interface is curved but has no positive radius.
inline bool addCapillaryPressure(FluidPhase& fluid, double Vliquid, double Vvapour, double& Pliquid,
                                 double& Pvapour) {
    if (fluid.capillaryMode == 0) return true;
    if (!(fluid.radius > 0.0)) return false;
    const double sigma = fluid.calculateSigma(Vliquid, Vvapour);
    const double laplace = 2.0 * sigma / fluid.radius;
    if (fluid.capillaryMode == 2)
        Pvapour += laplace;
    else
        Pliquid += laplace;
    return true;
}

inline bool majorComponentUsable(const FluidPhase& fluid) {
    return fluid.majorComponent >= 0 &&
           fluid.majorComponent<fluid.nc&& static_cast<int>(fluid.fugacity.size())> fluid
               .majorComponent;
}

}  // namespace vornex
