// MaoDuan: saturation curves of eight pure fluids (H2O, CO2, CH4, C2H6, N2, O2, SO2, H2S):
// vapour pressure and saturated liquid and vapour densities as reduced functions of
// tau = 1 - T/Tc (forms of Wagner and Pruss), T in K, P in bar, densities in kg/m3, molar
// volumes in L/mol.
//   P    = Pc exp((Tc/T)(a1 tau + a2 tau^1.5 + a3 tau^2.5 + a4 tau^3.5 + a5 tau^4.5 + a6 tau^5.5))
//   rhoL = rhoc exp(b1 t + b2 t^2 + b3 t^4 + b4 t^8 + b5 t^16 + b6 t^32),  t = tau^(1/3)
//   rhoV = rhoc exp((Tc/T)(c1 tau^(1/3) + c2 tau^(5/6) + c3 tau^(7/6) + c4 tau^(13/6)
//          + c5 tau^(14/3)))
#pragma once

#include "fluid/Phase.h"

namespace vornex {

class MaoDuan {
   public:
    struct Fluid {
        const char* name;
        double Tc, Pc, rhoc, Tt, Pt, M;
        double a[6], b[6], c[5];
    };
    static const Fluid kFluids[8];

    MaoDuan() = default;
    const Fluid* selected = nullptr;  // none until setComponent
    double T = 0.0, P = 0.0;          // last point of the curve routine (K, bar)

    // Selects the fluid of that name; an unknown name keeps the selection. False then.
    bool setComponent(const char* name);
    // The correlations at T (K); false (nothing set) for an unknown fluid or T outside
    // (0, Tc].
    bool calculateTheSaturationPressure(const char* name, double TK, double& Pbar, double& rhoL,
                                        double& rhoV, double& VL, double& VV);
    // Vapour pressure (bar) of the selected fluid at T (K); NaN when none is selected.
    double vapourPressure(double TK) const;
    // Steps the vapour-pressure curve from the triple point to the critical point in 200
    // steps; appends (T, P) of each point to the array when one is given. The point count.
    int calculateSaturationCurve(const char* name, CurveArray* array);
};

}  // namespace vornex
