// Wagner: the residual part of the IAPWS-95 formulation for water,
//     phi_r(delta, tau) = A_res / (R T),  tau = 647.096 K / T,  delta = Vc / V,
// Vc = 0.018015268/322 m3/mol, as a Helmholtz term whose value and derivatives to fourth
// order come from its expression graph: the standard's 56 power (1-7), exponential (8-51),
// Gaussian (52-54) and non-analytic (55-56) terms of the multi-parameter builders
// (fluid/MultiParTerms.h) over the table of water/WagnerCoefficients.h (Wagner and Pruss,
// J. Phys. Chem. Ref. Data 31 (2002) 387; IAPWS R6-95, Table 2).
//
// Every node carries the name its formula line prints: "separable" for terms 1-54 evaluated
// together, "nonanalytic" for terms 55-56, root "A". The term owns its nodes: each is held
// as a member, the root is a heap Sum deleted first.
#pragma once

#include "fluid/MultiParTerms.h"

namespace vornex {

class Wagner : public MultiParResidual {
   public:
    Wagner();
};

}  // namespace vornex
