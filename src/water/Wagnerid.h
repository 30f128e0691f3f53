// Wagnerid: the ideal-gas part of the IAPWS-95 formulation for water as a Helmholtz term,
//     phi_0 = ln delta + n1 + n2 tau + n3 ln tau + sum_{i=4..8} n_i ln(1 - exp(-gamma_i tau)),
// tau = 647.096 K / T, delta = Vc / V (IAPWS R6-95, Table 1, with n1 and n2 in the ten- and
// eleven-digit form of the 1995 release). While the fluid computes fugacities (the term's
// fugacity flag raised) the term is -ln V alone: ln delta - ln Vc.
#pragma once

#include "fluid/MultiParTerms.h"

namespace vornex {

class Wagnerid : public ReducedIdeal {
   public:
    Wagnerid();
};

}  // namespace vornex
