// One phase of a mixture equilibrium: a fluid evaluated at a composition and a molar volume
// (m3/mol) at its set temperature, with the fugacities (Pa), the pressure (Pa) and the
// derivatives the two-phase Jacobians need, all at constant T and V:
//   D[i][j]  = d f_i / d x_j with x_0 taking the rest (j >= 1)
//            = (df_i/dx_j - df_i/dx_0)_{T,P} - (dV/dx_j - dV/dx_0)_{T,P} df_i/dV
//   DP[j]    = dP/dx_j - dP/dx_0
//   E[i]     = d f_i / dT = (df_i/dT)_P - df_i/dV (dV/dT)_P,   EP = dP/dT.
// The residual chemical potentials mu_i^r/(RT) come with their V and composition derivatives.
#pragma once

#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex {

struct MixtureSide {
    int n = 0;
    double P = 0.0, dPdV = 0.0, EP = 0.0;
    std::vector<double> f, dfdV, dfdP, E, mu, dmudV, DP;
    std::vector<std::vector<double>> D, Dmu;  // [i][j], column 0 unused
};

// Evaluates the fluid as the given phase (selector 1 vapour, 2 liquid) at the composition
// and volume; false when the evaluation failed or gave values that are not finite.
bool evaluateMixtureSide(FluidPhase& fluid, int selector, const double* composition, double Vm3,
                         MixtureSide& side);

// The liquid at xl and Vl, then the vapour at yv and Vv; the fugacity differences
// liquid - vapour go to F[0 .. nc-1]. False when either evaluation failed.
bool evaluateCoexistingSides(FluidPhase& fluid, const double* xl, double Vliquid, const double* yv,
                             double Vvapour, MixtureSide& l, MixtureSide& v, double* F);

// The binary form: composition (1 - x1, x1).
bool evaluateBinarySide(FluidPhase& fluid, int selector, double x1, double Vm3, MixtureSide& side);

// Molar volume (m3/mol) of the binary (1 - x1, x1) as the given phase at the fluid's
// temperature and P (Pa); 0 when the volume solve fails. The start of a saturation solve
// whose guessed volume lies far off its phase's pressure.
double binaryVolumeAtPressure(FluidPhase& fluid, int selector, double x1, double PPa);

// A binary start volume at which its side has no positive pressure (a liquid expanded by a
// per cent lies at negative pressure) is replaced by that side's volume at the other side's
// pressure, so that a close start is not refused at its first evaluation.
void repairStartVolumes(FluidPhase& fluid, double x1, double y1, double& Vliquid,
                        double& Vvapour);

// Stores a binary two-phase state: Vl0, Vv0 and the liquid and vapour compositions with
// mole fractions x1 and y1 of component 1.
inline void storeBinaryPair(FluidPhase& fluid, double Vliquid, double Vvapour, double x1,
                            double y1) {
    fluid.Vl0 = Vliquid;
    fluid.Vv0 = Vvapour;
    fluid.xLiquid[0] = 1.0 - x1;
    fluid.xLiquid[1] = x1;
    fluid.yVapour[0] = 1.0 - y1;
    fluid.yVapour[1] = y1;
}

// A mole fraction the residuals accept: within rounding of [0, 1].
inline bool acceptableFraction(double x) {
    return x >= -1e-8 && x <= 1.00000001;
}

// Binds the fluid's system solver to a mixture residual of n unknowns with the solver's
// defaults restored (a binding kept from the previous call keeps its settings otherwise),
// the start vector copied into the current and previous points.
Newton& bindMixtureSystem(FluidPhase& fluid, EquationSystem system, int n, const double* start);

// Solves J d = b for a square system of n rows (J and b are consumed); false when singular.
bool solveSmallSystem(std::vector<std::vector<double>>& J, std::vector<double>& b,
                      std::vector<double>& d);

}  // namespace vornex
