// IdealMixture: the two-phase equilibrium of VLE under Raoult's law, K_i = Psat_i(T) / P,
// with Psat from a vapour-pressure correlation chosen by the component's name, or, for a name
// without one, Wilson's estimate from the model's critical constants. Each solve is
// one scalar Rachford-Rice equation sum z_i (1 - K_i) / (1 - Fv + Fv K_i) = 0, solved by a
// bracketing Muller search. Also the Raoult start of the rigorous solver IFP.
#pragma once

#include <memory>
#include <vector>

#include "fluid/PsatCorr.h"
#include "numerics/Solver.h"
#include "vle/VLE.h"

namespace vornex {

class IdealMixture : public VLE {
   public:
    IdealMixture();
    IdealMixture(FluidPhase& a, FluidPhase& b);
    ~IdealMixture() override;

    std::vector<std::unique_ptr<PsatCorr>> correlations;  // null: a name without one
    std::vector<double> K;                                // equilibrium ratios
    std::unique_ptr<Muller> solver;
    std::vector<double> work1, work2, work3;

    void read_component_data(int index, const char* name) override;
    void number_of_components(int count) override;
    void calculateVLE() override;
    void calculate_with_fixed_P_and_T() override;
    void calculate_with_fixed_T_and_Fv() override;
    void calculate_with_fixed_P_and_Fv() override;
    void reset_to_zero() override;

    // Pa at T (K) and K at P (Pa) of component i; 0 without a correlation.
    double Psat(int i, double T);
    double Tsat(int i, double P);

    // Rachford-Rice residuals in Fv (K fixed), in P (Pa) and in T (K).
    double equation1(double Fv, void* context);
    double equation2(double P, void* context);
    double equation3(double T, void* context);

   protected:
    // Fills the current x and y from K and Fv; returns sum (x_i - y_i).
    double rachfordRice(double Fv);
    // Wilson's estimate for component i from the first model's critical constants and
    // acentric factor (or its estimate of the critical point); null where it has none.
    std::unique_ptr<PsatCorr> estimateFromModel(int i);
    // True when every component has a correlation; otherwise status 2 with a message.
    bool correlationsComplete();
    // One Muller solve of the member on [a, b]; false on a solver error.
    bool solveOn(double (IdealMixture::*residual)(double, void*), double a, double b,
                 double tolerance, double& root);
};

}  // namespace vornex
