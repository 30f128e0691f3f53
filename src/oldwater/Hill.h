// Hill: Hill's fundamental equation for water as a WaterEOS, in delta = Vc/V and
// T1 = -Tc/T (Tc = 647.067 K, Vc = 0.018015268/322.778 m3/mol):
//     a = ln delta + W1 + exp(-delta^2) W2 + exp(G0) W3 + exp(-4 (T1 + 3)) W4 + a_id(T),
// W1 and W4 sums over the damping functions Ra_k of 1 - exp(-delta^2), W2 and W3 sums of
// delta^i T1^k, G0 = -340 T1 + 23 delta - 130 T1^2 - 12 delta^2 - 221 (64 coefficients).
// HillRes carries the ln delta of the ideal gas, Hillid its temperature part
//     a_id = 7.07501275112 tau - 8.34240569963 - 0.36460138 theta - 0.036897043 theta^2
//            + 0.003033815 theta^3 + 0.000390109 theta^4 + (2.4131785 - 0.11359287 tau) ln tau,
// tau = Tc/T, theta = 1/tau. Model name "Hill", one component "H2O"; no stability test.
//
// Its own critical point (647.05 K) bounds its saturation states.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WaterEOS.h"

namespace vornex {

class HillRes : public ReducedTerm<MultiParInteraction> {
   public:
    HillRes();
};

// While the fugacities are computed the term is -ln Vc, so that with the ln delta of
// HillRes the model's sum is -ln V plus the residual part.
class Hillid : public ReducedIdeal {
   public:
    Hillid();
};

class Hill : public WaterEOS {
   public:
    explicit Hill(int phase);
    ~Hill() override;
};

}  // namespace vornex
