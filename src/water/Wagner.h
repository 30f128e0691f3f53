// Wagner: the residual part of the IAPWS-95 formulation for water,
//     phi_r(delta, tau) = A_res / (R T),  tau = 647.096 K / T,  delta = Vc / V,
// Vc = 0.018015268/322 m3/mol, as a Helmholtz term whose value and derivatives to fourth
// order come from its expression graph. The graph is the standard's sum of 56 terms,
// assembled by four small term builders over shared powers and exponentials:
//     power        n delta^d tau^t                                         (terms 1-7)
//     exponential  n delta^d tau^t exp(-delta^c)                           (terms 8-51)
//     Gaussian     n delta^d tau^t exp(-alpha (delta-eps)^2 - beta (tau-gamma)^2)  (52-54)
//     non-analytic n Delta^b delta psi,  psi = exp(-C (delta-1)^2 - D (tau-1)^2),
//                  Delta = theta^2 + B ((delta-1)^2)^a,
//                  theta = (1 - tau) + A ((delta-1)^2)^(1/(2 beta))           (55-56)
// (Wagner and Pruss, J. Phys. Chem. Ref. Data 31 (2002) 387; IAPWS R6-95, Table 2.)
//
// Every node carries the name its formula line prints ("delta4", "e2delta9", "tau10",
// "theta", "bigDelta", "a1" ... "a56", root "A"). The term owns its nodes: each is held as
// a member, the root is a heap Sum deleted first.
#pragma once

#include "fluid/Interaction.h"
#include "water/TermNodes.h"

namespace vornex {

class Wagner : public ReducedTerm<MultiParInteraction> {
   public:
    Wagner();

   private:
    Expression& deltaPower(int d);
    Expression& tauPower(int t);
    // exp(-delta^c) times delta^d.
    Expression& exponentialFactor(int c, int d);
    Expression& powerTerm(int i);
    Expression& exponentialTerm(int i);
    Expression& gaussianTerm(int i);
    Expression& nonAnalyticTerm(int i);
    // x^n from its construction recipe (squares, cubes, products of lower powers).
    Expression& integerPower(const char* stem, Expression& base, int n);
    // a u + b of a leaf, shared among the terms that need the same shift.
    Expression& shifted(const std::string& name, Expression& base, double shift);
};

}  // namespace vornex
