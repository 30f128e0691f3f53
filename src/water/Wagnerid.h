// Wagnerid: the ideal-gas part of the IAPWS-95 formulation for water as a Helmholtz term,
//     phi_0 = ln delta + n1 + n2 tau + n3 ln tau + sum_{i=4..8} n_i ln(1 - exp(-gamma_i tau)),
// tau = 647.096 K / T, delta = Vc / V (IAPWS R6-95, Table 1, with n1 and n2 in the ten- and
// eleven-digit form of the 1995 release). While the fluid computes fugacities (the term's
// fugacity flag raised) the term is -ln V alone: ln delta - ln Vc.
//
// The state functions and fugacities of a water state read its derivatives written out
// (the function of tau and ln delta above); the graph gives everything else.
#pragma once

#include "fluid/MultiParTerms.h"

namespace vornex {

class Wagnerid : public ReducedIdeal {
   public:
    Wagnerid();
    // The coefficients the term is built from.
    static const IdealGasTable& coefficients();

    void calculate_state_functions() override;
    void calculate_fugacities() override;
    double thirdTemperatureDerivative() override;

   private:
    // Whether the written-out function stands for the graph at the term's state: one
    // component, T and V positive numbers, away from the critical temperature as for the
    // residual.
    bool writtenOutServes() const;
    // phi_0 and its first three tau derivatives at the term's T; false where the
    // written-out function does not serve (the graph then evaluates).
    bool ofTau(double out[4]) const;
};

}  // namespace vornex
