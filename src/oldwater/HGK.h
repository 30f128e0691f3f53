// HGK: the Haar-Gallagher-Kell water formulation (Haar, Gallagher and Kell, NBS/NRC Steam
// Tables, 1984) as a WaterEOS: a = a_base + a_res + a_id, where
//     a_base = -ln(1 - y) - (130/3)/(1 - y) + (169/6)/(1 - y)^2 + 4 y (B/b - 3.5)
//              + ln(rho R T/p0) + 91/6,            y = b rho / 4,
// with b(T) and B(T) (cm3/g) of the formulation's base function (alpha = 11, beta = 133/3,
// gamma = 3.5), rho in g/cm3, R = 0.4615 J/(g K), p0 = 0.101325 MPa;
//     a_res = (1/(R T)) [ sum_{i=1..36} c_i tau^l_i (1 - exp(-rho))^k_i + sum_{i=37..40} c_i phi_i
//     ],
// tau = 647.073 K / T, R = 8.31434 J/(mol K), and a_id the temperature part of the ideal gas
// (HGKid). Model name "HaarGallagherKell", one component "H2O"; its stability test is the
// model's own outer spinodals.
//
// Range of the publication: 260 to 2500 K at pressures up to 3000 MPa. Its own critical
// point, 647.126 K and 22.055 MPa, bounds its saturation states.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WaterEOS.h"

namespace vornex {

// The base function with the density part ln(rho R T/p0) of the ideal gas.
class HGKbase : public ReducedTerm<MultiParInteraction> {
   public:
    HGKbase();
};

// The residual function.
class HGKres : public ReducedTerm<MultiParInteraction> {
   public:
    HGKres();
};

class HGK : public WaterEOS {
   public:
    // phase: 1 starts volume searches on the vapour side, 2 on the liquid side.
    explicit HGK(int phase);
    ~HGK() override;
};

}  // namespace vornex
