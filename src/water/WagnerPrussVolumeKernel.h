// The volume derivatives of the IAPWS-95 residual that a pressure reads, phi_delta and
// phi_deltadelta at fixed temperature, written out over the table of
// water/WagnerCoefficients.h: the factors in tau computed once per temperature, the powers
// of delta by multiplication, one exponential for each distinct exp(-delta^c) and Gaussian
// in delta, and the two non-analytic terms sharing theta and Delta with one logarithm each
// of (delta - 1)^2 and Delta. The values agree with the expression graph of Wagner to the
// last few bits of a double (the pressures printed to a millionth of a bar are the
// graph's); the graph remains the evaluation of everything else.
#pragma once

namespace vornex {

class WagnerPrussVolumeKernel {
   public:
    // phi_delta and phi_deltadelta at (tau, delta); false (nothing written) where the kernel
    // does not serve: within 1e-3 of the critical density, where the non-analytic terms
    // need the graph's limits, or where a value is not finite.
    bool deltaDerivatives(double tau, double delta, double& phiD, double& phiDD);

    // Terms 1-54 of the table: power, exponential and Gaussian.
    static constexpr int kSeparableTerms = 54;

   private:
    void holdTau(double tau);
    double tauFactor_[kSeparableTerms] = {};  // n tau^t [exp(-beta (tau - gamma)^2)]
    double heldTau_ = -1.0;
    double psiTau_[2] = {0.0, 0.0};  // exp(-D (tau - 1)^2) of the non-analytic terms
};

}  // namespace vornex
