// Wagner: the residual part of the IAPWS-95 formulation for water,
//     phi_r(delta, tau) = A_res / (R T),  tau = 647.096 K / T,  delta = Vc / V,
// Vc = 0.018015268/322 m3/mol, as a Helmholtz term whose value and derivatives to fourth
// order come from its expression graph: the standard's 56 power (1-7), exponential (8-51),
// Gaussian (52-54) and non-analytic (55-56) terms of the multi-parameter builders
// (fluid/MultiParTerms.h) over the table of water/WagnerCoefficients.h (Wagner and Pruss,
// J. Phys. Chem. Ref. Data 31 (2002) 387; IAPWS R6-95, Table 2).
//
// The state functions and the fugacities, which every water state computes, read the same
// derivatives written out (WagnerPrussKernel) instead of walking the graph; the graph gives
// everything else, and those too wherever the kernel does not serve.
//
// Every node carries the name its formula line prints: "separable" for terms 1-54 evaluated
// together, "nonanalytic" for terms 55-56, root "A". The term owns its nodes: each is held
// as a member, the root is a heap Sum deleted first.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WagnerPrussKernel.h"

namespace vornex {

class Wagner : public MultiParResidual {
   public:
    Wagner();

    void calculate_state_functions() override;
    void calculate_fugacities() override;
    double thirdTemperatureDerivative() override;

    // The written-out derivatives, shared with the model's volume solves so that the
    // factors in tau are computed once per temperature.
    WagnerPrussKernel& kernel() { return kernel_; }

   private:
    // phi_r and its derivatives at the term's (T, V); false where the kernel does not serve.
    bool residualAtState(WagnerPrussKernel::Residual& r);
    // The nine state entries, the derivative fields, P and Z from r at the term's state.
    void placeEntries(const WagnerPrussKernel::Residual& r);

    WagnerPrussKernel kernel_;
};

}  // namespace vornex
