// ZhangChen: dissolution of a crystal in a melt. The Sherwood number of a sphere in flow as
// a function of the Peclet and Reynolds numbers (Zhang, Walker and Lesher 1989, after Clift,
// Grace and Weber), and the diffusion-controlled dissolution distance x = 2 alpha sqrt(D t)
// with the growth constant alpha of
//     alpha sqrt(pi) exp(alpha^2) erfc(-alpha) = beta,  beta = (Csat - Cl)/(Cs - Csat),
// Cs, Csat, Cl the concentrations in the crystal, the saturated melt and the far melt.
// D in m2/s, t in s. Results are written as Igor text and scripts, opened when the Igor
// opener is switched on.
#pragma once

#include "numerics/Equation.h"

namespace vornex {

class ZhangChen : public Equation {
   public:
    double D = 1.0;  // diffusivity, m2/s
    double alpha = 0.0;
    double beta = 0.0;
    double Cs = 0.0, Csat = 0.0, Cl = 0.0;

    ZhangChen() = default;

    // 0 for Re >= 1e5 or Re not a number; 0 with a message for a Peclet number below 0 or
    // not finite, or a Reynolds number below 0.
    static double calculateSherwood0(double Pe, double Re);
    // "sherwood": 100 rows per Peclet number (0.1 to 1000), Re from 0.1 over six decades,
    // blocks separated by a row of nan; then the script "igor4.itx". False when a file
    // cannot be written.
    bool calculateSherwoodCurves0();
    // alpha for the concentrations, then the script "igor3" + suffix + ".itx" that draws
    // the distance and the rate over 10 s (a new experiment, or added to its two graphs).
    // False when alpha is not found, the concentrations or D (finite and above 0) are
    // refused or a file fails.
    bool calculateDiffusionDistance(int newExperiment, const char* suffix, double Cs, double Csat,
                                    double Cl);
    double equationForAlpha(double alpha, void* context);

   private:
    // The growth constant of beta, bracketed: false where none is representable.
    bool bracketedAlpha(double& root);
    // The root a of the bracket [low, high] to the precision of its value.
    double polished(double a, double low, double high);
};

}  // namespace vornex
