// Saul: the Saul-Wagner fundamental equation for water with 58 residual terms (Saul and
// Wagner, J. Phys. Chem. Ref. Data 18 (1989) 1537) as a WaterEOS:
//     a = ln(Vc/V) + phi_0(tau) + phi_r(delta, tau),  tau = Tc/T, delta = Vc/V,
// Tc = 647.14 K, Vc = 5.594826086956522e-05 m3/mol (322 kg/m3 on 18.01534 g/mol). Saul58
// carries phi_r (9 power terms and exponential groups in exp(-delta), exp(-delta^2),
// exp(-delta^3) and exp(-0.4 delta^6) - exp(-2 delta^6)) and -ln V; Saulid the rest,
//     phi_0 + ln Vc = ln Vc - 8.318441 + 6.681816 tau + 3.00632 ln tau
//                     + sum_k n_k ln(1 - exp(-gamma_k tau)),
// and nothing while the fugacities are computed. Model name "Saul & Wagner", one component
// "H2O"; its stability test is the model's own outer spinodals.
//
// Range of the publication: from the melting line to 1273 K at pressures up to 25000 MPa.
// Its own critical point (647.14 K) bounds its saturation states.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WaterEOS.h"

namespace vornex {

class Saul58 : public MultiParResidual {
   public:
    Saul58();
};

class Saulid : public ReducedIdeal {
   public:
    Saulid();
};

class Saul : public WaterEOS {
   public:
    explicit Saul(int phase);
    ~Saul() override;
};

}  // namespace vornex
