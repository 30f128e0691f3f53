// Nitrogen: the reference equation of state of Span, Lemmon, Jacobsen, Wagner and
// Yokozeki (J. Phys. Chem. Ref. Data 29 (2000) 1361) as a FluidPhase,
//     a = A/(RT) = a0(delta, tau) + ar(delta, tau),  tau = Tc/T, delta = Vc/V,
// Tc = 126.192 K, Vc = 1/11183.9 m3/mol, R = 8.31451 J/(mol K), M = 0.02801348 kg/mol.
//
// JacobsenId is the ideal-gas part a0 (its eq. 4.2 with the coefficients of its Table 13);
// while the fugacities are computed it is ln delta + ln(rho_c) = -ln V, so that the fluid's
// fugacity coefficients follow from the residual alone. JacobsenRes1 is the 36-term
// residual ar (its Table 17: 6 power, 26 exponential and 4 Gaussian terms).
//
// JacobsenRes is an older 28-term residual of nitrogen on its own reducing state
// (126.193 K, 11177 mol/m3). It reproduces the second virial coefficient of the 36-term
// residual to 1.5 cm3/mol from 100 to 500 K, but not the densities (-0.8 % at 300 K and
// 100 bar, -42 % for the liquid at 100 K): no fluid installs it, and it is kept for its
// virial coefficient and as a term.
//
// Range of the publication: from the triple point, 63.151 K, to 1000 K at pressures up to
// 2200 MPa.
#pragma once

#include "fluid/MultiParTerms.h"
#include "puregas/PureGasModel.h"

namespace vornex {

class JacobsenId : public ReducedIdeal {
   public:
    JacobsenId();
};

class JacobsenRes1 : public MultiParResidual {
   public:
    JacobsenRes1();
};

class JacobsenRes : public MultiParResidual {
   public:
    JacobsenRes();
};

// Base of the nitrogen models: curves reach down to 40 K; saturation solves start from the
// ancillary equations of Span et al. (2000) for the vapour pressure and the saturated
// densities, good to 1e-4 of the reference equation from the triple point to Tc.
class N2EOS : public PureGasPhase {
   public:
    N2EOS(int nTerms, int phase, char extraTerm);
    ~N2EOS() override;
    // From 63.151 K to 126.192 K: the ancillary saturated volumes (m3/mol); else unchanged.
    void initializeSaturationVolumesFromT(const char* component, double TK) override;
    // Ancillary vapour pressure (Pa) and saturated liquid and vapour densities (mol/m3),
    // 63.151 K <= T < 126.192 K.
    static double ancillarySaturationPressure(double TK);
    static double ancillaryLiquidDensity(double TK);
    static double ancillaryVapourDensity(double TK);
    // Melting pressure (Pa) of nitrogen from its triple point (63.151 K, 12.523 kPa):
    //   p_m = p_t (1 + 12798.61 ((T/T_t)^1.78963 - 1));  NaN below the triple point.
    static double meltingPressure(double TK);
    // The state functions, with the error flag at pressures above the melting pressure,
    // where solid nitrogen is stable and the equation gives no fluid's properties (at
    // 63.151 K and 2200 MPa a negative Cv).
    double calculate_state_functions() override;
};

// Model name "Jacobsen N2", one component "N2".
class Jacobsen : public N2EOS {
   public:
    explicit Jacobsen(int phase);
    ~Jacobsen() override;
};

}  // namespace vornex
