// ZeroDensityTerm: the ideal-term slot of a model whose residual polynomial does not vanish
// at zero density (the IUPAC methane and carbon-dioxide equations). Their residual term
// carries -ln V and a function f(T) that survives as V grows without bound; f moves no
// pressure, but the fugacity coefficients need a residual that vanishes there. So this term
// contributes nothing to the state functions, and while the fugacities are computed it is
// -f(T), written as sum_k c_k u_k(T) + c_n over temperature nodes u_k of the subclass:
// the model's fugacity-mode sum is then exactly -ln V at zero density.
#pragma once

#include <vector>

#include "fluid/Ideal.h"
#include "fluid/MultiParTerms.h"

namespace vornex {

class ZeroDensityTerm : public ReducedTerm<Ideal> {
   public:
    // The mode (0 everywhere, or the coefficients in the fugacity mode), then tau and delta.
    void calculate_fixed_parameters() override;
    // No heat capacity of the ideal gas: the model has none to give.
    bool isIdealGasPart() const override { return false; }

   protected:
    explicit ZeroDensityTerm(const ReducingState& reducing) : ReducedTerm(reducing) {}
    // The root over the nodes with their fugacity-mode coefficients and constant.
    void makeLimitRoot(const std::vector<Expression*>& nodes, std::vector<double> coefficients,
                       double constant);

   private:
    std::vector<double> coefficients_;
    double constant_ = 0.0;
};

}  // namespace vornex
