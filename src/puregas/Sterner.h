// Sterner: carbon dioxide by the equation of state of Sterner and Pitzer (Contrib. Mineral.
// Petrol. 117 (1994) 362), a CO2EOS with the one residual term SternerCO2 and no ideal-gas
// term; model name "Sterner & Pitzer CO2", M = 0.044 kg/mol, R = 8.31451 J/(mol K).
//
// In the molar density rho (mol/cm3) the equation is
//     a = -ln V + c1 rho + 1/(c2 + c3 rho + c4 rho^2 + c5 rho^3 + c6 rho^4) - 1/c2
//         - (c7/c8) (exp(-c8 rho) - 1) - (c9/c10) (exp(-c10 rho) - 1),
// each c_i = sum_k a_ik T^k over k = -4, -2, -1, 0, 1, 2 (its Table 1). The term reduces T
// and V by 1 K and 1 cm3/mol, so the builders' tau is 1/T (in 1/K) and their delta is rho.
#pragma once

#include "fluid/MultiParTerms.h"
#include "puregas/CO2EOS.h"

namespace vornex {

class SternerCO2 : public ReducedTerm<MultiParInteraction> {
   public:
    SternerCO2();
};

class Sterner : public CO2EOS {
   public:
    explicit Sterner(int phase);
    ~Sterner() override;
};

}  // namespace vornex
