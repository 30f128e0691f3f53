// The IAPWS-95 residual written out over the table of water/WagnerCoefficients.h, for the
// evaluations the water model makes most: the factors in tau computed once per temperature,
// the powers of delta by multiplication, one exponential for each distinct exp(-delta^c)
// and Gaussian in delta.
//  - deltaDerivatives: phi_delta and phi_deltadelta, what a pressure and a volume-solve step
//    read; the two non-analytic terms share theta and Delta with one logarithm each of
//    (delta - 1)^2 and Delta.
//  - residualDerivatives: phi_r and its derivatives in (tau, delta) to the third order
//    (tau^3 aside), what the state functions and fugacities read; the non-analytic terms
//    from the same node the expression graph evaluates them with.
// The values agree with the expression graph of Wagner to the last few bits of a double;
// the graph remains the evaluation of everything else.
#pragma once

#include "fluid/NonAnalyticSum.h"

namespace vornex {

class WagnerPrussKernel {
   public:
    WagnerPrussKernel();

    // phi_delta and phi_deltadelta at (tau, delta); false (nothing written) where the kernel
    // does not serve: within 1e-3 of the critical density, where the non-analytic terms
    // need the graph's limits, or where a value is not finite.
    bool deltaDerivatives(double tau, double delta, double& phiD, double& phiDD);

    // phi_r and its partial derivatives to the third order, subscripts naming the
    // variables (t: tau, d: delta).
    struct Residual {
        double f, t, d, tt, td, dd, ttt, ttd, tdd, ddd;
    };
    // At (tau, delta); false (nothing written) where a value is not finite or tau or delta
    // is not positive. The last result is kept for the same (tau, delta).
    bool residualDerivatives(double tau, double delta, Residual& out);

    // Within 1 % of the critical temperature, where dP/dV nearly vanishes and a state (the
    // root of a volume solve, whether cp is defined) moves with the last bits of the
    // derivatives: the callers evaluate the graph there, so that those states stay as the
    // graph gives them.
    static bool nearCriticalTemperature(double TK);

    // tau = Tc/T and delta = Vc/V with their derivatives in T and V, formed as the graph's
    // leaves form them (a reciprocal, then each derivative from the one before).
    struct Reduced {
        double tau, tT, tTT, tTTT, delta, dV, dVV, dVVV;
        Reduced(double T, double V);
    };

    // Terms 1-54 of the table: power, exponential and Gaussian.
    static constexpr int kSeparableTerms = 54;

   private:
    void holdTau(double tau);
    // The tau factors with n and their tau derivatives, nF_ to nF3_.
    void holdTauDerivatives(double tau);
    double tauFactor_[kSeparableTerms] = {};  // tau^t [exp(-beta (tau - gamma)^2)]
    // n tau^t [exp(...)] and its first three derivatives in tau.
    double nF_[kSeparableTerms] = {}, nF1_[kSeparableTerms] = {}, nF2_[kSeparableTerms] = {},
           nF3_[kSeparableTerms] = {};
    double heldTau_ = -1.0, derivativesTau_ = -1.0;
    double psiTau_[2] = {0.0, 0.0};  // exp(-D (tau - 1)^2) of the non-analytic terms
    NonAnalyticSum nonAnalytic_;
    double lastTau_ = -1.0, lastDelta_ = -1.0;
    Residual last_{};
};

}  // namespace vornex
